#pragma once

#include <QByteArray>

namespace tallix {

// The text as reading sees it. A position counts each character and each line break as one, as
// the text box's document does.
class ReadableText {
public:
    virtual ~ReadableText() = default;
    // The number of lines; an empty last line, as after a final line break, is not counted.
    virtual int readableLineCount() const = 0;
    // The line that holds the position; positions past the end belong to the last line.
    virtual int lineAt(int position) const = 0;
    // The position just past the line's last character: its line break, or the end of the text.
    virtual int lineEnd(int line) const = 0;
    // The line's characters as the reader thread takes them, one recording per byte.
    virtual QByteArray lineVoice(int line) const = 0;
};

// What the reader thread is to say and when: the line-by-line reading and the echo of typed
// characters. Typed characters wait in a queue of their own, and those already handed over stay
// the tail of the thread's text: a stop drops the rest of the line being read, never a typed
// character. The reading point is anchored in the text, so that lines inserted or deleted above
// it neither repeat nor skip a line.
class VoiceReading {
public:
    // What the owner does after a hand-over.
    struct HandOver {
        bool stopReading = false; // reading has ended: the captions go back
        int markedLine = -1;      // the line just handed over, to be marked; -1 for none
    };

    bool reading() const { return m_reading; }
    // The next line to hand over.
    int readLine(const ReadableText& text) const;

    // Reading starts with the whole line that holds the caret.
    void start(int caretLine, const ReadableText& text);
    void stop() { m_reading = false; }
    // A character to be echoed: it is handed over at the next request of the thread.
    void type(char character) { m_typedChars.append(character); }

    // The text changed at `position`: `removed` characters went, `added` came in their place.
    void textChanged(int position, int removed, int added);

    // Runs when the thread asks for more, with the text it still holds (the rest of a line cut
    // short by a stop, and typed characters behind it) and whether a stop was requested.
    HandOver feed(QByteArray& threadText, bool stopRequested, bool returnVoice,
                  const ReadableText& text);

private:
    bool m_reading = false;
    // The end of the line last handed over (or the line break before the caret's line when
    // reading starts; -1 before the first line). The next line to read follows it.
    int m_anchor = -1;
    QByteArray m_typedChars;
    // How many characters at the end of the thread's text are typed ones.
    qsizetype m_typedHandedOver = 0;
};

} // namespace tallix
