#include "MainWindowFixture.h"
#include "app/UnitFmTallixor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
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
    QTest::keyClick(window.Memo, key, Qt::ControlModifier);
}

} // namespace

class EditCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_fixture;

    TFmTallixor& openWindowWith(const QString& text) {
        TFmTallixor& window = m_fixture->openWindow();
        window.show();
        window.activateWindow();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(&window);
        window.Memo->setPlainText(text);
        window.Memo->setFocus();
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
        placeCaret(window.Memo, 1, 2);
        QApplication::clipboard()->setText(QStringLiteral("99"));
        press(window, Qt::Key_V);
        QCOMPARE(window.MemoText(), QStringLiteral("12\n34995"));

        press(window, Qt::Key_Z);
        QCOMPARE(window.MemoText(), QStringLiteral("12\n345"));
        QCOMPARE(caretLine(window.Memo), 1);
        QCOMPARE(caretColumn(window.Memo), 2);

        press(window, Qt::Key_R);
        QCOMPARE(window.MemoText(), QStringLiteral("12\n34995"));
        QCOMPARE(caretLine(window.Memo), 1);
        QCOMPARE(caretColumn(window.Memo), 4);
    }

    void undoRightAfterASnapshotOnlyMovesTheCaretThenGoesBack() {
        TFmTallixor& window = openWindowWith(QStringLiteral("1"));
        window.MnClearAll->trigger(); // records "1"
        QTest::keyClicks(window.Memo, QStringLiteral("22"));
        window.MnClearAll->trigger(); // records "22"
        QTest::keyClicks(window.Memo, QStringLiteral("333"));
        window.MnCut->trigger(); // records "333" (nothing selected, nothing cut)
        placeCaret(window.Memo, 0, 0);

        window.MnUndo->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("333"));
        QCOMPARE(caretColumn(window.Memo), 3);
        window.MnUndo->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("22"));
    }

    void historyKeepsThirtyTwoEntries() {
        TFmTallixor& window = openWindowWith(QString());
        for (int i = 0; i < 33; ++i) {
            window.Memo->setPlainText(QString::number(i));
            window.MnClearAll->trigger();
        }
        QCOMPARE(window.History().Count(), 32);
        QCOMPARE(window.History().Strings(0), QStringLiteral("1"));
        for (int i = 0; i < 40; ++i) {
            window.MnUndo->trigger();
            QVERIFY(window.MemoText() != QStringLiteral("0"));
        }
    }

    void cuttingAfterTwoUndosDisablesRedo() {
        TFmTallixor& window = openWindowWith(QStringLiteral("1"));
        for (const char* text : {"2", "3", "4"}) {
            window.MnClearAll->trigger();
            window.Memo->setPlainText(QString::fromLatin1(text));
        }
        press(window, Qt::Key_Z);
        press(window, Qt::Key_Z);
        window.N2Click();
        QVERIFY(window.MnRedo->isEnabled());
        window.Memo->selectAll();
        press(window, Qt::Key_X);
        window.N2->popup({0, 0});
        QVERIFY(!window.MnRedo->isEnabled());
        QVERIFY(window.MnUndo->isEnabled());
        window.N2->close();
        const QString before = window.MemoText();
        press(window, Qt::Key_R);
        QCOMPARE(window.MemoText(), before);
    }

    void undoShortcutActsWhenTheMenuWasLastSeenDisabled() {
        TFmTallixor& window = openWindowWith(QString());
        window.MnUndo->trigger(); // back at the start of the history
        window.N2->popup({0, 0}); // nothing more to undo: disabled
        QVERIFY(!window.MnUndo->isEnabled());
        window.N2->close();
        QTest::keyClicks(window.Memo, QStringLiteral("5"));
        window.MnClearAll->trigger();
        press(window, Qt::Key_Z);
        QCOMPARE(window.MemoText(), QStringLiteral("5"));
    }

    void elevenKeyReleasesThenEnterTakeASnapshot() {
        TFmTallixor& window = openWindowWith(QString());
        window.MnClearAll->trigger();
        const int entries = window.History().Count();
        QTest::keyClicks(window.Memo, QStringLiteral("123456789"));
        QTest::keyClick(window.Memo, Qt::Key_Return);
        QCOMPARE(window.History().Count(), entries);

        window.MnClearAll->trigger();
        const int afterClear = window.History().Count();
        QTest::keyClicks(window.Memo, QStringLiteral("1234567890"));
        QTest::keyClick(window.Memo, Qt::Key_Return);
        QCOMPARE(window.History().Count(), afterClear + 1);
        QCOMPARE(window.History().Strings(afterClear), QStringLiteral("1234567890\n"));
    }

    void keepOnlyDigitsKeepsLinesAndPointsAndCanBeUndone() {
        const QString text = QStringLiteral("-1,234.5￥\n\nab 7.0 ８\n");
        TFmTallixor& window = openWindowWith(text);
        window.MNClearExtNum->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("1234.5\n\n7.0\n"));
        window.MnUndo->trigger();
        QCOMPARE(window.MemoText(), text);
    }

    void copyAllSelectsAllAndFillsTheClipboard() {
        TFmTallixor& window = openWindowWith(QStringLiteral("12\n3"));
        window.BtCopyAll->click();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("12\n3"));
        QCOMPARE(window.Memo->textCursor().selectedText().size(), 4);
        QVERIFY(window.Memo->hasFocus());
    }

    void exchangeReplacesTheTextByTheClipboard() {
        TFmTallixor& window = openWindowWith(QStringLiteral("12\n3"));
        QApplication::clipboard()->setText(QStringLiteral("45\r\n6"));
        window.BtExchange->click();
        QCOMPARE(window.MemoText(), QStringLiteral("45\n6"));
        QVERIFY(!window.Memo->textCursor().hasSelection());
        QVERIFY(window.Memo->textCursor().atEnd());
        window.MnUndo->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("12\n3"));
    }

    void exchangeWithoutClipboardTextKeepsTheTextSelected() {
        TFmTallixor& window = openWindowWith(QStringLiteral("12\n3"));
        auto* data = new QMimeData;
        data->setData(QStringLiteral("application/x-other"), "x");
        QApplication::clipboard()->setMimeData(data);
        window.BtExchange->click();
        QCOMPARE(window.MemoText(), QStringLiteral("12\n3"));
        QCOMPARE(window.Memo->textCursor().selectedText().size(), 4);
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
        window.MnUndo->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("2"));
    }

    // The handler's error ends at its own edge, in the standard box: nothing reaches Qt's
    // dispatch, which an exception would leave in an undefined state.
    void droppingAnUnreadableFileShowsTheErrorAndGoesOn() {
        TFmTallixor& window = openWindowWith(QStringLiteral("1"));
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(QStringLiteral("/nonexistent/x.txt"))});
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        m_fixture->expectMessageBox();
        QApplication::sendEvent(window.windowHandle(), &drop);
        delete data;
        QVERIFY(m_fixture->messageBoxText().contains(QStringLiteral("/nonexistent/x.txt")));
        QCOMPARE(window.MemoText(), QStringLiteral("1"));
    }

    void droppedFileThatCannotBeReadLeavesTheText() {
        TFmTallixor& window = openWindowWith(QStringLiteral("1"));
        QVERIFY_THROWS_EXCEPTION(std::exception, window.kstrFormFunc1DropFile(
                                                     &window, QStringLiteral("/nonexistent/x")));
        QCOMPARE(window.MemoText(), QStringLiteral("1"));
    }

    void undoAfterStartGoesNoFurtherBackThanTheLoadedText() {
        m_fixture->writeDataFile(QStringLiteral("nums.txt"), "12");
        TFmTallixor& window = m_fixture->openWindow();
        window.Memo->moveCursor(QTextCursor::End);
        QTest::keyClicks(window.Memo, QStringLiteral("3"));
        window.MnUndo->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("12"));
        QVERIFY(!window.CanUndo());
        window.MnRedo->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("123"));
    }

    void caretOnAVeryLongLineIsRestoredOnItsLine() {
        TFmTallixor& window =
            openWindowWith(QString(100000, QLatin1Char('1')) + QStringLiteral("\n2"));
        placeCaret(window.Memo, 0, 100000);
        window.MnClearAll->trigger();
        window.MnUndo->trigger();
        QCOMPARE(caretLine(window.Memo), 0);
        QCOMPARE(caretColumn(window.Memo), 71582);
    }

    // Line and paragraph separators, next-line, lone CR and NUL from any way in reach the text
    // only as line breaks (NUL not at all), and the file only as CR LF.
    void separatorsEnterTheTextAsLineBreaksOnly() {
        const QString odd =
            QStringLiteral("1\u20282\u20293\u00854\r5") + QChar(0) + QStringLiteral("6");
        const QString document = QStringLiteral("1\n2\n3\n4\n56");
        TFmTallixor& window = openWindowWith(QString());
        QTest::keyClicks(window.Memo, QStringLiteral("7"));
        QTest::keyClick(window.Memo, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(window.MemoText(), QStringLiteral("7\n"));
        QCOMPARE(window.Memo->document()->blockCount(), 2);

        window.Memo->clear();
        QApplication::clipboard()->setText(odd);
        press(window, Qt::Key_V);
        QCOMPARE(window.Memo->document()->toPlainText(), document);
        window.BtExchange->click();
        QCOMPARE(window.Memo->document()->toPlainText(), document);

        QTemporaryDir dir;
        const QString dropped = dir.filePath(QStringLiteral("dropped.txt"));
        QFile file(dropped);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(odd.toUtf8());
        file.close();
        window.kstrFormFunc1DropFile(&window, dropped);
        QCOMPARE(window.Memo->document()->toPlainText(), document);

        QTextCursor(window.Memo->document()).insertText(QStringLiteral("8\u2028"));
        m_fixture->closeWindow();
        QCOMPARE(m_fixture->readDataFile(QStringLiteral("nums.txt")),
                 QByteArray("8\r\n1\r\n2\r\n3\r\n4\r\n56"));
    }
};

QTEST_MAIN(EditCommandsTest)
#include "EditCommandsTest.moc"
