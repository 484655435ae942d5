#include "app/UndoHistory.h"

#include <limits>

#include <gtest/gtest.h>

using tallix::SharedText;
using tallix::UndoHistory;
using tallix::platform::TextEncoding;

TEST(UndoHistoryTest, KeepsTheNewestThirtyTwoEntriesAndUndoStopsAtTheOldest) {
    UndoHistory history;
    for (int i = 0; i < 33; ++i)
        history.takeSnapshot(SharedText(QString::number(i)), {});
    ASSERT_EQ(history.size(), 32);
    EXPECT_EQ(history.entry(0).text.toString(), QStringLiteral("1"));
    QString shown = QStringLiteral("33");
    while (const auto entry = history.undo(SharedText(shown), {}))
        shown = entry->text.toString();
    EXPECT_EQ(shown, QStringLiteral("2")); // recording "33" pushed "1" out too
}

TEST(UndoHistoryTest, RecordsNoCopyOfTheEntryBeforeAndDropsRedoOnANewSnapshot) {
    UndoHistory history;
    EXPECT_TRUE(history.takeSnapshot(SharedText(u"a"), {}));
    EXPECT_FALSE(history.takeSnapshot(SharedText(u"a"), {}));
    history.takeSnapshot(SharedText(u"b"), {});
    history.takeSnapshot(SharedText(u"c"), {});
    EXPECT_EQ(history.undo(SharedText(u"c"), {})->text.toString(), QStringLiteral("c"));
    EXPECT_EQ(history.undo(SharedText(u"c"), {})->text.toString(), QStringLiteral("b"));
    EXPECT_TRUE(history.canRedo());
    EXPECT_TRUE(history.takeSnapshot(SharedText(u"b"), {}));
    EXPECT_FALSE(history.canRedo());
    EXPECT_FALSE(history.redo(SharedText(u"b"), {}));
    EXPECT_EQ(history.size(), 2);
}

TEST(UndoHistoryTest, UndoFromTheEndRecordsTheShownTextForRedo) {
    UndoHistory history;
    history.takeSnapshot(SharedText(u"1"), {0, 1});
    EXPECT_EQ(history.undo(SharedText(u"1\n2"), {1, 1})->text.toString(), QStringLiteral("1"));
    EXPECT_FALSE(history.undo(SharedText(u"1"), {}));
    const auto redone = history.redo(SharedText(u"1"), {});
    EXPECT_EQ(redone->text.toString(), QStringLiteral("1\n2"));
    EXPECT_EQ(redone->caret.line, 1);
    EXPECT_EQ(redone->caret.column, 1);
}

TEST(UndoHistoryTest, CaretIsKeptAsItStoodOnAnyLineAndColumn) {
    UndoHistory history;
    history.takeSnapshot(SharedText(u"a"), {30000, 7});
    history.takeSnapshot(SharedText(u"b"), {7, std::numeric_limits<int>::max()});
    EXPECT_EQ(history.entry(0).caret.line, 30000);
    EXPECT_EQ(history.entry(0).caret.column, 7);
    EXPECT_EQ(history.entry(1).caret.line, 7);
    EXPECT_EQ(history.entry(1).caret.column, std::numeric_limits<int>::max());
}

TEST(UndoHistoryTest, AnEditKeyAfterMoreThanTenKeysCallsForASnapshot) {
    UndoHistory history;
    for (int key = 0; key < 9; ++key)
        EXPECT_FALSE(history.keyReleased(Qt::Key_1));
    EXPECT_FALSE(history.keyReleased(Qt::Key_Return)); // the tenth
    EXPECT_FALSE(history.keyReleased(Qt::Key_Left));
    EXPECT_TRUE(history.keyReleased(Qt::Key_Backspace));
    history.takeSnapshot(SharedText(), {});
    EXPECT_FALSE(history.keyReleased(Qt::Key_Delete));
}

// Keys typed after an undo are a text of their own: the next undo or redo records them instead
// of throwing them away, and only what redo could have brought back gives way.
TEST(UndoHistoryTest, TextTypedAfterAnUndoIsRecordedByTheNextUndoOrRedo) {
    UndoHistory history;
    history.takeSnapshot(SharedText(u"12345"), {});
    EXPECT_EQ(history.undo(SharedText(u"123456"), {})->text.toString(), QStringLiteral("12345"));
    EXPECT_FALSE(history.redo(SharedText(u"123457"), {}));
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undo(SharedText(u"123457"), {})->text.toString(), QStringLiteral("12345"));
    EXPECT_EQ(history.redo(SharedText(u"12345"), {})->text.toString(), QStringLiteral("123457"));

    EXPECT_EQ(history.undo(SharedText(u"1234578"), {})->text.toString(), QStringLiteral("123457"));
    EXPECT_EQ(history.undo(SharedText(u"123457"), {})->text.toString(), QStringLiteral("12345"));
    EXPECT_EQ(history.redo(SharedText(u"12345"), {})->text.toString(), QStringLiteral("123457"));
    EXPECT_EQ(history.redo(SharedText(u"123457"), {})->text.toString(), QStringLiteral("1234578"));
}

TEST(UndoHistoryTest, UndoAndRedoBringBackTheEncodingOfTheirText) {
    UndoHistory history;
    history.takeSnapshot(SharedText(u"1"), {}, TextEncoding::Cp932);
    EXPECT_EQ(history.undo(SharedText(u"2"), {}, TextEncoding::Utf16LeBom)->encoding,
              TextEncoding::Cp932);
    EXPECT_EQ(history.redo(SharedText(u"1"), {}, TextEncoding::Cp932)->encoding,
              TextEncoding::Utf16LeBom);
}

// A long text edited in one place at a time, as the window's copy of it is: the entries share
// what the edits did not touch, each gives back its own text exactly, and what differs between
// two of them is found where the edits were, whole again when replaced.
TEST(UndoHistoryTest, EntriesOfALongTextShareWhatTheyDoNotChange) {
    QString plain = QStringList(40000, QStringLiteral("0123456789")).join(QLatin1Char('\n'));
    SharedText text(plain);
    UndoHistory history;
    QStringList texts;
    for (int i = 0; i < UndoHistory::kMaxEntries; ++i) {
        const qsizetype at = (i * 12007) % plain.size();
        const qsizetype removed = i % 3 == 0 ? 5000 : i % 3;
        const QString inserted = i % 2 ? QStringLiteral("edited %1\n").arg(i) : QString();
        plain.replace(at, removed, inserted);
        text = text.replaced(at, removed, inserted);
        texts.append(plain);
        history.takeSnapshot(text, {});
    }
    // Thirty-two whole copies would be 32 times the text.
    EXPECT_LT(history.storedCharacters(), 2 * plain.size());
    for (int i = 0; i < UndoHistory::kMaxEntries; ++i)
        EXPECT_EQ(history.entry(i).text.toString(), texts[i]);

    for (const auto& [from, to] : {std::pair{31, 0}, std::pair{3, 4}, std::pair{9, 9}}) {
        const SharedText& current = history.entry(from).text;
        const SharedText& wanted = history.entry(to).text;
        EXPECT_EQ(current == wanted, from == to);
        QString result = texts[from];
        qsizetype differing = 0;
        const auto differences = current.differencesTo(wanted);
        for (auto it = differences.rbegin(); it != differences.rend(); ++it) {
            result.replace(it->position, it->removed, wanted.mid(it->wantedPosition, it->inserted));
            differing += it->removed + it->inserted;
        }
        EXPECT_EQ(result, texts[to]);
        if (to == from + 1) {
            EXPECT_LT(differing, 3 * 4096 + 5000);
        }
    }
}
