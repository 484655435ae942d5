#include "RecordingPlayer.h"
#include "VoiceTestSupport.h"

#include <QObject>
#include <QTimer>

#include <deque>

#include <gtest/gtest.h>

namespace tallix::voice::test {
namespace {

using namespace std::chrono_literals;

// An owner that hands over scripted texts, one per call, and records each call.
class Owner {
public:
    struct Call {
        Clock::time_point at;
        QByteArray pending; // what the thread still held when it asked
        bool suspendedDuringCall;
    };

    Owner(const std::shared_ptr<TNumberVoice>& voice, const QString& voicePath)
        : m_context(std::make_unique<QObject>()) {
        voice->FVoicePath = voicePath;
        voice->SetOnNeedText(m_context.get(), [this](TNumberVoice* sender) { onNeedText(sender); });
    }

    std::deque<QByteArray> m_script;
    std::function<void(TNumberVoice*)> m_extra; // runs after the scripted hand-over
    std::vector<Call> m_calls;

    void destroyContext() { m_context.reset(); }

private:
    void onNeedText(TNumberVoice* sender) {
        m_calls.push_back({Clock::now(), sender->FText, sender->Suspended()});
        if (!m_script.empty()) {
            sender->FText += m_script.front();
            m_script.pop_front();
        }
        if (m_extra) {
            m_extra(sender);
        }
    }

    std::unique_ptr<QObject> m_context;
};

class NumberVoiceTest : public ::testing::Test {
protected:
    void start(std::chrono::microseconds playTime, const QString& voicePath = {}) {
        // The event loop exists before the thread that wakes it.
        application();
        m_player = std::make_shared<RecordingPlayer>(playTime);
        m_voice = TNumberVoice::Create(m_player);
        m_owner =
            std::make_unique<Owner>(m_voice, voicePath.isEmpty() ? m_folder.path() : voicePath);
    }
    bool settled(std::size_t calls) {
        return runUntil([&] { return m_owner->m_calls.size() >= calls && m_voice->Suspended(); });
    }
    void TearDown() override {
        if (m_voice) {
            m_voice->DetachOwner();
        }
    }

