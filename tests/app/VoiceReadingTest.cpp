#include "app/VoiceReading.h"

#include <QStringList>

#include <gtest/gtest.h>

using tallix::VoiceReading;

namespace {

// A text of '\n'-separated lines whose edits are reported as the text box's document reports
// them.
class Lines final : public tallix::ReadableText {
public:
    Lines(QString text, VoiceReading& reading) : m_text(std::move(text)), m_reading(reading) {}

    void edit(int position, int removed, const QString& added) {
        m_text.replace(position, removed, added);
        m_reading.textChanged(position, removed, static_cast<int>(added.size()));
    }
    int lineStart(int line) const { return line == 0 ? 0 : lineEnd(line - 1) + 1; }

    int readableLineCount() const override {
        const int lines = static_cast<int>(m_text.count(QLatin1Char('\n'))) + 1;
        return m_text.endsWith(QLatin1Char('\n')) || m_text.isEmpty() ? lines - 1 : lines;
    }
    int lineAt(int position) const override {
        return static_cast<int>(m_text.left(position).count(QLatin1Char('\n')));
    }
    int lineEnd(int line) const override {
        qsizetype end = -1;
        for (int i = 0; i <= line; ++i) {
            end = m_text.indexOf(QLatin1Char('\n'), end + 1);
            if (end < 0)
                return static_cast<int>(m_text.size());
        }
        return static_cast<int>(end);
    }
    QByteArray lineVoice(int line) const override {
        return m_text.split(QLatin1Char('\n')).at(line).toLatin1();
    }

private:
    QString m_text;
    VoiceReading& m_reading;
};

// The reader thread's side: what it holds, and the requests it makes.
struct Thread {
    QByteArray text;
    VoiceReading::HandOver ask(VoiceReading& reading, const Lines& lines, bool stop = false) {
        return reading.feed(text, stop, true, lines);
    }
    void speak(int characters) { text.remove(0, characters); }
};

// A stop drops the rest of the line being read, never a typed character: neither one handed
// over behind the line, nor one typed after the stop, nor one of a plain echo.
TEST(VoiceReadingTest, StopKeepsEveryTypedCharacter) {
    VoiceReading reading;
    Lines lines(QStringLiteral("12\n345"), reading);
    Thread thread;
    reading.start(0, lines);
    thread.ask(reading, lines);
    reading.type('7');
    thread.speak(3);
    thread.ask(reading, lines);
    EXPECT_EQ(thread.text, QByteArray("345\r7"));
    thread.speak(1);
    reading.stop();
    reading.type('8');
    EXPECT_TRUE(thread.ask(reading, lines, true).stopReading);
    EXPECT_EQ(thread.text, QByteArray("78"));

    thread.speak(1);
    EXPECT_FALSE(thread.ask(reading, lines, true).markedLine >= 0);
    EXPECT_EQ(thread.text, QByteArray("8"));
}

// Stopped and started again before the thread asked: the line cut short is finished, then
// reading goes on from the new start.
TEST(VoiceReadingTest, StopTakenBackFinishesTheLineThenReadsFromTheNewStart) {
    VoiceReading reading;
    Lines lines(QStringLiteral("12\n3\n4"), reading);
    Thread thread;
    reading.start(0, lines);
    thread.ask(reading, lines);
    thread.speak(1);
    reading.start(2, lines);
    reading.type('9');
    thread.ask(reading, lines);
    EXPECT_EQ(thread.text, QByteArray("2\r9"));
    thread.speak(3);
    thread.ask(reading, lines);
    EXPECT_EQ(thread.text, QByteArray("4\r"));
}

TEST(VoiceReadingTest, EditsAboveTheReadingPointNeitherRepeatNorSkipALine) {
    VoiceReading reading;
    Lines lines(QStringLiteral("1\n2\n3\n4\n5"), reading);
    Thread thread;
    reading.start(1, lines);
    thread.ask(reading, lines); // "2" is being read
    lines.edit(0, 0, QStringLiteral("0\n0\n"));
    EXPECT_EQ(reading.readLine(lines), 4);
    lines.edit(0, 6, QString()); // "0", "0" and "1" gone
    EXPECT_EQ(reading.readLine(lines), 1);
    thread.speak(2);
    thread.ask(reading, lines);
    EXPECT_EQ(thread.text, QByteArray("3\r"));

    lines.edit(lines.lineStart(1), 2, QString()); // the line being read, deleted whole
    EXPECT_EQ(reading.readLine(lines), 1);
    lines.edit(lines.lineEnd(0), 0, QStringLiteral("\n6")); // a line begun at its end
    thread.speak(2);
    thread.ask(reading, lines);
    EXPECT_EQ(thread.text, QByteArray("6\r"));
    thread.speak(2);
    thread.ask(reading, lines);
    EXPECT_EQ(thread.text, QByteArray("4\r"));
}

} // namespace
