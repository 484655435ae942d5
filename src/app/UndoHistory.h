#pragma once

#include "app/SharedText.h"
#include "platform/TextCodec.h"

#include <optional>
#include <vector>

namespace tallix {

// Where the caret stands, both counted from 0.
struct CaretPlace {
    int line = 0;
    int column = 0;
};

// The program's own undo history: whole texts, each with the caret as it stood and the encoding
// its file would be saved in. The text box's own undo is off, so that every editing command
// records the text once, before it edits. The texts share what they have in common with the
// window's own copy of the text they were taken from, so a long text edited in one place costs
// little more than the place, in memory and in time.
class UndoHistory {
public:
    static constexpr int kMaxEntries = 32;
    static constexpr int kKeyUpsBeforeSnapshot = 10;

    // The caret is kept as line and column of their own: packed into one number, as
    // column × 30000 + line, every line from the 30,000th on came back as another line.
    struct Entry {
        SharedText text;
        CaretPlace caret;
        platform::TextEncoding encoding = platform::TextEncoding::System;
    };

    // Records the text unless it equals the entry before; anything that could have been redone
    // is dropped either way. False when nothing was recorded.
    bool takeSnapshot(const SharedText& text, CaretPlace caret,
                      platform::TextEncoding encoding = platform::TextEncoding::System);

    bool canUndo() const { return m_position > 0; }
    bool canRedo() const { return m_position < size() - 1; }

    // The entry to show instead of the given text, or nothing when there is nothing to undo or
    // redo. A text that holds changes not in the history yet (from the end of the history, or
    // typed since an undo) is recorded first, so that redo comes back to it; an entry that redo
    // could have brought back gives way to it.
    std::optional<Entry> undo(const SharedText& text, CaretPlace caret,
                              platform::TextEncoding encoding = platform::TextEncoding::System);
    std::optional<Entry> redo(const SharedText& text, CaretPlace caret,
                              platform::TextEncoding encoding = platform::TextEncoding::System);

    // Counts a released key. True when it is an editing key (Enter, Delete, Backspace) released
    // after more than ten keys since the last snapshot: time to record the text.
    bool keyReleased(int key);

    int size() const { return static_cast<int>(m_entries.size()); }
    const Entry& entry(int index) const;

    // The characters all entries hold together, each shared piece counted once.
    qsizetype storedCharacters() const;

private:
    void append(const SharedText& text, CaretPlace caret, platform::TextEncoding encoding);
    // Records a text typed over the entry on show, keeping that entry; afterwards the new entry
    // is the one on show.
    bool recordChangesOverShownEntry(const SharedText& text, CaretPlace caret,
                                     platform::TextEncoding encoding);

    std::vector<Entry> m_entries;
    // The entry shown: one past the last at the end of the history.
    int m_position = 0;
    int m_keyUps = 0;
};

} // namespace tallix
