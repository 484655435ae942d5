#include "MainWindowFixture.h"
#include "app/UnitFmTallixor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QUrl>

using namespace tallix;

namespace {

void placeCaret(QPlainTextEdit* memo, int line, int column) {
    QTextCursor caret(memo->document()->findBlockByNumber(line));
    caret.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, column);
    memo->setTextCursor(caret);
}

int caretLine(QPlainTextEdit* memo) {
    return memo->textCursor().blockNumber();
}
int caretColumn(QPlainTextEdit* memo) {
    return memo->textCursor().positionInBlock();
}

// The Edit menu's shortcut, pressed in the text box as a user would.
void press(TFmTallixor& window, Qt::Key key) {
    QTest::keyClick(memoOf(window), key, Qt::ControlModifier);
}

} // namespace

class EditCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_fixture;

    TFmTallixor& openWindowWith(const QString& text) {
        TFmTallixor& window = m_fixture->openActiveWindow();
        memoOf(window)->setPlainText(text);
        return window;
    }

private slots:
    void init() {
        m_fixture = std::make_unique<MainWindowFixture>();
        QApplication::clipboard()->clear();
    }
    void cleanup() { m_fixture.reset(); }

    void pasteThenUndoAndRedoRestoreTextAndCaret() {
        TFmTallixor& window = openWindowWith(QStringLiteral("12\n345"));
        placeCaret(memoOf(window), 1, 2);
        QApplication::clipboard()->setText(QStringLiteral("99"));
        press(window, Qt::Key_V);
        QCOMPARE(window.MemoText(), QStringLiteral("12\n34995"));

        press(window, Qt::Key_Z);
        QCOMPARE(window.MemoText(), QStringLiteral("12\n345"));
        QCOMPARE(caretLine(memoOf(window)), 1);
        QCOMPARE(caretColumn(memoOf(window)), 2);

        press(window, Qt::Key_R);
        QCOMPARE(window.MemoText(), QStringLiteral("12\n34995"));
        QCOMPARE(caretLine(memoOf(window)), 1);
        QCOMPARE(caretColumn(memoOf(window)), 4);
    }

    void undoRightAfterASnapshotOnlyMovesTheCaretThenGoesBack() {
        TFmTallixor& window = openWindowWith(QStringLiteral("1"));
        actionOf(window, "MnClearAll")->trigger(); // records "1"
        QTest::keyClicks(memoOf(window), QStringLiteral("22"));
        actionOf(window, "MnClearAll")->trigger(); // records "22"
        QTest::keyClicks(memoOf(window), QStringLiteral("333"));
        actionOf(window, "MnCut")->trigger(); // records "333" (nothing selected, nothing cut)
        placeCaret(memoOf(window), 0, 0);

        actionOf(window, "MnUndo")->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("333"));
        QCOMPARE(caretColumn(memoOf(window)), 3);
        actionOf(window, "MnUndo")->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("22"));
    }

    void undoNeverBringsBackATextPastTheThirtyTwoKept() {
        TFmTallixor& window = openWindowWith(QString());
        for (int i = 0; i < 33; ++i) {
            memoOf(window)->setPlainText(QString::number(i));
            actionOf(window, "MnClearAll")->trigger();
        }
        for (int i = 0; i < 40; ++i) {
            actionOf(window, "MnUndo")->trigger();
            QVERIFY(window.MemoText() != QStringLiteral("0"));
        }
    }

    void cuttingAfterTwoUndosDisablesRedo() {
        TFmTallixor& window = openWindowWith(QStringLiteral("1"));
        for (const char* text : {"2", "3", "4"}) {
            actionOf(window, "MnClearAll")->trigger();
            memoOf(window)->setPlainText(QString::fromLatin1(text));
        }
        press(window, Qt::Key_Z);
        press(window, Qt::Key_Z);
        window.N2Click();
        QVERIFY(actionOf(window, "MnRedo")->isEnabled());
        memoOf(window)->selectAll();
        press(window, Qt::Key_X);
        menuOf(window, "N2")->popup({0, 0});
        QVERIFY(!actionOf(window, "MnRedo")->isEnabled());
        QVERIFY(actionOf(window, "MnUndo")->isEnabled());
        menuOf(window, "N2")->close();
        const QString before = window.MemoText();
        press(window, Qt::Key_R);
        QCOMPARE(window.MemoText(), before);
    }

    void undoShortcutActsWhenTheMenuWasLastSeenDisabled() {
        TFmTallixor& window = openWindowWith(QString());
        actionOf(window, "MnUndo")->trigger(); // back at the start of the history
        menuOf(window, "N2")->popup({0, 0});   // nothing more to undo: disabled
        QVERIFY(!actionOf(window, "MnUndo")->isEnabled());
        menuOf(window, "N2")->close();
        QTest::keyClicks(memoOf(window), QStringLiteral("5"));
        actionOf(window, "MnClearAll")->trigger();
        press(window, Qt::Key_Z);
        QCOMPARE(window.MemoText(), QStringLiteral("5"));
    }

    void elevenKeyReleasesThenEnterTakeASnapshot() {
        TFmTallixor& window = openWindowWith(QString());
        actionOf(window, "MnClearAll")->trigger();
        const int entries = window.history().size();
        QTest::keyClicks(memoOf(window), QStringLiteral("123456789"));
        QTest::keyClick(memoOf(window), Qt::Key_Return);
        QCOMPARE(window.history().size(), entries);

        actionOf(window, "MnClearAll")->trigger();
        const int afterClear = window.history().size();
        QTest::keyClicks(memoOf(window), QStringLiteral("1234567890"));
        QTest::keyClick(memoOf(window), Qt::Key_Return);
        QCOMPARE(window.history().size(), afterClear + 1);
        QCOMPARE(window.history().entry(afterClear).text.toString(),
                 QStringLiteral("1234567890\n"));
    }

    void keepOnlyDigitsKeepsLinesAndPointsAndCanBeUndone() {
        const QString text = QStringLiteral("-1,234.5￥\n\nab 7.0 ８\n");
        TFmTallixor& window = openWindowWith(text);
        actionOf(window, "MNClearExtNum")->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("1234.5\n\n7.08\n"));
        actionOf(window, "MnUndo")->trigger();
        QCOMPARE(window.MemoText(), text);
    }

    void copyAllSelectsAllAndFillsTheClipboard() {
        TFmTallixor& window = openWindowWith(QStringLiteral("12\n3"));
        buttonOf(window, "BtCopyAll")->click();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("12\n3"));
        QCOMPARE(memoOf(window)->textCursor().selectedText().size(), 4);
        QVERIFY(memoOf(window)->hasFocus());
    }

    void exchangeReplacesTheTextByTheClipboard() {
        TFmTallixor& window = openWindowWith(QStringLiteral("12\n3"));
        QApplication::clipboard()->setText(QStringLiteral("45\r\n6"));
        buttonOf(window, "BtExchange")->click();
        QCOMPARE(window.MemoText(), QStringLiteral("45\n6"));
        QVERIFY(!memoOf(window)->textCursor().hasSelection());
        QVERIFY(memoOf(window)->textCursor().atEnd());
        actionOf(window, "MnUndo")->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("12\n3"));
    }

    void exchangeWithoutClipboardTextKeepsTheTextSelected() {
        TFmTallixor& window = openWindowWith(QStringLiteral("12\n3"));
        auto* data = new QMimeData;
        data->setData(QStringLiteral("application/x-other"), "x");
        QApplication::clipboard()->setMimeData(data);
        buttonOf(window, "BtExchange")->click();
        QCOMPARE(window.MemoText(), QStringLiteral("12\n3"));
        QCOMPARE(memoOf(window)->textCursor().selectedText().size(), 4);
    }

    void dropReplacesTheTextAfterASnapshot() {
        TFmTallixor& window = openWindowWith(QStringLiteral("2"));
        QTemporaryDir dir;
        const QString dropped = dir.filePath(QStringLiteral("dropped.txt"));
        QFile file(dropped);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("7\n8");
        file.close();
        window.kstrFormFunc1DropFile(&window, dropped);
        QCOMPARE(window.MemoText(), QStringLiteral("7\n8"));
        actionOf(window, "MnUndo")->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("2"));
    }

    void droppedFileThatCannotBeReadLeavesTheText() {
        TFmTallixor& window = openWindowWith(QStringLiteral("1"));
        QVERIFY_THROWS_EXCEPTION(std::exception, window.kstrFormFunc1DropFile(
                                                     &window, QStringLiteral("/nonexistent/x")));
        QCOMPARE(window.MemoText(), QStringLiteral("1"));
    }

    // However many files one drop brings, one undo brings back the text from before it, and the
    // text is saved again in the encoding its own file had.
    void oneUndoTakesBackAWholeDropAndItsEncoding() {
        m_fixture->writeDataFile(QStringLiteral("nums.txt"), QByteArray("\x82\x50", 2));
        TFmTallixor& window = m_fixture->openWindow();
        QTemporaryDir dir;
        QList<QUrl> urls;
        for (int i = 0; i < 33; ++i) {
            const QString name = dir.filePath(QStringLiteral("%1.txt").arg(i));
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("\xFF\xFE", 2) + QByteArray(1, static_cast<char>('0' + i % 10)) +
                       QByteArray(1, '\0'));
            urls.append(QUrl::fromLocalFile(name));
        }
        QMimeData data;
        data.setUrls(urls);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.windowHandle(), &drop);
        QCOMPARE(window.MemoText(), QStringLiteral("2"));
        actionOf(window, "MnUndo")->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("１"));
        m_fixture->closeWindow();
        QCOMPARE(m_fixture->readDataFile(QStringLiteral("nums.txt")), QByteArray("\x82\x50", 2));
    }

    // Typed after an undo, a digit is the newest text: the redo that follows keeps it.
    void keysTypedAfterAnUndoSurviveARedo() {
        m_fixture->writeDataFile(QStringLiteral("nums.txt"), "12345");
        TFmTallixor& window = m_fixture->openWindow();
        memoOf(window)->moveCursor(QTextCursor::End);
        QTest::keyClicks(memoOf(window), QStringLiteral("6"));
        actionOf(window, "MnUndo")->trigger();
        memoOf(window)->moveCursor(QTextCursor::End);
        QTest::keyClicks(memoOf(window), QStringLiteral("7"));
        actionOf(window, "MnRedo")->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("123457"));
        actionOf(window, "MnUndo")->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("12345"));
        actionOf(window, "MnRedo")->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("123457"));
    }

    void undoAfterStartGoesNoFurtherBackThanTheLoadedText() {
        m_fixture->writeDataFile(QStringLiteral("nums.txt"), "12");
        TFmTallixor& window = m_fixture->openWindow();
        memoOf(window)->moveCursor(QTextCursor::End);
        QTest::keyClicks(memoOf(window), QStringLiteral("3"));
        actionOf(window, "MnUndo")->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("12"));
        QVERIFY(!window.history().canUndo());
        actionOf(window, "MnRedo")->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("123"));
    }

    void caretFarDownTheTextIsRestoredOnItsLine() {
        TFmTallixor& window = openWindowWith(QStringLiteral("1\n").repeated(30001));
        placeCaret(memoOf(window), 30000, 1);
        actionOf(window, "MnClearAll")->trigger();
        actionOf(window, "MnUndo")->trigger();
        QCOMPARE(caretLine(memoOf(window)), 30000);
        QCOMPARE(caretColumn(memoOf(window)), 1);
    }

    // Line and paragraph separators, next-line, lone CR, the frame marks the text box takes for
    // line breaks and NUL from any way in reach the text only as line breaks (NUL not at all),
    // and the file only as CR LF.
    void separatorsEnterTheTextAsLineBreaksOnly() {
        const QString odd =
            QStringLiteral("1\u20282\u20293\u00854\r5") + QChar(0) + QStringLiteral("6\uFDD07");
        const QString document = QStringLiteral("1\n2\n3\n4\n56\n7");
        TFmTallixor& window = openWindowWith(QString());
        QTest::keyClicks(memoOf(window), QStringLiteral("7"));
        QTest::keyClick(memoOf(window), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(window.MemoText(), QStringLiteral("7\n"));
        QCOMPARE(memoOf(window)->document()->blockCount(), 2);

        memoOf(window)->clear();
        QApplication::clipboard()->setText(odd);
        press(window, Qt::Key_V);
        QCOMPARE(memoOf(window)->document()->toPlainText(), document);
        buttonOf(window, "BtExchange")->click();
        QCOMPARE(memoOf(window)->document()->toPlainText(), document);

        QTemporaryDir dir;
        const QString dropped = dir.filePath(QStringLiteral("dropped.txt"));
        QFile file(dropped);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(odd.toUtf8());
        file.close();
        window.kstrFormFunc1DropFile(&window, dropped);
        QCOMPARE(memoOf(window)->document()->toPlainText(), document);

        QTextCursor(memoOf(window)->document()).insertText(QStringLiteral("8\u2028"));
        m_fixture->closeWindow();
        QCOMPARE(m_fixture->readDataFile(QStringLiteral("nums.txt")),
                 QByteArray("8\r\n1\r\n2\r\n3\r\n4\r\n56\r\n7"));
    }
};

QTEST_MAIN(EditCommandsTest)
#include "EditCommandsTest.moc"
