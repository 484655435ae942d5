// The reading of a capture must fail on exactly the faults a listener would hear: a recording
// cut at its head or tail, broken by silence inside, missing, out of order, or one too many.
#include "HeardSpeech.h"

#include <map>
#include <tuple>

#include <gtest/gtest.h>

namespace tallix::e2e {
namespace {

constexpr int kRate = 22050;

class HeardSpeechTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString voices = qEnvironmentVariable("TALLIX_SOURCE_DIR") + "/voices/speed/";
        for (const char* name : {"1", "2", "3", "d", "r"}) {
            m_recordings.emplace(name, loadRecording(voices + name + ".wav"));
        }
    }

    const Recording& at(const char* name) const { return m_recordings.at(name); }

    std::vector<const Recording*> sequence(std::initializer_list<const char*> names) const {
        std::vector<const Recording*> result;
        for (const char* name : names) {
            result.push_back(&at(name));
        }
        return result;
    }

    static void appendSilence(std::vector<short>& capture, double seconds) {
        capture.insert(capture.end(), static_cast<std::size_t>(seconds * kRate), 0);
    }

    static void append(std::vector<short>& capture, const Recording& recording) {
        capture.insert(capture.end(), recording.samples.begin(), recording.samples.end());
    }

    // The recordings back to back, as the program plays them, between stretches of silence.
    std::vector<short> played(std::initializer_list<const char*> names) const {
        std::vector<short> capture;
        appendSilence(capture, 0.9);
        for (const char* name : names) {
            append(capture, at(name));
        }
        appendSilence(capture, 1.5);
        return capture;
    }

    // Where recording `index` of `names` begins in played(names).
    std::size_t startOf(std::initializer_list<const char*> names, std::size_t index) const {
        std::size_t start = static_cast<std::size_t>(0.9 * kRate);
        for (std::size_t i = 0; i < index; ++i) {
            start += at(names.begin()[i]).samples.size();
        }
        return start;
    }

    static constexpr std::size_t ms(int milliseconds) {
        return static_cast<std::size_t>(milliseconds) * kRate / 1000;
    }

    std::map<QString, Recording> m_recordings;
};

TEST_F(HeardSpeechTest, RecordingsInOrderAreHeardWholeAtTheirPlaces) {
    const Hearing hearing =
        hear(played({"1", "d", "2", "r"}), sequence({"1", "d", "2", "r"}), kRate);
    EXPECT_EQ(hearing.fault.toStdString(), "");
    ASSERT_EQ(hearing.heard.size(), 4u) << hearing.describe(kRate).toStdString();
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(hearing.heard[i].start, startOf({"1", "d", "2", "r"}, i));
        EXPECT_NEAR(hearing.heard[i].correlation, 1.0, 1e-9);
    }

    // Pauses between the recordings, a repeated one, and a level a little off are all fine.
    std::vector<short> capture;
    for (const char* name : {"r", "r", "3"}) {
        appendSilence(capture, 0.3);
        append(capture, at(name));
    }
    for (short& sample : capture) {
        sample = static_cast<short>(sample * 0.8);
    }
    appendSilence(capture, 0.2);
    EXPECT_EQ(hear(capture, sequence({"r", "r", "3"}), kRate).fault.toStdString(), "");
}

TEST_F(HeardSpeechTest, CutHeadOrTailOrSilenceInsideIsAFault) {
    const std::initializer_list<const char*> names{"1", "d", "2", "r"};
    // The tail that stopping a stream too early loses.
    std::vector<short> tailCut = played(names);
    const std::size_t endOfR = startOf(names, 3) + at("r").samples.size();
    std::fill(tailCut.begin() + static_cast<std::ptrdiff_t>(endOfR - ms(40)),
              tailCut.begin() + static_cast<std::ptrdiff_t>(endOfR), 0);
    // The head that a new stream loses.
    std::vector<short> headCut = played(names);
    headCut.erase(headCut.begin() + static_cast<std::ptrdiff_t>(startOf(names, 0)),
                  headCut.begin() + static_cast<std::ptrdiff_t>(startOf(names, 0) + ms(15)));
    // An underrun: a few samples lost and 10 ms of silence in their place, inside a file.
    std::vector<short> brokenUp = played(names);
    const auto inside = brokenUp.begin() + static_cast<std::ptrdiff_t>(startOf(names, 2) + ms(196));
    brokenUp.erase(inside, inside + 36);
    brokenUp.insert(brokenUp.begin() + static_cast<std::ptrdiff_t>(startOf(names, 2) + ms(196)),
                    ms(10), 0);

    for (const auto& [what, capture] :
         {std::pair{"tail cut", tailCut}, {"head cut", headCut}, {"silence inside", brokenUp}}) {
        const Hearing hearing = hear(capture, sequence(names), kRate);
        EXPECT_NE(hearing.fault.toStdString(), "")
            << what << ": " << hearing.describe(kRate).toStdString();
    }
}

