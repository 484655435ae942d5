#include "platform/NativeFiles.h"
#include "platform/NativeFileNames.h"
#include "platform/NewFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>

namespace platform = tallix::platform;
using platform::FileKind;
using platform::FileRead;

namespace {

// "データ" in Shift-JIS, as unzip leaves a Windows archive's folder on a UTF-8 system.
const QByteArray kShiftJisFolder("\x83\x66\x81\x5B\x83\x5E");

class NativeFiles : public testing::Test {
protected:
    QByteArray rawFolder() const { return QFile::encodeName(m_dir.path()) + '/' + kShiftJisFolder; }
    QString folder() const { return platform::fileNameFromBytes(rawFolder()); }

    QTemporaryDir m_dir;
};

// Every call names the folder by its bytes: what one call creates, the others find, and
// nothing appears beside it under another name.
TEST_F(NativeFiles, EveryCallNamesAShiftJisFolderByItsBytes) {
    ASSERT_TRUE(platform::makeFolders(folder() + QStringLiteral("/sub"), nullptr,
                                      platform::FolderAccess::Everyone));
    struct stat info {};
    ASSERT_EQ(stat((rawFolder() + "/sub").constData(), &info), 0);
    EXPECT_EQ(platform::fileKind(folder()), FileKind::Folder);
    EXPECT_EQ(platform::canonicalPath(folder() + QStringLiteral("/sub/..")), folder());

    const QString file = folder() + QStringLiteral("/nums.txt");
    EXPECT_EQ(platform::createNewFile(file, "1", nullptr), platform::NewFileResult::Created);
    EXPECT_EQ(platform::createNewFile(file, "2", nullptr), platform::NewFileResult::NameTaken);
    EXPECT_EQ(platform::fileKind(file), FileKind::Regular);
    EXPECT_TRUE(platform::isWritableFile(file));
    EXPECT_EQ(platform::readRegularFile(file, 10).status, FileRead::Status::Read);
    const QStringList entries =
        platform::folderEntries(platform::fileNameFromBytes(QFile::encodeName(m_dir.path())));
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(platform::fileNameToBytes(entries.front()), kShiftJisFolder);
    EXPECT_TRUE(platform::removeFile(file));
    EXPECT_EQ(platform::fileKind(file), FileKind::Missing);
}

} // namespace
#endif
