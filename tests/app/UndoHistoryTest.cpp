#include "app/UndoHistory.h"

#include <limits>

#include <gtest/gtest.h>

using tallix::UndoHistory;
using tallix::platform::TextEncoding;

TEST(UndoHistoryTest, KeepsTheNewestThirtyTwoEntriesAndUndoStopsAtTheOldest) {
    UndoHistory history;
    for (int i = 0; i < 33; ++i)
        history.takeSnapshot(QString::number(i), {});
    ASSERT_EQ(history.size(), 32);
    EXPECT_EQ(history.entry(0).text, QStringLiteral("1"));
    QString shown = QStringLiteral("33");
    while (const auto entry = history.undo(shown, {}))
        shown = entry->text;
    EXPECT_EQ(shown, QStringLiteral("2")); // recording "33" pushed "1" out too
}

TEST(UndoHistoryTest, RecordsNoCopyOfTheEntryBeforeAndDropsRedoOnANewSnapshot) {
    UndoHistory history;
    EXPECT_TRUE(history.takeSnapshot(QStringLiteral("a"), {}));
    EXPECT_FALSE(history.takeSnapshot(QStringLiteral("a"), {}));
    history.takeSnapshot(QStringLiteral("b"), {});
    history.takeSnapshot(QStringLiteral("c"), {});
    EXPECT_EQ(history.undo(QStringLiteral("c"), {})->text, QStringLiteral("c"));
    EXPECT_EQ(history.undo(QStringLiteral("c"), {})->text, QStringLiteral("b"));
    EXPECT_TRUE(history.canRedo());
    EXPECT_TRUE(history.takeSnapshot(QStringLiteral("b"), {}));
    EXPECT_FALSE(history.canRedo());
    EXPECT_FALSE(history.redo(QStringLiteral("b"), {}));
    EXPECT_EQ(history.size(), 2);
}

TEST(UndoHistoryTest, UndoFromTheEndRecordsTheShownTextForRedo) {
    UndoHistory history;
    history.takeSnapshot(QStringLiteral("1"), {0, 1});
    EXPECT_EQ(history.undo(QStringLiteral("1\n2"), {1, 1})->text, QStringLiteral("1"));
    EXPECT_FALSE(history.undo(QStringLiteral("1"), {}));
    const auto redone = history.redo(QStringLiteral("1"), {});
    EXPECT_EQ(redone->text, QStringLiteral("1\n2"));
    EXPECT_EQ(redone->caret.line, 1);
    EXPECT_EQ(redone->caret.column, 1);
}

TEST(UndoHistoryTest, CaretIsKeptAsItStoodOnAnyLineAndColumn) {
    UndoHistory history;
    history.takeSnapshot(QStringLiteral("a"), {30000, 7});
    history.takeSnapshot(QStringLiteral("b"), {7, std::numeric_limits<int>::max()});
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
    history.takeSnapshot({}, {});
    EXPECT_FALSE(history.keyReleased(Qt::Key_Delete));
}

// Keys typed after an undo are a text of their own: the next undo or redo records them instead
// of throwing them away, and only what redo could have brought back gives way.
TEST(UndoHistoryTest, TextTypedAfterAnUndoIsRecordedByTheNextUndoOrRedo) {
    UndoHistory history;
    history.takeSnapshot(QStringLiteral("12345"), {});
    EXPECT_EQ(history.undo(QStringLiteral("123456"), {})->text, QStringLiteral("12345"));
    EXPECT_FALSE(history.redo(QStringLiteral("123457"), {}));
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undo(QStringLiteral("123457"), {})->text, QStringLiteral("12345"));
    EXPECT_EQ(history.redo(QStringLiteral("12345"), {})->text, QStringLiteral("123457"));

    EXPECT_EQ(history.undo(QStringLiteral("1234578"), {})->text, QStringLiteral("123457"));
    EXPECT_EQ(history.undo(QStringLiteral("123457"), {})->text, QStringLiteral("12345"));
    EXPECT_EQ(history.redo(QStringLiteral("12345"), {})->text, QStringLiteral("123457"));
    EXPECT_EQ(history.redo(QStringLiteral("123457"), {})->text, QStringLiteral("1234578"));
}

TEST(UndoHistoryTest, UndoAndRedoBringBackTheEncodingOfTheirText) {
    UndoHistory history;
    history.takeSnapshot(QStringLiteral("1"), {}, TextEncoding::Cp932);
    EXPECT_EQ(history.undo(QStringLiteral("2"), {}, TextEncoding::Utf16LeBom)->encoding,
              TextEncoding::Cp932);
    EXPECT_EQ(history.redo(QStringLiteral("1"), {}, TextEncoding::Cp932)->encoding,
              TextEncoding::Utf16LeBom);
}

// A long text edited in one line at a time: the entries share what they do not change, and
// each still gives back its own text exactly.
TEST(UndoHistoryTest, EntriesOfALongTextShareWhatTheyDoNotChange) {
    QStringList lines(40000, QStringLiteral("0123456789"));
    UndoHistory history;
    QStringList texts;
    for (int i = 0; i < UndoHistory::kMaxEntries; ++i) {
        lines[i * 1201] = QStringLiteral("edited %1").arg(i);
        if (i % 2 == 1)
            lines.insert(i * 1199, QStringLiteral("inserted"));
        texts.append(lines.join(QLatin1Char('\n')));
        history.takeSnapshot(texts.last(), {});
    }
    const qsizetype textSize = texts.last().size();
    // Thirty-two whole copies would be 32 times the text.
    EXPECT_LT(history.storedCharacters(), 2 * textSize);
    for (int i = 0; i < UndoHistory::kMaxEntries; ++i)
        EXPECT_EQ(history.entry(i).text, texts[i]);
}