// A server that plays a missed cycle as digital silence is excused for that inside a recording,
// and only there: not for a longer silence, not at a recording's head, where a loss may be the
// player's, and not where the server is not one that loses cycles.
TEST_F(HeardSpeechTest, OnlyAServerLossInsideARecordingIsExcused) {
    const std::initializer_list<const char*> names{"1", "d", "2", "r"};
    const ServerLoss pipeWire{128, ms(20)};
    const auto silenced = [&](std::size_t index, std::size_t at, std::size_t length) {
        std::vector<short> capture = played(names);
        const auto from = capture.begin() + static_cast<std::ptrdiff_t>(startOf(names, index) + at);
        std::fill(from, from + static_cast<std::ptrdiff_t>(length), 0);
        return capture;
    };

    // The silence may also come before the rest of the recording, which then goes on that late.
    const auto delayed = [&](std::size_t index, std::size_t at, std::size_t length) {
        std::vector<short> capture = played(names);
        capture.insert(capture.begin() + static_cast<std::ptrdiff_t>(startOf(names, index) + at),
                       length, 0);
        return capture;
    };

    const Hearing inPlace = hear(silenced(2, ms(100), 128), sequence(names), kRate, pipeWire);
    EXPECT_EQ(inPlace.fault.toStdString(), "");
    EXPECT_EQ(inPlace.heard.size(), 4u);
    EXPECT_EQ(inPlace.serverLosses, std::vector<std::size_t>{startOf(names, 2) + ms(100)});
    const Hearing late = hear(delayed(2, ms(100), 128), sequence(names), kRate, pipeWire);
    EXPECT_EQ(late.fault.toStdString(), "");
    ASSERT_EQ(late.heard.size(), 4u);
    EXPECT_EQ(late.heard[3].start, startOf(names, 3) + 128);
    EXPECT_EQ(late.serverLosses, std::vector<std::size_t>{startOf(names, 2) + ms(100)});

    for (const auto& [what, capture, loss] :
         {std::tuple{"too long", silenced(2, ms(100), 300), pipeWire},
          {"at the head", silenced(1, ms(8), 128), pipeWire},
          {"late at the head", delayed(1, ms(8), 128), pipeWire},
          {"late and too long", delayed(2, ms(100), 300), pipeWire},
          {"not a losing server", silenced(2, ms(100), 128), ServerLoss{}},
          {"late on a server that loses nothing", delayed(2, ms(100), 128), ServerLoss{}}}) {
        EXPECT_NE(hear(capture, sequence(names), kRate, loss).fault.toStdString(), "") << what;
    }
}

TEST_F(HeardSpeechTest, WrongOrderMissingOrExtraRecordingIsAFault) {
    const std::vector<const Recording*> expected = sequence({"1", "d", "2", "r"});
    for (const std::vector<short>& capture :
         {played({"1", "2", "d", "r"}), played({"1", "2", "r"}), played({"1", "d", "d", "2", "r"}),
          played({"1", "d", "2", "r", "3"}), played({"3", "1", "d", "2", "r"})}) {
        const Hearing hearing = hear(capture, expected, kRate);
        EXPECT_TRUE(!hearing.fault.isEmpty() || hearing.heard.size() < expected.size())
            << hearing.describe(kRate).toStdString();
    }
}

// Speech stopped after a few recordings: the prefix heard is told, and anything after it that
// is not the next expected recording whole is a fault.
TEST_F(HeardSpeechTest, StoppedSpeechIsTheHeardPrefix) {
    const std::vector<const Recording*> wholeText = sequence({"1", "2", "r", "3", "3", "r"});
    const Hearing stopped = hear(played({"1", "2", "r", "3"}), wholeText, kRate);
    EXPECT_EQ(stopped.fault.toStdString(), "");
    EXPECT_EQ(stopped.heard.size(), 4u) << stopped.describe(kRate).toStdString();

    std::vector<short> cutShort = played({"1", "2", "r", "3"});
    const std::size_t startOfSecondThree = startOf({"1", "2", "r", "3"}, 4);
    cutShort.insert(cutShort.begin() + static_cast<std::ptrdiff_t>(startOfSecondThree),
                    at("3").samples.begin(), at("3").samples.begin() + ms(60));
    EXPECT_NE(hear(cutShort, wholeText, kRate).fault.toStdString(), "");
}

} // namespace
} // namespace tallix::e2e
