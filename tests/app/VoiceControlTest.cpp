#include "MainWindowFixture.h"
#include "ScriptedPlayer.h"
#include "app/UnitFmTallixor.h"
#include "env/kstrGlobal.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

using namespace tallix;

using namespace std::chrono_literals;

namespace {

QStringList speed(const QStringList& names) {
    QStringList files;
    for (const QString& name : names)
        files << QStringLiteral("speed/") + name;
    return files;
}

void placeCaret(QPlainTextEdit* memo, int line, int column) {
    QTextCursor caret(memo->document()->findBlockByNumber(line));
    caret.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, column);
    memo->setTextCursor(caret);
}

// The line marked as being read; the caret is the user's and stays apart from it.
QString markedText(const QPlainTextEdit* memo) {
    const QList<QTextEdit::ExtraSelection> marks = memo->extraSelections();
    return marks.size() == 1 ? marks.front().cursor.selectedText() : QString();
}

} // namespace

class VoiceControlTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_fixture;
    std::shared_ptr<ScriptedPlayer> m_player;

    TFmTallixor& openWindow(std::chrono::milliseconds soundLength = {}) {
        m_player = std::make_shared<ScriptedPlayer>(soundLength);
        TFmTallixor& window = m_fixture->openWindow(m_player);
        window.show();
        window.activateWindow();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(&window);
        window.Memo->setFocus();
        return window;
    }

    bool waitUntilIdle(TFmTallixor& window) {
        return QTest::qWaitFor([&] { return !window.Reading() && m_player->playing().isEmpty(); },
                               5000) &&
               QTest::qWaitFor([&] { return m_player->playing().isEmpty(); }, 5000);
    }

