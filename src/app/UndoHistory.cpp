#include "app/UndoHistory.h"

#include <Qt>

namespace tallix {

using platform::TextEncoding;

void UndoHistory::append(const SharedText& text, CaretPlace caret, TextEncoding encoding) {
    m_entries.push_back({text, caret, encoding});
    if (size() > kMaxEntries)
        m_entries.erase(m_entries.begin());
    m_position = size();
}

bool UndoHistory::takeSnapshot(const SharedText& text, CaretPlace caret, TextEncoding encoding) {
    m_keyUps = 0;
    m_entries.resize(static_cast<size_t>(m_position));
    if (m_position > 0 && m_entries.back().text == text)
        return false;
    append(text, caret, encoding);
    return true;
}

bool UndoHistory::recordChangesOverShownEntry(const SharedText& text, CaretPlace caret,
                                              TextEncoding encoding) {
    if (m_position >= size() || m_entries[static_cast<size_t>(m_position)].text == text)
        return false;
    m_keyUps = 0;
    m_entries.resize(static_cast<size_t>(m_position) + 1);
    append(text, caret, encoding);
    m_position = size() - 1;
    return true;
}

std::optional<UndoHistory::Entry> UndoHistory::undo(const SharedText& text, CaretPlace caret,
                                                    TextEncoding encoding) {
    if (!canUndo())
        return std::nullopt;
    if (m_position == size()) {
        if (takeSnapshot(text, caret, encoding))
            --m_position;
    } else {
        recordChangesOverShownEntry(text, caret, encoding);
    }
    --m_position;
    return entry(m_position);
}

std::optional<UndoHistory::Entry> UndoHistory::redo(const SharedText& text, CaretPlace caret,
                                                    TextEncoding encoding) {
    // What was typed since the undo stays: it is now the newest entry, with nothing to redo.
    if (recordChangesOverShownEntry(text, caret, encoding) || !canRedo())
        return std::nullopt;
    ++m_position;
    return entry(m_position);
}

const UndoHistory::Entry& UndoHistory::entry(int index) const {
    return m_entries.at(static_cast<size_t>(index));
}

qsizetype UndoHistory::storedCharacters() const {
    QSet<const QChar*> counted;
    qsizetype characters = 0;
    for (const Entry& stored : m_entries)
        characters += stored.text.charactersNotCounted(counted);
    return characters;
}

bool UndoHistory::keyReleased(int key) {
    ++m_keyUps;
    const bool editKey = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Delete ||
                         key == Qt::Key_Backspace;
    return m_keyUps > kKeyUpsBeforeSnapshot && editKey;
}

} // namespace tallix
