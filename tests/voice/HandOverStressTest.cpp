#include "VoiceTestSupport.h"
#include "platform/SoundPlayer.h"

#include <QFileInfo>
#include <QTimer>

#include <mutex>
#include <random>
#include <thread>

#include <gtest/gtest.h>

namespace tallix::voice::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Records only the order of the files and plays each for a random few microseconds, so that the
// thread's asking and resting fall at ever different moments against the typing.
class JitterPlayer final : public platform::SoundPlayer {
public:
    void playFile(const QString& path) override {
        const QString name = QFileInfo(path).fileName();
        const auto pause = m_random() % 16;
        if (pause < 2) {
            std::this_thread::sleep_for(std::chrono::microseconds(pause * 20));
        } else if (pause < 8) {
            std::this_thread::yield();
        }
        std::lock_guard lock(m_lock);
        m_files.push_back(name.at(0).toLatin1());
    }
    std::size_t count() const {
        std::lock_guard lock(m_lock);
        return m_files.size();
    }
    std::string files() const {
        std::lock_guard lock(m_lock);
        return m_files;
    }

private:
    std::minstd_rand m_random{7};
    mutable std::mutex m_lock;
    std::string m_files;
};

char fileLetterOf(char character) {
    switch (character) {
    case '\r':
        return 'r';
    case '.':
        return 'd';
    default:
        return character >= '0' && character <= '9' ? character : 's';
    }
}

// The owner's side as the window does it: typed characters are buffered, the thread is resumed
// only when it reports itself suspended, and the buffer is handed over only inside the handler.
TEST(HandOverStress, HundredThousandCharactersTypedAtRandomMomentsAreAllSpokenInOrder) {
    constexpr std::size_t kCharacters = 100'000;
    application();
    const QByteArray alphabet("0123456789.\rx-");
    VoiceFolder folder;
    auto player = std::make_shared<JitterPlayer>();
    auto voice = TNumberVoice::Create(player);
    QObject context;
    QByteArray typed;
    std::string expected;
    std::minstd_rand random(2024);

    auto type = [&](std::size_t count) {
        for (std::size_t i = 0; i < count && expected.size() < kCharacters; ++i) {
            const char character = alphabet.at(static_cast<qsizetype>(random() % alphabet.size()));
            typed += character;
            expected += fileLetterOf(character);
        }
        if (voice->Suspended()) {
            voice->Resume();
        }
    };
    voice->FVoicePath = folder.path();
    voice->SetOnNeedText(&context, [&](TNumberVoice* sender) {
        sender->FText += typed;
        typed.clear();
        if (!sender->FText.isEmpty() && sender->Suspended()) {
            sender->Resume();
        }
        // Now and then a key arrives right as the hand-over ends: the moment a wake-up is lost
        // if resting and resuming are not one with the hand-over.
        if (random() % 4 == 0) {
            QTimer::singleShot(0, &context, [&] { type(1); });
        }
    });

    // Bursts of keys at random moments; after each, the thread must catch up with no further key,
    // as a user who stops typing expects to hear the last digit.
    auto caughtUp = [&] {
        return player->count() == expected.size() && typed.isEmpty() && voice->Suspended();
    };
    while (expected.size() < kCharacters) {
        const auto until = Clock::now() + std::chrono::microseconds(random() % 50);
        while (Clock::now() < until) {
            QCoreApplication::processEvents();
        }
        type(1 + random() % 40);
        ASSERT_TRUE(runUntil(caughtUp, 5s)) << "stuck with " << (expected.size() - player->count())
                                            << " characters unspoken after " << player->count();
    }
    const std::string spoken = player->files();
    ASSERT_EQ(spoken.size(), expected.size());
    const auto mismatch = std::mismatch(spoken.begin(), spoken.end(), expected.begin());
    EXPECT_EQ(mismatch.first, spoken.end())
        << "first difference at character " << (mismatch.first - spoken.begin());
    voice->DetachOwner();
}

} // namespace
} // namespace tallix::voice::test
