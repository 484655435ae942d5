// Real sound from the real window: keys and the reading command go to the program under a
// private X server, and what it plays is recorded from the null sink of a private sound server
// (PulseAudio, or PipeWire with TALLIX_TEST_SOUND_SERVER=pipewire) and compared with the voice
// files themselves.
#include "ListeningTest.h"

#include <QElapsedTimer>
#include <QThread>

#include <iostream>

namespace tallix::e2e {
namespace {

constexpr int kSpeechTimeoutMs = 30000;

std::size_t samples(double seconds) {
    return static_cast<std::size_t>(seconds * ListeningTest::kRate);
}

double seconds(std::size_t samples) {
    return static_cast<double>(samples) / ListeningTest::kRate;
}

class VoiceEndToEnd : public ListeningTest {
protected:
    // Waits until the sink has sounded for `duration` since its first sound.
    void waitForSpeechOf(double duration) const {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < kSpeechTimeoutMs) {
            const std::vector<short> capture = captured();
            const std::size_t first = firstSound(capture);
            if (first < capture.size() && capture.size() - first >= samples(duration)) {
                return;
            }
            QThread::msleep(20);
        }
        throw std::runtime_error("no speech to interrupt");
    }

    static double totalSeconds(const std::vector<const Recording*>& recordings) {
        double total = 0;
        for (const Recording* recording : recordings) {
            total += seconds(recording->samples.size());
        }
        return total;
    }
};

TEST_F(VoiceEndToEnd, TypedDigitPointAndEnterAreSpokenInOrderAndWhole) {
    m_session->start();
    m_session->type("1.2");
    m_session->key("Return");
    expectHeardInOrderAndWhole(speechWhenOver(), spoken("speed", "1.2\r"));
    EXPECT_TRUE(m_session->terminate());
    EXPECT_EQ(m_session->dataFile("nums.txt"), QByteArray("1.2\r\n"));
}

TEST_F(VoiceEndToEnd, TypingUsesTheVoiceSetOfTheSettings) {
    m_session->writeDataFile("application.ini", "[VOICE]\ntype=hispeed\n");
    m_session->start();
    m_session->type("30");
    m_session->key("Return");
    expectHeardInOrderAndWhole(speechWhenOver(), spoken("hispeed", "30\r"));
}

// Reading begins with the whole of the caret's line wherever the caret stands in it, ends each
// line (also an empty one, and the last without a line break) with "r", ends after the last
// line, and leaves the caret where the user put it: a letter typed then goes there.
TEST_F(VoiceEndToEnd, EscReadsFromTheCaretLineToTheEnd) {
    m_session->writeDataFile("nums.txt", "77\r\n12\r\n3.4\r\n\r\n5");
    m_session->start();
    m_session->key("ctrl+Home Down End");
    m_session->key("Escape");
    expectHeardInOrderAndWhole(speechWhenOver(), spoken("speed", "12\r3.4\r\r5\r"));
    m_session->type("x");
    EXPECT_TRUE(m_session->terminate());
    EXPECT_EQ(m_session->dataFile("nums.txt"), QByteArray("77\r\n12x\r\n3.4\r\n\r\n5"));
}

// A second Esc in the middle of a line: the character in progress ends whole, nothing after
// it is heard, and the text stays as it was: a letter typed goes to the caret.
TEST_F(VoiceEndToEnd, SecondEscStopsAfterTheCharacterInProgress) {
    const QString longLine = "345678901234";
    m_session->writeDataFile("nums.txt", ("12\r\n" + longLine + "\r\n56").toLatin1());
    m_session->start();
    const std::vector<const Recording*> firstLine = spoken("speed", "12\r");
    const std::vector<const Recording*> wholeText = spoken("speed", "12\r" + longLine + "\r56\r");
    m_session->key("Escape");
    waitForSpeechOf(totalSeconds(firstLine) + 0.5 * totalSeconds(spoken("speed", "3")));
    const std::size_t sentBy = captured().size();
    m_session->key("Escape");
    const std::size_t sentAfter = captured().size();

    const std::vector<short> capture = speechWhenOver();
    const Hearing hearing = hear(capture, wholeText, kRate, serverLoss());
    const std::string heard = hearing.describe(kRate).toStdString();
    std::cout << "stop sent between " << seconds(sentBy) << " s and " << seconds(sentAfter)
              << " s; heard: " << heard << "\n";
    EXPECT_EQ(hearing.fault.toStdString(), "") << "heard: " << heard << "\n" << keptAs(capture);
    ASSERT_GT(hearing.heard.size(), firstLine.size()) << "heard: " << heard;
    EXPECT_LT(hearing.heard.size(), firstLine.size() + longLine.size())
        << "the line was read to its end: " << heard;
    // The last character began before the stop reached the program; a second is ample for
    // the key's way there on a busy machine, and several characters shorter than the rest.
    EXPECT_LT(seconds(hearing.heard.back().start), seconds(sentAfter) + 1.0)
        << "speech went on after the stop: " << heard;

    m_session->type("x");
    EXPECT_TRUE(m_session->terminate());
    EXPECT_EQ(m_session->dataFile("nums.txt"),
              QByteArray("x12\r\n" + longLine.toLatin1() + "\r\n56"));
}

// Once reading has run to the end of the text, every digit typed is spoken, none dropped.
TEST_F(VoiceEndToEnd, DigitsTypedAfterReadingEndedAreAllSpoken) {
    m_session->writeDataFile("nums.txt", "11\r\n22");
    m_session->start();
    m_session->key("Escape");
    const std::vector<short> reading = speechWhenOver();
    expectHeardInOrderAndWhole(reading, spoken("speed", "11\r22\r"));
    m_from += reading.size();
    m_session->type("678");
    expectHeardInOrderAndWhole(speechWhenOver(), spoken("speed", "678"));
    EXPECT_TRUE(m_session->terminate());
    // The caret stayed at the start, where the user left it.
    EXPECT_EQ(m_session->dataFile("nums.txt"), QByteArray("67811\r\n22"));
}

} // namespace
} // namespace tallix::e2e

// Usage: voice_e2e_test <tallix executable> [gtest options].
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::cerr << "usage: " << argv[0] << " <tallix executable>\n";
        return 2;
    }
    return tallix::e2e::ListeningTest::runAll(QString::fromLocal8Bit(argv[1]));
}
