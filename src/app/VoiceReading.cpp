#include "app/VoiceReading.h"

#include <algorithm>

namespace tallix {

int VoiceReading::readLine(const ReadableText& text) const {
    return m_anchor < 0 ? 0 : text.lineAt(m_anchor) + 1;
}

void VoiceReading::start(int caretLine, const ReadableText& text) {
    m_reading = true;
    m_anchor = caretLine <= 0 ? -1 : text.lineEnd(caretLine - 1);
}

// Text typed at the anchor belongs to the line it ends, so a line begun there by a line break is
// still to be read; an anchor whose character is deleted falls back to the character before the
// deletion, so that whatever followed the deletion is read next.
void VoiceReading::textChanged(int position, int removed, int added) {
    if (position > m_anchor) {
        return;
    }
    if (position + removed > m_anchor) {
        m_anchor = position - 1;
    } else if (removed > 0 || position < m_anchor) {
        m_anchor += added - removed;
    }
}

VoiceReading::HandOver VoiceReading::feed(QByteArray& threadText, bool stopRequested,
                                          bool returnVoice, const ReadableText& text) {
    HandOver handOver;
    const qsizetype typedLeft = std::min(threadText.size(), m_typedHandedOver);
    if (stopRequested) {
        m_reading = false;
        handOver.stopReading = true;
        threadText = threadText.right(typedLeft);
    }
    if (readLine(text) >= text.readableLineCount()) {
        m_reading = false;
        handOver.stopReading = true;
    }
    // A line cut short by a stop that was taken back before the thread asked is finished first;
    // the next line follows at the next request.
    if (m_reading && threadText.isEmpty()) {
        const int line = readLine(text);
        threadText = text.lineVoice(line) + (returnVoice ? '\r' : ' ');
        m_anchor = text.lineEnd(line);
        handOver.markedLine = line;
    }
    threadText.append(m_typedChars);
    m_typedHandedOver = typedLeft + m_typedChars.size();
    m_typedChars.clear();
    return handOver;
}

} // namespace tallix
