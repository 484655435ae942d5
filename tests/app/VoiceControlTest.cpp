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
        return m_fixture->openActiveWindow(m_player);
    }

    // Reading has ended and the reader thread has said all it had and rests.
    bool waitUntilIdle(TFmTallixor& window) {
        return QTest::qWaitFor(
            [&] {
                const TFmTallixor::VoiceState state = window.voiceState();
                return !state.reading && state.resting && m_player->playing().isEmpty();
            },
            5000);
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
        memoOf(window)->setPlainText(QStringLiteral("12\n3"));
        placeCaret(memoOf(window), 0, 1);
        buttonOf(window, "BtRead")->click();
        QCOMPARE(buttonOf(window, "BtRead")->text(), QStringLiteral("読み上げ停止"));
        QCOMPARE(actionOf(window, "MnRead")->text(), QStringLiteral("読み上げ停止"));
        QTRY_COMPARE(m_player->played(), speed({"1", "2", "r", "3", "r"}));
        QTRY_VERIFY(!window.voiceState().reading);
        QCOMPARE(buttonOf(window, "BtRead")->text(), QStringLiteral("読み上げ開始"));
        QCOMPARE(actionOf(window, "MnRead")->text(), QStringLiteral("読み上げ開始"));
        QCOMPARE(markedText(memoOf(window)), QStringLiteral("3"));
        QVERIFY(!memoOf(window)->textCursor().hasSelection());
        QCOMPARE(memoOf(window)->textCursor().position(), 1);
        QCOMPARE(window.voiceState().readLine, 2);
    }

    void digitsTypedAfterReadingEndedAreAllSpoken() {
        TFmTallixor& window = openWindow(30ms);
        memoOf(window)->setPlainText(QStringLiteral("1"));
        buttonOf(window, "BtRead")->click();
        QVERIFY(waitUntilIdle(window));
        QTest::keyClicks(memoOf(window), QStringLiteral("678"));
        QTRY_COMPARE(m_player->played(), speed({"1", "r", "6", "7", "8"}));
    }

    void readingStartsAtTheWholeCaretLine() {
        TFmTallixor& window = openWindow();
        memoOf(window)->setPlainText(QStringLiteral("1\n2\n3\n4\n567\n8"));
        placeCaret(memoOf(window), 4, 1);
        QTest::keyClick(memoOf(window), Qt::Key_Escape);
        QTRY_COMPARE(m_player->played(), speed({"5", "6", "7", "r", "8", "r"}));
    }

    void typedDigitsPointsAndLineBreaksAreSpoken() {
        TFmTallixor& window = openWindow();
        QTest::keyClicks(memoOf(window), QStringLiteral("1.2a -"));
        QTest::keyClick(memoOf(window), Qt::Key_Return);
        QTRY_COMPARE(m_player->played(), speed({"1", "d", "2", "r"}));
        QCOMPARE(window.MemoText(), QStringLiteral("1.2a -\n"));
    }

    void lineBreakVoiceOffSilencesEnterAndEndsReadLinesWithTheSpaceSound() {
        TFmTallixor& window = openWindow();
        actionOf(window, "MnReturnVoice")->trigger();
        QCOMPARE(actionOf(window, "MnReturnVoice")->text(), QStringLiteral("改行発声[off]"));
        QVERIFY(!actionOf(window, "MnReturnVoice")->isChecked());
        QTest::keyClicks(memoOf(window), QStringLiteral("12"));
        QTest::keyClick(memoOf(window), Qt::Key_Return);
        QTRY_COMPARE(m_player->played(), speed({"1", "2"}));
        placeCaret(memoOf(window), 0, 0);
        actionOf(window, "MnRead")->trigger();
        QTRY_COMPARE(m_player->played(), speed({"1", "2", "1", "2", "s"}));
    }

    void keyInputVoiceOffSpeaksNothingTypedButReadingWorks() {
        TFmTallixor& window = openWindow();
        actionOf(window, "MnInputVoice")->trigger();
        QCOMPARE(actionOf(window, "MnInputVoice")->text(), QStringLiteral("キー入力時発声[off]"));
        QTest::keyClicks(memoOf(window), QStringLiteral("45"));
        QTest::keyClick(memoOf(window), Qt::Key_Return);
        QVERIFY2(window.voiceState().resting, "a key typed with the voice off woke the reader");
        QCOMPARE(m_player->played(), QStringList());
        placeCaret(memoOf(window), 0, 0);
        buttonOf(window, "BtRead")->click();
        QTRY_COMPARE(m_player->played(), speed({"4", "5", "r"}));
    }

    void fastTypingIsSpokenInOrderWithNothingLost() {
        TFmTallixor& window = openWindow(5ms);
        const QString digits = QStringLiteral("3141592653.5897932384\r");
        QTest::keyClicks(memoOf(window), QStringLiteral("3141592653.5897932384"));
        QTest::keyClick(memoOf(window), Qt::Key_Return);
        QStringList expected;
        for (const QChar c : digits)
            expected << (c == QLatin1Char('.')    ? QStringLiteral("d")
                         : c == QLatin1Char('\r') ? QStringLiteral("r")
                                                  : QString(c));
        QTRY_COMPARE(m_player->played(), speed(expected));
    }

    void readingAnEmptyTextEndsAtOnce() {
        TFmTallixor& window = openWindow();
        buttonOf(window, "BtRead")->click();
        QTRY_VERIFY(!window.voiceState().reading);
        QCOMPARE(buttonOf(window, "BtRead")->text(), QStringLiteral("読み上げ開始"));
        QCOMPARE(m_player->played(), QStringList());
    }

    void caretOnTheEmptyLastLineReadsNothing() {
        TFmTallixor& window = openWindow();
        memoOf(window)->setPlainText(QStringLiteral("12\n"));
        memoOf(window)->moveCursor(QTextCursor::End);
        buttonOf(window, "BtRead")->click();
        QVERIFY(waitUntilIdle(window));
        QCOMPARE(m_player->played(), QStringList());
    }

    void stopDuringALineFinishesTheCurrentCharacterOnly() {
        TFmTallixor& window = openWindow(80ms);
        memoOf(window)->setPlainText(QStringLiteral("123456\n789"));
        placeCaret(memoOf(window), 0, 0);
        m_player->hold();
        buttonOf(window, "BtRead")->click();
        QTRY_COMPARE(m_player->playing(), QStringLiteral("speed/1"));
        buttonOf(window, "BtRead")->click();
        m_player->release();
        QCOMPARE(buttonOf(window, "BtRead")->text(), QStringLiteral("読み上げ開始"));
        QVERIFY(waitUntilIdle(window));
        QCOMPARE(m_player->played(), speed({"1"}));
        QCOMPARE(markedText(memoOf(window)), QStringLiteral("123456"));
    }

    void stopAndStartBeforeTheCharacterEndsGoesOnFromTheNewCaretLine() {
        TFmTallixor& window = openWindow(80ms);
        memoOf(window)->setPlainText(QStringLiteral("12\n3\n4"));
        placeCaret(memoOf(window), 0, 0);
        m_player->hold();
        buttonOf(window, "BtRead")->click();
        QTRY_COMPARE(m_player->playing(), QStringLiteral("speed/1"));
        buttonOf(window, "BtRead")->click();
        placeCaret(memoOf(window), 2, 0);
        buttonOf(window, "BtRead")->click();
        m_player->release();
        QTRY_COMPARE(m_player->played(), speed({"1", "2", "r", "4", "r"}));
    }

    void typedCharactersAreSpokenBeforeReadingStarts() {
        TFmTallixor& window = openWindow(40ms);
        memoOf(window)->setPlainText(QStringLiteral("5"));
        memoOf(window)->moveCursor(QTextCursor::End);
        m_player->hold();
        QTest::keyClicks(memoOf(window), QStringLiteral("12"));
        QTRY_COMPARE(m_player->playing(), QStringLiteral("speed/1"));
        buttonOf(window, "BtRead")->click();
        m_player->release();
        QTRY_COMPARE(m_player->played(), speed({"1", "2", "5", "1", "2", "r"}));
    }

    void charactersTypedWhileReadingFollowTheLineHandedOver() {
        TFmTallixor& window = openWindow(40ms);
        memoOf(window)->setPlainText(QStringLiteral("5\n6"));
        placeCaret(memoOf(window), 0, 1);
        m_player->hold();
        buttonOf(window, "BtRead")->click();
        QTRY_COMPARE(m_player->playing(), QStringLiteral("speed/5"));
        QTest::keyClicks(memoOf(window), QStringLiteral("7"));
        m_player->release();
        QTRY_COMPARE(m_player->played(), speed({"5", "r", "6", "r", "7"}));
    }

    void aDigitTypedWhileReadingIsSpokenThoughReadingStops() {
        TFmTallixor& window = openWindow(200ms);
        memoOf(window)->setPlainText(QStringLiteral("5\n66"));
        placeCaret(memoOf(window), 0, 1);
        m_player->hold();
        buttonOf(window, "BtRead")->click();
        QTRY_COMPARE(m_player->playing(), QStringLiteral("speed/5"));
        QTest::keyClicks(memoOf(window), QStringLiteral("7"));
        m_player->release();
        QTRY_COMPARE(m_player->playing(), QStringLiteral("speed/6"));
        m_player->hold();
        buttonOf(window, "BtRead")->click();
        m_player->release();
        QTRY_COMPARE(m_player->played(), speed({"5", "r", "6", "7"}));
        QVERIFY(waitUntilIdle(window));
        QCOMPARE(m_player->played(), speed({"5", "r", "6", "7"}));
    }

    void aLineInsertedAboveTheReadingPointIsNotReadAgain() {
        TFmTallixor& window = openWindow(40ms);
        memoOf(window)->setPlainText(QStringLiteral("1\n2\n3"));
        placeCaret(memoOf(window), 0, 0);
        m_player->hold();
        buttonOf(window, "BtRead")->click();
        QTRY_COMPARE(m_player->playing(), QStringLiteral("speed/1"));
        QTest::keyClicks(memoOf(window), QStringLiteral("9"));
        QTest::keyClick(memoOf(window), Qt::Key_Return);
        m_player->release();
        QTRY_COMPARE(m_player->played(), speed({"1", "r", "2", "r", "9", "r", "3", "r"}));
    }

    void keysWhileReadingActAtTheCaretNotOnTheMarkedLine() {
        TFmTallixor& window = openWindow(40ms);
        memoOf(window)->setPlainText(QStringLiteral("3333333333\n4"));
        placeCaret(memoOf(window), 0, 10);
        m_player->hold();
        buttonOf(window, "BtRead")->click();
        QTRY_COMPARE(m_player->playing(), QStringLiteral("speed/3"));
        QTest::keyClicks(memoOf(window), QStringLiteral("9"));
        QTest::keyClick(memoOf(window), Qt::Key_Backspace);
        QTest::keyClick(memoOf(window), Qt::Key_Left);
        QTest::keyClick(memoOf(window), Qt::Key_Delete);
        QCOMPARE(window.MemoText(), QStringLiteral("333333333\n4"));
        QCOMPARE(markedText(memoOf(window)), QStringLiteral("333333333"));
        buttonOf(window, "BtRead")->click();
        m_player->release();
        QVERIFY(waitUntilIdle(window));
    }

    void choosingTheInputSetWhileReadingTakesEffectAtTheNextLine() {
        TFmTallixor& window = openWindow(60ms);
        memoOf(window)->setPlainText(QStringLiteral("1\n2\n3"));
        placeCaret(memoOf(window), 0, 0);
        m_player->hold();
        buttonOf(window, "BtRead")->click();
        QTRY_COMPARE(m_player->playing(), QStringLiteral("speed/1"));
        actionOf(window, "MnForInput")->trigger();
        m_player->release();
        QVERIFY(actionOf(window, "MnForInput")->isChecked());
        QVERIFY(!actionOf(window, "MnForRead")->isChecked());
        QTRY_VERIFY(!window.voiceState().reading);
        QVERIFY(waitUntilIdle(window));
        QCOMPARE(m_player->played(), (QStringList{"speed/1", "speed/r", "hispeed/2", "hispeed/r",
                                                  "hispeed/3", "hispeed/r"}));
    }

    void choosingTheCheckedSetKeepsItsMark() {
        TFmTallixor& window = openWindow();
        QVERIFY(actionOf(window, "MnForRead")->isChecked());
        actionOf(window, "MnForRead")->trigger();
        QVERIFY(actionOf(window, "MnForRead")->isChecked());
        QVERIFY(!actionOf(window, "MnForInput")->isChecked());
    }

    void optionsSurviveARestart() {
        {
            TFmTallixor& window = openWindow();
            QVERIFY(window.voiceState().inputVoice);
            QVERIFY(window.voiceState().returnVoice);
            QCOMPARE(window.voiceState().voiceSet, QStringLiteral("speed"));
            actionOf(window, "MnInputVoice")->trigger();
            actionOf(window, "MnReturnVoice")->trigger();
            actionOf(window, "MnForInput")->trigger();
            m_fixture->closeWindow();
        }
        const QByteArray ini = m_fixture->readDataFile(QStringLiteral("application.ini"));
        QVERIFY(ini.contains("input=0"));
        QVERIFY(ini.contains("return=0"));
        QVERIFY(ini.contains("type=hispeed"));
        TFmTallixor& window = openWindow();
        QVERIFY(!window.voiceState().inputVoice);
        QVERIFY(!window.voiceState().returnVoice);
        QCOMPARE(window.voiceState().voiceSet, QStringLiteral("hispeed"));
        QVERIFY(!actionOf(window, "MnInputVoice")->isChecked());
        QCOMPARE(actionOf(window, "MnReturnVoice")->text(), QStringLiteral("改行発声[off]"));
    }

    void anyOtherSetNameIsUsedUnchanged() {
        AppGlobal->WriteString(QStringLiteral("VOICE"), QStringLiteral("type"),
                               QStringLiteral("Speed"));
        TFmTallixor& window = openWindow();
        QVERIFY(actionOf(window, "MnForInput")->isChecked());
        QVERIFY(!actionOf(window, "MnForRead")->isChecked());
        QTest::keyClicks(memoOf(window), QStringLiteral("7"));
        QVERIFY(waitUntilIdle(window));
        // No folder of that exact name exists: the character is silent.
        QCOMPARE(m_player->played(), QStringList());
    }

    void failedSaveSkipsTheVoiceSettings() {
        TFmTallixor& window = openWindow();
        actionOf(window, "MnInputVoice")->trigger();
        // Only a changed text is saved, and so can fail to be.
        memoOf(window)->setPlainText(QStringLiteral("1"));
        QDir().mkpath(m_fixture->dataPath() + QStringLiteral("nums.txt"));
        m_fixture->expectMessageBox();
        m_fixture->closeWindow();
        QVERIFY(!m_fixture->readDataFile(QStringLiteral("application.ini")).contains("input"));
    }
};

QTEST_MAIN(VoiceControlTest)
#include "VoiceControlTest.moc"
