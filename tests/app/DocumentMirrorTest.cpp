#include "app/DocumentMirror.h"
#include "app/NumberText.h"

#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include <random>

using tallix::DocumentMirror;
using tallix::SharedText;

namespace {

// What the window took the text to be before it kept a copy: the whole document, read out.
QString readOut(const QPlainTextEdit& memo) {
    return tallix::documentText(memo.document()->toRawText());
}

QString numberLines(int count) {
    QStringList lines;
    for (int line = 0; line < count; ++line)
        lines.append(QString::number(1000000000 + line));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class DocumentMirrorTest : public QObject {
    Q_OBJECT

private slots:
    // Every way text gets into a text box or out of it, over piece boundaries too: the copy
    // stays the text the document holds, as the window has always read it.
    void followsEveryKindOfEdit() {
        QPlainTextEdit memo;
        memo.setUndoRedoEnabled(false);
        const DocumentMirror mirror(*memo.document());
        auto check = [&](const char* step) {
            QVERIFY2(mirror.text().toString() == readOut(memo), step);
        };
        memo.setPlainText(numberLines(3000));
        check("whole text set");
        QTextCursor caret(memo.document()->findBlockByNumber(500));
        memo.setTextCursor(caret);
        QTest::keyClicks(&memo, QStringLiteral("12.5"));
        QTest::keyClick(&memo, Qt::Key_Return);
        QTest::keyClick(&memo, Qt::Key_Backspace);
        QTest::keyClick(&memo, Qt::Key_Backspace);
        QTest::keyClick(&memo, Qt::Key_Delete);
        check("keys typed");
        caret.insertText(QStringLiteral("\u00A0no-break\u2028separator\r\nfeed"));
        check("characters the file turns into others");

        std::mt19937 random(7);
        for (int edit = 0; edit < 300; ++edit) {
            const int size = memo.document()->characterCount() - 1;
            const int position = static_cast<int>(random() % (size + 1));
            const int removed = static_cast<int>(random() % std::min(size - position + 1, 9000));
            QTextCursor range(memo.document());
            range.setPosition(position);
            range.setPosition(position + removed, QTextCursor::KeepAnchor);
            range.insertText(numberLines(static_cast<int>(random() % 700)));
            check("edit at random");
        }
        memo.clear();
        check("cleared");
    }

    // Showing an entry of the history changes only what differs and takes the entry's pieces:
    // no line is built anew (each keeps its mark), and the copy shares every piece.
    void showsATextByItsDifferencesOnly() {
        QPlainTextEdit memo;
        memo.setUndoRedoEnabled(false);
        DocumentMirror mirror(*memo.document());
        memo.setPlainText(numberLines(20000));
        const SharedText before = mirror.text();
        QTextCursor caret(memo.document()->findBlockByNumber(15000));
        caret.insertText(QStringLiteral("99\n"));
        QTextCursor(memo.document()->findBlockByNumber(10)).deleteChar();
        for (QTextBlock line = memo.document()->begin(); line.isValid(); line = line.next())
            line.setUserState(1);

        mirror.show(before);
        QCOMPARE(readOut(memo), before.toString());
        QVERIFY(mirror.text().differencesTo(before).empty());
        int kept = 0;
        for (QTextBlock line = memo.document()->begin(); line.isValid(); line = line.next())
            kept += line.userState() == 1 ? 1 : 0;
        QCOMPARE(kept, 20000);
    }
};

QTEST_MAIN(DocumentMirrorTest)
#include "DocumentMirrorTest.moc"
