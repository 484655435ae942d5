#include "MainWindowFixture.h"
#include "app/UnitFmTallixor.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

using namespace tallix;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsEmptyWithoutTextFileAndWritesNoneForASessionThatChangedNothing() {
        MainWindowFixture fixture;
        TFmTallixor& window = fixture.openWindow();
        QCOMPARE(memoOf(window)->toPlainText(), QString());
        QCOMPARE(window.windowTitle(), QStringLiteral("Tallix"));
        fixture.closeWindow();
        QVERIFY(!QFile::exists(fixture.dataPath() + QStringLiteral("nums.txt")));
    }

    void loadsLineFeedTextAndSavesItWithCrLfOnceChanged() {
        MainWindowFixture fixture;
        fixture.writeDataFile(QStringLiteral("nums.txt"), "1\n22\r333");
        TFmTallixor& window = fixture.openWindow();
        QCOMPARE(memoOf(window)->document()->blockCount(), 3);
        memoOf(window)->moveCursor(QTextCursor::End);
        memoOf(window)->insertPlainText(QStringLiteral("4"));
        fixture.closeWindow();
        QCOMPARE(fixture.readDataFile(QStringLiteral("nums.txt")), QByteArray("1\r\n22\r\n3334"));
    }

    void typedTextIsSavedAsTyped() {
        MainWindowFixture fixture;
        TFmTallixor& window = fixture.openWindow();
        window.show();
        QTest::keyClicks(memoOf(window), QStringLiteral("12"));
        QTest::keyClick(memoOf(window), Qt::Key_Return);
        QTest::keyClicks(memoOf(window), QStringLiteral("3"));
        fixture.closeWindow();
        QCOMPARE(fixture.readDataFile(QStringLiteral("nums.txt")), QByteArray("12\r\n3"));
    }

    void statusBarFollowsTheCaret() {
        MainWindowFixture fixture;
        fixture.writeDataFile(QStringLiteral("nums.txt"), "1\r\n22\r\n3456");
        TFmTallixor& window = fixture.openWindow();
        window.show();
        QTest::keyClick(memoOf(window), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(statusPanelOf(window, 0)->text(), QStringLiteral("1行"));
        QCOMPARE(statusPanelOf(window, 1)->text(), QStringLiteral("0文字"));
        QTextCursor caret(memoOf(window)->document()->findBlockByNumber(2));
        caret.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
        memoOf(window)->setTextCursor(caret);
        QTest::mouseClick(memoOf(window)->viewport(), Qt::LeftButton, {},
                          memoOf(window)->cursorRect().center());
        QTest::keyClick(memoOf(window), Qt::Key_Shift);
        QCOMPARE(statusPanelOf(window, 0)->text(), QStringLiteral("3行"));
        QCOMPARE(statusPanelOf(window, 1)->text(), QStringLiteral("3文字"));
        QCOMPARE(statusPanelOf(window, 2)->text(), QString());
    }

    void unreadableTextFileIsReportedAndTheWindowOpensEmpty() {
        MainWindowFixture fixture;
        // A folder in the file's place cannot be read as a file.
        QDir().mkpath(fixture.dataPath() + QStringLiteral("nums.txt"));
        fixture.expectMessageBox();
        TFmTallixor& window = fixture.openWindow();
        QVERIFY(fixture.messageBoxText().contains(fixture.dataPath() + QStringLiteral("nums.txt")));
        QCOMPARE(memoOf(window)->toPlainText(), QString());
        fixture.expectMessageBox();
        fixture.closeWindow();
    }

    void failedSaveIsReportedAndKeepsNothingHalfWritten() {
        MainWindowFixture fixture;
        TFmTallixor& window = fixture.openWindow();
        memoOf(window)->setPlainText(QStringLiteral("12"));
        QDir().mkpath(fixture.dataPath() + QStringLiteral("nums.txt"));
        fixture.expectMessageBox();
        fixture.closeWindow();
        QVERIFY(fixture.messageBoxText().contains(fixture.dataPath() + QStringLiteral("nums.txt")));
        // The session is not lost with the save: the box names where it went.
        const QStringList rescued =
            QDir(fixture.dataPath()).entryList({QStringLiteral("nums-*.txt")}, QDir::Files);
        QCOMPARE(rescued.size(), 1);
        QVERIFY(fixture.messageBoxText().contains(rescued.front()));
        QCOMPARE(fixture.readDataFile(rescued.front()), QByteArray("12"));
    }

    void closeCommandEndsThroughTheNormalPath() {
        MainWindowFixture fixture;
        TFmTallixor& window = fixture.openWindow();
        window.show();
        QVERIFY(window.isVisible());
        actionOf(window, "MnClose")->trigger();
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
