#include "platform/FileLock.h"
#include "platform/NewFile.h"
#include "platform/SaveRecovery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tallix::platform {
namespace {

class SaveSafetyTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    static void write(const QString& fileName, const QByteArray& bytes) {
        QFile file(fileName);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray read(const QString& fileName) {
        QFile file(fileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    static mode_t modeOf(const QString& fileName) {
        struct stat info {};
        return ::lstat(QFile::encodeName(fileName).constData(), &info) == 0 ? info.st_mode & 07777
                                                                            : 0;
    }
    QTemporaryDir m_dir;
};

TEST_F(SaveSafetyTest, ANewFileIsPrivateAndNeverTakesANameInUse) {
    const QString fresh = path("nums-1.txt");
    EXPECT_EQ(createNewFile(fresh, "12", nullptr), NewFileResult::Created);
    EXPECT_EQ(read(fresh), QByteArray("12"));
    EXPECT_EQ(modeOf(fresh), mode_t(0600));
    EXPECT_EQ(createNewFile(fresh, "34", nullptr), NewFileResult::NameTaken);
    EXPECT_EQ(read(fresh), QByteArray("12"));
    // A dangling link is a name in use too: its target is never made.
    ASSERT_TRUE(QFile::link(path("victim"), path("planted")));
    EXPECT_EQ(createNewFile(path("planted"), "34", nullptr), NewFileResult::NameTaken);
    EXPECT_FALSE(QFile::exists(path("victim")));
    QString error;
    EXPECT_EQ(createNewFile(path("no/such/folder"), "34", &error), NewFileResult::Failed);
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(SaveSafetyTest, TheLockIsPrivateHeldOnceAndNeverTakenThroughALink) {
    const QString lock = path("tallix.lock");
    LockFile first(lock);
    EXPECT_EQ(first.state(), LockFile::State::Held);
    EXPECT_EQ(modeOf(lock), mode_t(0600));
    LockFile second(lock);
    EXPECT_EQ(second.state(), LockFile::State::HeldByOther);
    ASSERT_TRUE(QFile::link(path("elsewhere"), path("planted.lock")));
    LockFile planted(path("planted.lock"));
    EXPECT_EQ(planted.state(), LockFile::State::Unavailable);
    EXPECT_FALSE(planted.error().isEmpty());
    EXPECT_FALSE(QFile::exists(path("elsewhere")));
}

TEST_F(SaveSafetyTest, TheTemporaryOfASaveCutShortIsRecoveredOnlyWhereTheFileIsMissingOrEmpty) {
    const QString file = path("nums.txt");
    const QString temporary = path("nums.txt.tallix-Ab12Cd");
    write(temporary, "whole text");
    EXPECT_EQ(recoverCutShortSave(file), temporary);
    EXPECT_EQ(read(file), QByteArray("whole text"));

    write(file, "");
    write(temporary, "newer text");
    EXPECT_EQ(recoverCutShortSave(file), temporary);
    EXPECT_EQ(read(file), QByteArray("newer text"));

    write(temporary, "half");
    EXPECT_EQ(recoverCutShortSave(file), QString());
    EXPECT_EQ(read(file), QByteArray("newer text"));
    EXPECT_EQ(read(temporary), QByteArray("half"));
}

} // namespace
} // namespace tallix::platform