    VoiceFolder m_folder;
    std::shared_ptr<RecordingPlayer> m_player;
    std::shared_ptr<TNumberVoice> m_voice;
    std::unique_ptr<Owner> m_owner;
};

TEST_F(NumberVoiceTest, StaysSuspendedUntilResumedThenAsksTheOwnerAtOnce) {
    start(0us);
    runUntil([] { return false; }, 50ms);
    EXPECT_TRUE(m_owner->m_calls.empty());
    EXPECT_TRUE(m_voice->Suspended());

    const auto resumed = Clock::now();
    m_voice->Resume();
    ASSERT_TRUE(settled(1));
    EXPECT_LT(m_owner->m_calls[0].at - resumed, 200ms);
    EXPECT_TRUE(m_owner->m_calls[0].pending.isEmpty());
    EXPECT_FALSE(m_owner->m_calls[0].suspendedDuringCall);

    runUntil([] { return false; }, 50ms);
    EXPECT_EQ(m_owner->m_calls.size(), 1u) << "an empty hand-over must put the thread to rest";
    EXPECT_TRUE(m_player->plays().empty());
}

TEST_F(NumberVoiceTest, SpeaksEachCharacterToItsEndInOrderThenAsksOnce) {
    start(20ms);
    m_owner->m_script = {"12."};
    m_voice->Resume();
    ASSERT_TRUE(settled(2));

    const auto plays = m_player->plays();
    EXPECT_EQ(m_player->files(), (QStringList{"1.wav", "2.wav", "d.wav"}));
    for (std::size_t i = 1; i < plays.size(); ++i) {
        EXPECT_GE(plays[i].start, plays[i - 1].end) << "sounds must not overlap";
    }
    ASSERT_EQ(m_owner->m_calls.size(), 2u);
    EXPECT_GE(m_owner->m_calls[1].at, plays.back().end);
    EXPECT_TRUE(m_owner->m_calls[1].pending.isEmpty());

    runUntil([] { return false; }, 60ms);
    EXPECT_EQ(m_owner->m_calls.size(), 2u);
}

TEST_F(NumberVoiceTest, EveryByteValueHasItsRecording) {
    start(0us);
    QByteArray all;
    QStringList expected;
    for (int byte = 0; byte < 256; ++byte) {
        all.append(static_cast<char>(byte));
        if (byte == 13) {
            expected << "r.wav";
        } else if (byte == '.') {
            expected << "d.wav";
        } else if (byte >= '0' && byte <= '9') {
            expected << QString(QChar(byte)) + ".wav";
        } else {
            expected << "s.wav";
        }
    }
    m_owner->m_script = {all};
    m_voice->Resume();
    ASSERT_TRUE(settled(2));
    EXPECT_EQ(m_player->files(), expected);
}

TEST_F(NumberVoiceTest, StopRequestLetsTheCurrentCharacterFinishThenAsks) {
    start(80ms);
    m_owner->m_script = {"123456"};
    m_owner->m_extra = [this](TNumberVoice* sender) {
        if (m_owner->m_calls.size() == 2) {
            sender->FText.clear();
            sender->FStopRequest = false;
        }
    };
    m_voice->Resume();
    ASSERT_TRUE(runUntil([&] { return m_player->playing() == "1.wav"; }));
    m_voice->FStopRequest = true;
    ASSERT_TRUE(settled(2));

    EXPECT_EQ(m_player->files(), QStringList{"1.wav"});
    EXPECT_EQ(m_owner->m_calls[1].pending, "23456");
    EXPECT_GE(m_owner->m_calls[1].at, m_player->plays()[0].end);
}

TEST_F(NumberVoiceTest, StopLeftSetAsksAfterEveryCharacterUntilCleared) {
    start(5ms);
    m_voice->FStopRequest = true;
    m_owner->m_script = {"123"};
    m_owner->m_extra = [this](TNumberVoice* sender) {
        if (m_owner->m_calls.size() == 3) {
            sender->FStopRequest = false;
        }
    };
    m_voice->Resume();
    ASSERT_TRUE(settled(4));

    EXPECT_EQ(m_player->files(), (QStringList{"1.wav", "2.wav", "3.wav"}));
    QList<QByteArray> pending;
    for (const auto& call : m_owner->m_calls) {
        pending << call.pending;
    }
    EXPECT_EQ(pending, (QList<QByteArray>{"", "23", "3", ""}));
}

TEST_F(NumberVoiceTest, MissingVoiceFolderRunsThroughWithoutDelay) {
    QTemporaryDir empty;
    start(200ms, empty.path() + "/absent/");
    m_owner->m_script = {QByteArray("0123456789.\r ").repeated(500)};
    m_voice->Resume();
    ASSERT_TRUE(settled(2));
    EXPECT_LT(m_owner->m_calls[1].at - m_owner->m_calls[0].at, 1s);
    EXPECT_TRUE(m_player->plays().empty());
}

// The owner buffers a character just after a hand-over that gave the thread nothing; finding
// the thread suspended, it resumes it, and the character is spoken without another key.
TEST_F(NumberVoiceTest, CharacterBufferedRightAfterAnEmptyHandOverIsSpoken) {
    start(0us);
    QByteArray typed;
    m_owner->m_extra = [&](TNumberVoice* sender) {
        sender->FText += typed;
        typed.clear();
        if (m_owner->m_calls.size() == 1) {
            QTimer::singleShot(0, [&] {
                typed += '7';
                if (m_voice->Suspended()) {
                    m_voice->Resume();
                }
            });
        }
    };
    m_voice->Resume();
    ASSERT_TRUE(settled(3));
    EXPECT_EQ(m_player->files(), QStringList{"7.wav"});
}

TEST_F(NumberVoiceTest, DetachedOwnerIsNeverCalledAgainAndNeverWaitsForTheSound) {
    start(150ms);
    m_owner->m_script = {"123"};
    m_voice->Resume();
    ASSERT_TRUE(runUntil([&] { return m_player->playing() == "1.wav"; }));

    const auto before = Clock::now();
    m_voice->DetachOwner();
    EXPECT_LT(Clock::now() - before, 20ms);
    const std::weak_ptr<TNumberVoice> thread = m_voice;
    m_voice.reset();

    EXPECT_TRUE(runUntil([&] { return thread.expired(); }, 2s)) << "the thread should end";
    EXPECT_EQ(m_owner->m_calls.size(), 1u);
    EXPECT_EQ(m_player->files(), QStringList{"1.wav"});
}

TEST_F(NumberVoiceTest, DestroyedContextLetsGoOfTheOwner) {
    start(100ms);
    m_owner->m_script = {"12"};
    m_voice->Resume();
    ASSERT_TRUE(runUntil([&] { return m_player->playing() == "1.wav"; }));
    m_owner->destroyContext();
    runUntil([] { return false; }, 400ms);
    EXPECT_EQ(m_owner->m_calls.size(), 1u);
    EXPECT_EQ(m_player->files(), QStringList{"1.wav"});
}

} // namespace
} // namespace tallix::voice::test
