// Numbers typed through a real input method: the program runs under a private X server with
// IBus and its Anthy engine (started by with_input_method.sh), keys go through the engine's
// composition, and what the program plays is recorded from a private PulseAudio null sink.
#include "HeardSpeech.h"
#include "NullSink.h"
#include "TallixSession.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <iostream>
#include <list>

#include <gtest/gtest.h>

namespace tallix::e2e {
namespace {

using voice::test::NullSink;

constexpr int kRate = NullSink::kRate;
constexpr int kSkipped = 77;
constexpr std::size_t kQuietSamples = kRate * 3 / 2;
constexpr int kSpeechTimeoutMs = 30000;

QString g_program;
NullSink* g_sink = nullptr;
XServer* g_xserver = nullptr;

class InputMethodEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        m_from = g_sink->capture().size();
        m_session = std::make_unique<TallixSession>(g_program, g_xserver->display());
        m_session->start();
        // The window's input context is made over D-Bus after the window shows; a key sent
        // before would bypass the input method.
        QThread::msleep(1000);
        // Anthy starts each window switched off; its on/off key turns on hiragana. (Ctrl+J:
        // the X server of the test has no key for 全角/半角 that the program could look up.)
        m_session->key("ctrl+j");
    }

    // The recordings of the set "speed" that speak `names` ("1", "r") in order.
    std::vector<const Recording*> spoken(const QStringList& names) {
        std::vector<const Recording*> result;
        m_recordings.clear();
        for (const QString& name : names) {
            const QString path = QFileInfo(g_program).absolutePath() + "/speed/" + name + ".wav";
            m_recordings.push_back(loadRecording(path));
        }
        for (const Recording& recording : m_recordings)
            result.push_back(&recording);
        return result;
    }

    // What the sink received since the test began, once it has been quiet for a while after
    // the last sound.
    std::vector<short> speechWhenOver() const {
        QElapsedTimer timer;
        timer.start();
        std::vector<short> capture;
        while (timer.elapsed() < kSpeechTimeoutMs) {
            capture = g_sink->capture();
            capture.erase(capture.begin(), capture.begin() + static_cast<std::ptrdiff_t>(m_from));
            const std::size_t end = endOfSound(capture);
            if (end > 0 && capture.size() - end > kQuietSamples)
                break;
            QThread::msleep(100);
        }
        return capture;
    }

    void expectHeard(const QStringList& names) {
        const std::vector<const Recording*> expected = spoken(names);
        const Hearing hearing = hear(speechWhenOver(), expected, kRate);
        const std::string heard = hearing.describe(kRate).toStdString();
        std::cout << "heard: " << heard << "\n";
        EXPECT_EQ(hearing.fault.toStdString(), "") << "heard: " << heard;
        EXPECT_EQ(hearing.heard.size(), expected.size()) << "heard: " << heard;
    }

    std::size_t m_from = 0;
    std::unique_ptr<TallixSession> m_session;
    std::list<Recording> m_recordings;
};

// In hiragana mode the digits show double-width in the composition and are heard as they are
// typed; the Enter that commits them is no line break and is not heard; the next Enter is one.
// Esc while composing belongs to the input method, not to the reading command.
TEST_F(InputMethodEndToEnd, HiraganaDigitsAreHeardAsTypedAndTheCommittingEnterIsNoLineBreak) {
    m_session->type("12");
    QThread::msleep(500);
    m_session->key("Return");
    m_session->type("3");
    QThread::msleep(500);
    m_session->key("Escape"); // cancels the composition; the line is not read out
    QThread::msleep(500);
    m_session->key("Return");
    m_session->type("3");
    m_session->key("Return");
    expectHeard({"1", "2", "3", "r", "3"});
    EXPECT_TRUE(m_session->terminate());
    EXPECT_EQ(QString::fromUtf8(m_session->dataFile("nums.txt")), QStringLiteral("１２\r\n３"));
}

// Digits and kana committed together: only the digits are heard, each once. In half-width
// katakana mode the digits compose half-width, in wide Latin mode they are committed at once
// without composing; both are heard as typed.
TEST_F(InputMethodEndToEnd, DigitsAmongKanaAndInOtherModesAreHeardOnce) {
    m_session->type("1ka");
    m_session->key("Return");
    m_session->key("ctrl+comma ctrl+comma"); // katakana, then half-width katakana
    m_session->type("3ka");
    m_session->key("Return");
    m_session->key("ctrl+comma ctrl+comma"); // Latin, then wide Latin
    m_session->type("5");
    m_session->key("Return");
    expectHeard({"1", "3", "5", "r"});
    EXPECT_TRUE(m_session->terminate());
    EXPECT_EQ(QString::fromUtf8(m_session->dataFile("nums.txt")), QStringLiteral("１か3ｶ５\r\n"));
}

} // namespace
} // namespace tallix::e2e

// Usage: with_input_method.sh input_method_e2e_test <tallix executable> [gtest options], one
// case per input method daemon: Anthy carries its mode from one window to the next. Ends with 77,
// which the test runner counts as skipped, where no PulseAudio server can start.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2 || qEnvironmentVariable("QT_IM_MODULE") != QLatin1String("ibus")) {
        std::cerr << "usage: with_input_method.sh " << argv[0] << " <tallix executable>\n";
        return 2;
    }
    tallix::e2e::g_program = QString::fromLocal8Bit(argv[1]);
    tallix::voice::test::NullSink sink;
    QString why;
    if (!sink.start(why)) {
        std::cout << "skipped: no PulseAudio here: " << why.toStdString() << "\n";
        return tallix::e2e::kSkipped;
    }
    tallix::e2e::XServer xserver;
    if (!xserver.start(why)) {
        std::cerr << why.toStdString() << "\n";
        return 1;
    }
    tallix::e2e::g_sink = &sink;
    tallix::e2e::g_xserver = &xserver;
    return RUN_ALL_TESTS();
}
