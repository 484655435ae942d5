// Numbers typed through a real input method: the program runs under a private X server with
// IBus and its Anthy engine (started by with_input_method.sh), keys go through the engine's
// composition, and what the program plays is recorded from a private PulseAudio null sink.
#include "ListeningTest.h"

#include <QThread>

#include <iostream>

namespace tallix::e2e {
namespace {

class InputMethodEndToEnd : public ListeningTest {
protected:
    void SetUp() override {
        ListeningTest::SetUp();
        m_session->start();
        // The window's input context is made over D-Bus after the window shows; a key sent
        // before would bypass the input method.
        QThread::msleep(1000);
        // Anthy starts each window switched off; its on/off key turns on hiragana. (Ctrl+J:
        // the X server of the test has no key for 全角/半角 that the program could look up.)
        m_session->key("ctrl+j");
    }

    // Speech has ended and said `characters` with the set "speed", in order and whole.
    void expectHeard(const QString& characters) {
        expectHeardInOrderAndWhole(speechWhenOver(), spoken("speed", characters));
    }
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
    expectHeard("123\r3");
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
    expectHeard("135\r");
    EXPECT_TRUE(m_session->terminate());
    EXPECT_EQ(QString::fromUtf8(m_session->dataFile("nums.txt")), QStringLiteral("１か3ｶ５\r\n"));
}

} // namespace
} // namespace tallix::e2e

// Usage: with_input_method.sh input_method_e2e_test <tallix executable> [gtest options], one
// case per input method daemon: Anthy carries its mode from one window to the next.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2 || qEnvironmentVariable("QT_IM_MODULE") != QLatin1String("ibus")) {
        std::cerr << "usage: with_input_method.sh " << argv[0] << " <tallix executable>\n";
        return 2;
    }
    return tallix::e2e::ListeningTest::runAll(QString::fromLocal8Bit(argv[1]));
}
