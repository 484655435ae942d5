#include "app/SmallestEdit.h"

#include "app/SharedText.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

// Marks every line with its number, so that a line the edit rebuilt shows up as unmarked.
static void markLines(QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        block.setUserState(block.blockNumber());
}

static QList<int> marks(const QTextDocument& document) {
    QList<int> states;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        states.append(block.userState());
    return states;
}

class SmallestEditTest : public QObject {
    Q_OBJECT

private slots:
    void reachesTheWantedTextAndKeepsUntouchedLines_data() {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("wanted");
        // The marks of the leading lines that the edit must not rebuild.
        QTest::addColumn<QList<int>>("keptMarks");
        QTest::newRow("same text") << "12\n34"
                                   << "12\n34" << QList<int>{0, 1};
        QTest::newRow("lines apart, same count") << "-1\n22\n-3\n44"
                                                 << "1\n22\n3\n44" << QList<int>{0, 1, 2, 3};
        QTest::newRow("line inserted") << "11\n22\n33"
                                       << "11\n22\n99\n33" << QList<int>{0, 1};
        QTest::newRow("lines removed") << "11\n22\n33\n44"
                                       << "11\n44" << QList<int>{0};
        QTest::newRow("all gone") << "11\n22"
                                  << "" << QList<int>{};
        QTest::newRow("from empty") << ""
                                    << "5\n6" << QList<int>{};
        QTest::newRow("surrogate pairs") << "a\U0001F600b\nc"
                                         << "a\U0001F601b\nc" << QList<int>{0, 1};
    }
    void reachesTheWantedTextAndKeepsUntouchedLines() {
        QFETCH(QString, current);
        QFETCH(QString, wanted);
        QFETCH(QList<int>, keptMarks);
        QTextDocument document(current);
        markLines(document);
        tallix::applySmallestEdit(document, tallix::SharedText(current),
                                  tallix::SharedText(wanted));
        QCOMPARE(document.toPlainText(), wanted);
        QCOMPARE(marks(document).first(keptMarks.size()), keptMarks);
    }
};

QTEST_MAIN(SmallestEditTest)
#include "SmallestEditTest.moc"
