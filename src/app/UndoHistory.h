#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace tallix {

// Where the caret stands, both counted from 0.
struct CaretPlace {
    int line = 0;
    int column = 0;
};

// The program's own undo history: whole texts, each with the caret as it stood. The text box's
// own undo is off, so that every editing command records the text once, before it edits.
class UndoHistory {
public:
    static constexpr int kMaxEntries = 32;
    static constexpr int kKeyUpsBeforeSnapshot = 10;

    // The caret is kept as line and column of their own: packed into one number, as
    // column × 30000 + line, every line from the 30,000th on came back as another line.
    struct Entry {
        QString text;
        CaretPlace caret;
    };

    // Records the text unless it equals the entry before; anything that could have been redone
    // is dropped either way. False when nothing was recorded.
    bool takeSnapshot(const QString& text, CaretPlace caret);

    bool canUndo() const { return m_position > 0; }
    bool canRedo() const { return m_position < size() - 1; }

    // The entry to show instead of the given text, or nothing when there is nothing to undo.
    // From the end of the history the given text is recorded first, so that redo comes back to
    // it.
    std::optional<Entry> undo(const QString& text, CaretPlace caret);
    std::optional<Entry> redo();

    // Counts a released key. True when it is an editing key (Enter, Delete, Backspace) released
    // after more than ten keys since the last snapshot: time to record the text.
    bool keyReleased(int key);

    int size() const { return static_cast<int>(m_entries.size()); }
    const Entry& entry(int index) const { return m_entries.at(static_cast<size_t>(index)); }

private:
    std::vector<Entry> m_entries;
    // The entry shown: one past the last at the end of the history.
    int m_position = 0;
    int m_keyUps = 0;
};

} // namespace tallix
