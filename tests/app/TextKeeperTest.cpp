#include "app/TextKeeper.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

using tallix::EFileError;
using tallix::TextFileContent;
using tallix::TextKeeper;
using namespace std::chrono_literals;

namespace {

class TextKeeperTest : public ::testing::Test {
protected:
    QByteArray fileBytes() const {
        QFile file(m_fileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    void writeFile(const QByteArray& bytes) {
        QFile file(m_fileName);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // Runs the event loop for a while or until the condition holds; true when it did.
    static bool runUntil(const std::function<bool()>& condition, int milliseconds = 5000) {
        const QDeadlineTimer deadline(milliseconds);
        while (!condition() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return condition();
    }
    static QByteArray bytesOf(const QString& fileName) {
        QFile file(fileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    // Another program writes a new file and renames it over ours, as editors do.
    void replaceFile(const QByteArray& bytes) {
        const QString other = m_dir.filePath(QStringLiteral("other.tmp"));
        QFile file(other);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        ASSERT_TRUE(std::rename(QFile::encodeName(other).constData(),
                                QFile::encodeName(m_fileName).constData()) == 0);
    }
    // The files kept or rescued beside nums.txt, by their full names.
    QStringList datedFiles() const {
        QStringList names;
        for (const QString& name :
             QDir(m_dir.path()).entryList({QStringLiteral("nums-*.txt")}, QDir::Files))
            names.append(m_dir.filePath(name));
        return names;
    }
    TextKeeper::Snapshot snapshotOfText() {
        return [this] { return TextFileContent{m_text, tallix::platform::TextEncoding::System}; };
    }

    int m_argc = 1;
    char m_name[8] = "test";
    char* m_argv[1] = {m_name};
    QCoreApplication m_application{m_argc, m_argv};
    QTemporaryDir m_dir;
    QString m_fileName = m_dir.filePath(QStringLiteral("nums.txt"));
    QString m_text = QStringLiteral("12\n3");
};

TEST_F(TextKeeperTest, SavesOnceTheTextRestsAndSteadyTypingNoLaterThanTheLongestDelay) {
    TextKeeper keeper(m_fileName, snapshotOfText(), {200ms, 600ms, 10s});
    int ended = 0;
    QObject::connect(&keeper, &TextKeeper::backgroundSaveEnded, [&](bool saved) {
        EXPECT_TRUE(saved);
        ++ended;
    });
    keeper.textChanged();
    runUntil([] { return false; }, 100);
    m_text = QStringLiteral("12\n34");
    keeper.textChanged();
    runUntil([] { return false; }, 120);
    EXPECT_EQ(fileBytes(), QByteArray("<none>")) << "saved while the text still changed";
    ASSERT_TRUE(runUntil([&] { return ended == 1; }));
    EXPECT_EQ(fileBytes(), QByteArray("12\r\n34"));

    // A key every 100 ms never leaves the text at rest for 200 ms.
    QElapsedTimer typing;
    typing.start();
    for (int key = 0; key < 15 && ended == 1; ++key) {
        m_text += QLatin1Char('5');
        keeper.textChanged();
        runUntil([&] { return ended == 2; }, 100);
    }
    ASSERT_EQ(ended, 2) << "steady typing was never saved";
    EXPECT_LT(typing.elapsed(), 1000);
    EXPECT_TRUE(fileBytes().startsWith("12\r\n345"));
}

TEST_F(TextKeeperTest, ASessionThatChangedNothingWritesNothing) {
    {
        TextKeeper keeper(m_fileName, snapshotOfText(), {0ms, 0ms, 10s});
        EXPECT_EQ(keeper.saveNow(), QString());
    }
    EXPECT_FALSE(QFile::exists(m_fileName)) << "a file was made for a session that typed nothing";
    writeFile("theirs");
    TextKeeper keeper(m_fileName, snapshotOfText(), {0ms, 0ms, 10s});
    keeper.saveNow();
    keeper.saveNow();
    EXPECT_EQ(fileBytes(), QByteArray("theirs"));
}

TEST_F(TextKeeperTest, AVersionAnotherProgramPutThereIsKeptBesideItOnceBeforeTheSave) {
    // Line ends the session would not write itself are what the file held all the same.
    writeFile("as\nread");
    TextKeeper keeper(m_fileName, snapshotOfText(), {0ms, 0ms, 10s});
    keeper.fileRead("as\nread");
    // Touched by a backup tool, the text unchanged: that is no other version.
    replaceFile("as\nread");
    keeper.textChanged();
    keeper.saveNow();
    EXPECT_EQ(datedFiles(), QStringList()) << "the session's own file was taken for another's";
    replaceFile("an editor's text");
    keeper.textChanged();
    const QString notice = keeper.saveNow();
    ASSERT_EQ(datedFiles().size(), 1);
    EXPECT_TRUE(notice.contains(datedFiles().front())) << notice.toStdString();
    EXPECT_EQ(bytesOf(datedFiles().front()), QByteArray("an editor's text"));
    EXPECT_EQ(fileBytes(), QByteArray("12\r\n3"));

    // Written again as it was (a sync tool, a touch): nothing to keep.
    replaceFile("12\r\n3");
    m_text = QStringLiteral("4");
    keeper.textChanged();
    EXPECT_EQ(keeper.saveNow(), QString());
    EXPECT_EQ(datedFiles().size(), 1);
    EXPECT_EQ(fileBytes(), QByteArray("4"));
}

TEST_F(TextKeeperTest, AFileThatAppearsBehindALinkWhileRunningIsKeptNotOverwritten) {
    // A link to a stick that is not plugged in: the window started empty.
    const QString stick = m_dir.filePath(QStringLiteral("stick"));
    ASSERT_TRUE(QFile::link(stick + QStringLiteral("/nums.txt"), m_fileName));
    TextKeeper keeper(m_fileName, snapshotOfText(), {0ms, 0ms, 10s});
    keeper.textChanged();
    ASSERT_TRUE(QDir().mkpath(stick));
    QFile onStick(stick + QStringLiteral("/nums.txt"));
    ASSERT_TRUE(onStick.open(QIODevice::WriteOnly));
    onStick.write("on the stick");
    onStick.close();
    EXPECT_FALSE(keeper.saveNow().isEmpty());
    const QStringList kept = QDir(stick).entryList({QStringLiteral("nums-*.txt")}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(bytesOf(stick + QLatin1Char('/') + kept.front()), QByteArray("on the stick"));
    EXPECT_EQ(fileBytes(), QByteArray("12\r\n3"));
}

TEST_F(TextKeeperTest, AFailedSaveRescuesTheTextSaysSoOnceAndIsTriedAgain) {
    // A folder in the file's place: no save can replace it, not even root's.
    ASSERT_TRUE(QDir().mkpath(m_fileName));
    TextKeeper keeper(m_fileName, snapshotOfText(), {0ms, 0ms, 100ms});
    QStringList shown;
    QObject::connect(&keeper, &TextKeeper::backgroundSaveFailed,
                     [&](const QString& message) { shown.append(message); });
    int failures = 0;
    QObject::connect(&keeper, &TextKeeper::backgroundSaveEnded,
                     [&](bool saved) { failures += saved ? 0 : 1; });
    keeper.textChanged();
    ASSERT_TRUE(runUntil([&] { return failures >= 2; }));
    m_text = QStringLiteral("latest");
    keeper.textChanged();
    ASSERT_TRUE(runUntil([&] { return failures >= 3; }));
    ASSERT_EQ(shown.size(), 1) << "one box for every attempt";
    ASSERT_EQ(datedFiles().size(), 1) << "a new rescue file for every attempt";
    const QString rescued = datedFiles().front();
    EXPECT_TRUE(shown.front().contains(rescued)) << shown.front().toStdString();
    EXPECT_EQ(bytesOf(rescued), QByteArray("latest"));

    ASSERT_TRUE(QDir(m_fileName).removeRecursively());
    EXPECT_TRUE(runUntil([&] { return fileBytes() == "latest" && !keeper.hasUnsavedChanges(); }));
}

TEST_F(TextKeeperTest, TheExitSaveThatFailsNamesTheRescueFileInTheNextWritableFolder) {
    // The file's folder lies under a plain file: nothing can be made there.
    writeFile("not a folder");
    const QString blocked = m_fileName + QStringLiteral("/Data/nums.txt");
    const QString elsewhere = m_dir.filePath(QStringLiteral("state/tallix"));
    TextKeeper keeper(blocked, snapshotOfText(), {10s, 10s, 10s});
    keeper.setRescueFolders({elsewhere});
    keeper.textChanged();
    try {
        keeper.saveNow();
        FAIL() << "the failed save was not reported";
    } catch (const EFileError& error) {
        const QStringList rescued = QDir(elsewhere).entryList({QStringLiteral("nums-*.txt")});
        ASSERT_EQ(rescued.size(), 1);
        EXPECT_TRUE(QString::fromUtf8(error.what())
                        .contains(elsewhere + QLatin1Char('/') + rescued.front()));
        EXPECT_EQ(bytesOf(elsewhere + QLatin1Char('/') + rescued.front()), QByteArray("12\r\n3"));
    }
}

TEST_F(TextKeeperTest, TheExitSaveWritesTheLatestTextAfterARunningSave) {
    m_text = QString(1 << 20, QLatin1Char('5'));
    TextKeeper keeper(m_fileName, snapshotOfText(), {0ms, 0ms, 10s});
    keeper.textChanged();
    ASSERT_TRUE(runUntil([&] { return keeper.saving(); }));
    m_text = QStringLiteral("latest");
    keeper.textChanged();
    keeper.saveNow();
    runUntil([] { return false; }, 100);
    EXPECT_EQ(fileBytes(), QByteArray("latest"));
}

TEST_F(TextKeeperTest, AFileThatCouldNotBeReadIsNeverWrittenOverAndTheTextGoesBesideIt) {
    writeFile("precious 12345");
    TextKeeper keeper(m_fileName, snapshotOfText(), {0ms, 0ms, 10s});
    const QString rescueFileName = keeper.keepUnreadFile();
    EXPECT_NE(rescueFileName, m_fileName);
    keeper.textChanged();
    ASSERT_TRUE(runUntil([&] { return QFile::exists(rescueFileName); }));
    keeper.saveNow();
    EXPECT_EQ(fileBytes(), QByteArray("precious 12345"));
    QFile rescue(rescueFileName);
    ASSERT_TRUE(rescue.open(QIODevice::ReadOnly));
    EXPECT_EQ(rescue.readAll(), QByteArray("12\r\n3"));
    // Once the user has taken the file away there is nothing left to lose.
    ASSERT_TRUE(QFile::remove(m_fileName));
    keeper.saveNow();
    EXPECT_EQ(fileBytes(), QByteArray("12\r\n3"));
}

} // namespace