private slots:
    void init() {
        m_fixture = std::make_unique<MainWindowFixture>();
        m_fixture->makeVoiceSets();
    }
    void cleanup() {
        m_fixture.reset();
        m_player.reset();
    }

    void readsFromTheCaretLineMarkingEachLine() {
        TFmTallixor& window = openWindow();
        window.Memo->setPlainText(QStringLiteral("12\n3"));
        placeCaret(window.Memo, 0, 1);
        window.BtRead->click();
        QCOMPARE(window.BtRead->text(), QStringLiteral("読み上げ停止"));
        QCOMPARE(window.MnRead->text(), QStringLiteral("読み上げ停止"));
        QTRY_COMPARE(m_player->played(), speed({"1", "2", "r", "3", "r"}));
        QTRY_VERIFY(!window.Reading());
        QCOMPARE(window.BtRead->text(), QStringLiteral("読み上げ開始"));
        QCOMPARE(window.MnRead->text(), QStringLiteral("読み上げ開始"));
        QCOMPARE(markedText(window.Memo), QStringLiteral("3"));
        QVERIFY(!window.Memo->textCursor().hasSelection());
        QCOMPARE(window.Memo->textCursor().position(), 1);
        QCOMPARE(window.ReadLine(), 2);
    }

    void digitsTypedAfterReadingEndedAreAllSpoken() {
        TFmTallixor& window = openWindow(30ms);
        window.Memo->setPlainText(QStringLiteral("1"));
        window.BtRead->click();
        QVERIFY(waitUntilIdle(window));
        QTest::keyClicks(window.Memo, QStringLiteral("678"));
        QTRY_COMPARE(m_player->played(), speed({"1", "r", "6", "7", "8"}));
    }

    void readingStartsAtTheWholeCaretLine() {
        TFmTallixor& window = openWindow();
        window.Memo->setPlainText(QStringLiteral("1\n2\n3\n4\n567\n8"));
        placeCaret(window.Memo, 4, 1);
        QTest::keyClick(window.Memo, Qt::Key_Escape);
        QTRY_COMPARE(m_player->played(), speed({"5", "6", "7", "r", "8", "r"}));
    }

    void typedDigitsPointsAndLineBreaksAreSpoken() {
        TFmTallixor& window = openWindow();
        QTest::keyClicks(window.Memo, QStringLiteral("1.2a -"));
        QTest::keyClick(window.Memo, Qt::Key_Return);
        QTRY_COMPARE(m_player->played(), speed({"1", "d", "2", "r"}));
        QCOMPARE(window.MemoText(), QStringLiteral("1.2a -\n"));
    }

    void lineBreakVoiceOffSilencesEnterAndEndsReadLinesWithTheSpaceSound() {
        TFmTallixor& window = openWindow();
        window.MnReturnVoice->trigger();
        QCOMPARE(window.MnReturnVoice->text(), QStringLiteral("改行発声[off]"));
        QVERIFY(!window.MnReturnVoice->isChecked());
        QTest::keyClicks(window.Memo, QStringLiteral("12"));
        QTest::keyClick(window.Memo, Qt::Key_Return);
        QTRY_COMPARE(m_player->played(), speed({"1", "2"}));
        placeCaret(window.Memo, 0, 0);
        window.MnRead->trigger();
        QTRY_COMPARE(m_player->played(), speed({"1", "2", "1", "2", "s"}));
    }

    void keyInputVoiceOffSpeaksNothingTypedButReadingWorks() {
        TFmTallixor& window = openWindow();
        window.MnInputVoice->trigger();
        QCOMPARE(window.MnInputVoice->text(), QStringLiteral("キー入力時発声[off]"));
        QTest::keyClicks(window.Memo, QStringLiteral("45"));
        QTest::keyClick(window.Memo, Qt::Key_Return);
        QTest::qWait(100);
        QCOMPARE(m_player->played(), QStringList());
        placeCaret(window.Memo, 0, 0);
        window.BtRead->click();
        QTRY_COMPARE(m_player->played(), speed({"4", "5", "r"}));
    }

    void fastTypingIsSpokenInOrderWithNothingLost() {
        TFmTallixor& window = openWindow(5ms);
        const QString digits = QStringLiteral("3141592653.5897932384\r");
        QTest::keyClicks(window.Memo, QStringLiteral("3141592653.5897932384"));
        QTest::keyClick(window.Memo, Qt::Key_Return);
        QStringList expected;
        for (const QChar c : digits)
            expected << (c == QLatin1Char('.')    ? QStringLiteral("d")
                         : c == QLatin1Char('\r') ? QStringLiteral("r")
                                                  : QString(c));
        QTRY_COMPARE(m_player->played(), speed(expected));
    }

    void readingAnEmptyTextEndsAtOnce() {
        TFmTallixor& window = openWindow();
        window.BtRead->click();
        QTRY_VERIFY(!window.Reading());
        QCOMPARE(window.BtRead->text(), QStringLiteral("読み上げ開始"));
        QCOMPARE(m_player->played(), QStringList());
    }

    void caretOnTheEmptyLastLineReadsNothing() {
        TFmTallixor& window = openWindow();
        window.Memo->setPlainText(QStringLiteral("12\n"));
        window.Memo->moveCursor(QTextCursor::End);
        window.BtRead->click();
        QTRY_VERIFY(!window.Reading());
        QTest::qWait(50);
        QCOMPARE(m_player->played(), QStringList());
    }

    void stopDuringALineFinishesTheCurrentCharacterOnly() {
        TFmTallixor& window = openWindow(80ms);
        window.Memo->setPlainText(QStringLiteral("123456\n789"));
        placeCaret(window.Memo, 0, 0);
        m_player->hold();
        window.BtRead->click();
        QTRY_COMPARE(m_player->playing(), QStringLiteral("speed/1"));
        window.BtRead->click();
        m_player->release();
        QCOMPARE(window.BtRead->text(), QStringLiteral("読み上げ開始"));
        QVERIFY(waitUntilIdle(window));
        QTest::qWait(200);
        QCOMPARE(m_player->played(), speed({"1"}));
        QCOMPARE(markedText(window.Memo), QStringLiteral("123456"));
    }

    void stopAndStartBeforeTheCharacterEndsGoesOnFromTheNewCaretLine() {
        TFmTallixor& window = openWindow(80ms);
        window.Memo->setPlainText(QStringLiteral("12\n3\n4"));
        placeCaret(window.Memo, 0, 0);
        m_player->hold();
        window.BtRead->click();
        QTRY_COMPARE(m_player->playing(), QStringLiteral("speed/1"));
        window.BtRead->click();
        placeCaret(window.Memo, 2, 0);
        window.BtRead->click();
        m_player->release();
        QTRY_COMPARE(m_player->played(), speed({"1", "2", "r", "4", "r"}));
    }

    void typedCharactersAreSpokenBeforeReadingStarts() {
        TFmTallixor& window = openWindow(40ms);
        window.Memo->setPlainText(QStringLiteral("5"));
        window.Memo->moveCursor(QTextCursor::End);
        m_player->hold();
        QTest::keyClicks(window.Memo, QStringLiteral("12"));
        QTRY_COMPARE(m_player->playing(), QStringLiteral("speed/1"));
        window.BtRead->click();
        m_player->release();
        QTRY_COMPARE(m_player->played(), speed({"1", "2", "5", "1", "2", "r"}));
    }

    void charactersTypedWhileReadingFollowTheLineHandedOver() {
        TFmTallixor& window = openWindow(40ms);
        window.Memo->setPlainText(QStringLiteral("5\n6"));
        placeCaret(window.Memo, 0, 1);
        m_player->hold();
        window.BtRead->click();
        QTRY_COMPARE(m_player->playing(), QStringLiteral("speed/5"));
        QTest::keyClicks(window.Memo, QStringLiteral("7"));
        m_player->release();
        QTRY_COMPARE(m_player->played(), speed({"5", "r", "6", "r", "7"}));
    }

    void keysWhileReadingActAtTheCaretNotOnTheMarkedLine() {
        TFmTallixor& window = openWindow(40ms);
        window.Memo->setPlainText(QStringLiteral("3333333333\n4"));
        placeCaret(window.Memo, 0, 10);
        m_player->hold();
        window.BtRead->click();
        QTRY_COMPARE(m_player->playing(), QStringLiteral("speed/3"));
        QTest::keyClicks(window.Memo, QStringLiteral("9"));
        QTest::keyClick(window.Memo, Qt::Key_Backspace);
        QTest::keyClick(window.Memo, Qt::Key_Left);
        QTest::keyClick(window.Memo, Qt::Key_Delete);
        QCOMPARE(window.MemoText(), QStringLiteral("333333333\n4"));
        QCOMPARE(markedText(window.Memo), QStringLiteral("333333333"));
        window.BtRead->click();
        m_player->release();
        QVERIFY(waitUntilIdle(window));
    }

    void choosingTheInputSetWhileReadingTakesEffectAtTheNextLine() {
        TFmTallixor& window = openWindow(60ms);
        window.Memo->setPlainText(QStringLiteral("1\n2\n3"));
        placeCaret(window.Memo, 0, 0);
        m_player->hold();
        window.BtRead->click();
        QTRY_COMPARE(m_player->playing(), QStringLiteral("speed/1"));
        window.MnForInput->trigger();
        m_player->release();
        QVERIFY(window.MnForInput->isChecked());
        QVERIFY(!window.MnForRead->isChecked());
        QTRY_VERIFY(!window.Reading());
        QVERIFY(waitUntilIdle(window));
        QCOMPARE(m_player->played(), (QStringList{"speed/1", "speed/r", "hispeed/2", "hispeed/r",
                                                  "hispeed/3", "hispeed/r"}));
    }

    void choosingTheCheckedSetKeepsItsMark() {
        TFmTallixor& window = openWindow();
        QVERIFY(window.MnForRead->isChecked());
        window.MnForRead->trigger();
        QVERIFY(window.MnForRead->isChecked());
        QVERIFY(!window.MnForInput->isChecked());
    }

    void optionsSurviveARestart() {
        {
            TFmTallixor& window = openWindow();
            QVERIFY(window.InputVoice());
            QVERIFY(window.ReturnVoice());
            QCOMPARE(window.VoiceSet(), QStringLiteral("speed"));
            window.MnInputVoice->trigger();
            window.MnReturnVoice->trigger();
            window.MnForInput->trigger();
            m_fixture->closeWindow();
        }
        const QByteArray ini = m_fixture->readDataFile(QStringLiteral("application.ini"));
        QVERIFY(ini.contains("input=0"));
        QVERIFY(ini.contains("return=0"));
        QVERIFY(ini.contains("type=hispeed"));
        TFmTallixor& window = openWindow();
        QVERIFY(!window.InputVoice());
        QVERIFY(!window.ReturnVoice());
        QCOMPARE(window.VoiceSet(), QStringLiteral("hispeed"));
        QVERIFY(!window.MnInputVoice->isChecked());
        QCOMPARE(window.MnReturnVoice->text(), QStringLiteral("改行発声[off]"));
    }

    void anyOtherSetNameIsUsedUnchanged() {
        AppGlobal->WriteString(QStringLiteral("VOICE"), QStringLiteral("type"),
                               QStringLiteral("Speed"));
        TFmTallixor& window = openWindow();
        QVERIFY(window.MnForInput->isChecked());
        QVERIFY(!window.MnForRead->isChecked());
        QTest::keyClicks(window.Memo, QStringLiteral("7"));
        QTest::qWait(100);
        // No folder of that exact name exists: the character is silent.
        QCOMPARE(m_player->played(), QStringList());
    }

    void failedSaveSkipsTheVoiceSettings() {
        TFmTallixor& window = openWindow();
        window.MnInputVoice->trigger();
        QDir().mkpath(m_fixture->dataPath() + QStringLiteral("nums.txt"));
        m_fixture->expectMessageBox();
        m_fixture->closeWindow();
        QVERIFY(!m_fixture->readDataFile(QStringLiteral("application.ini")).contains("input"));
    }
};

QTEST_MAIN(VoiceControlTest)
#include "VoiceControlTest.moc"
