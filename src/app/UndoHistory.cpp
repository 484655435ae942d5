#include "app/UndoHistory.h"

#include <Qt>

namespace tallix {

bool UndoHistory::takeSnapshot(const QString& text, CaretPlace caret) {
    m_keyUps = 0;
    m_entries.resize(static_cast<size_t>(m_position));
    if (m_position > 0 && m_entries.back().text == text)
        return false;
    m_entries.push_back({text, caret});
    if (size() > kMaxEntries)
        m_entries.erase(m_entries.begin());
    m_position = size();
    return true;
}

std::optional<UndoHistory::Entry> UndoHistory::undo(const QString& text, CaretPlace caret) {
    if (!canUndo())
        return std::nullopt;
    if (m_position == size() && takeSnapshot(text, caret))
        --m_position;
    --m_position;
    return m_entries[static_cast<size_t>(m_position)];
}

std::optional<UndoHistory::Entry> UndoHistory::redo() {
    if (!canRedo())
        return std::nullopt;
    ++m_position;
    return m_entries[static_cast<size_t>(m_position)];
}

bool UndoHistory::keyReleased(int key) {
    ++m_keyUps;
    const bool editKey = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Delete ||
                         key == Qt::Key_Backspace;
    return m_keyUps > kKeyUpsBeforeSnapshot && editKey;
}

} // namespace tallix
