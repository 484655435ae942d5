#include "app/TextKeeper.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

TEST_F(TextKeeperTest, SavesInTheBackgroundOnceTheTextRests) {
    TextKeeper keeper(m_fileName, snapshotOfText(), 200ms);
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
}

TEST_F(TextKeeperTest, TheExitSaveWritesTheLatestTextAfterARunningSave) {
    m_text = QString(1 << 20, QLatin1Char('5'));
    TextKeeper keeper(m_fileName, snapshotOfText(), 0ms);
    keeper.textChanged();
    ASSERT_TRUE(runUntil([&] { return keeper.saving(); }));
    m_text = QStringLiteral("latest");
    keeper.saveNow();
    runUntil([] { return false; }, 100);
    EXPECT_EQ(fileBytes(), QByteArray("latest"));
}

TEST_F(TextKeeperTest, AFileThatCouldNotBeReadIsNeverWrittenOverAndTheTextGoesBesideIt) {
    writeFile("precious 12345");
    TextKeeper keeper(m_fileName, snapshotOfText(), 0ms);
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
