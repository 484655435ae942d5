#include "platform/SoundPlayer.h"

#include "platform/AudioOutput.h"
#include "platform/NativeFiles.h"
#include "platform/PulseClientConfig.h"
#include "platform/PulsePlayer.h"
#include "platform/WavSource.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace tallix::platform {
namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

// The rate of the program's own voice sets: a stream at this rate plays them unconverted.
constexpr double kPreferredRate = 22050;
constexpr std::size_t kChunkFrames = 1024;
// Silence played on a new stream before its first sound: through PulseAudio the first 13 to
// 20 ms of a new stream can be lost.
constexpr double kSettleSeconds = 0.05;
// A device that takes nothing for this long has failed; the stream is then given up.
constexpr Seconds kStallLimit{0.3};
// After a failed open, further files play in silence for this long before trying again, so
// that a missing device does not cost an open attempt on every character.
constexpr Seconds kReopenInterval{2.0};
// How long a file waits for a device still being set up before it passes in silence, and how
// long preparing waits for it. A file passes in its own time either way; a device that takes
// longer than this is used from a later file on.
constexpr Seconds kOpenWait{0.1};
constexpr Seconds kPrepareLimit{1.0};

Clock::duration toClock(Seconds seconds) {
    return std::chrono::duration_cast<Clock::duration>(seconds);
}

void sleepFor(Seconds duration) {
    if (duration.count() > 0) {
        std::this_thread::sleep_for(duration);
    }
}

class SilentPlayer final : public SoundPlayer {
public:
    void playFile(const QString& path) override {
        const WavSource source(path, 1, kPreferredRate);
        if (source.isOpen()) {
            sleepFor(Seconds(source.durationSeconds()));
        }
    }
};

// Setting the audio library up probes every device, and ALSA's plugin for a sound server waits
// for that server with no deadline of its own: a stopped server would hold the reader thread for
// good. So the stream is opened on a thread of its own, which the player waits for only until a
// deadline. What the two threads share is in one block under one lock, and the thread holds the
// block itself: a player gone before the opening ends leaves it nothing else to touch.
class StreamOpening {
public:
    explicit StreamOpening(double rate) : m_shared(std::make_shared<Shared>()) {
        std::thread([shared = m_shared, rate] {
            std::unique_ptr<OutputStream> opened = OutputStream::open(rate);
            {
                std::lock_guard lock(shared->lock);
                shared->stream = std::move(opened);
                shared->ended = true;
            }
            shared->changed.notify_all();
        }).detach();
    }

    // Whether the opening has ended by `deadline`; then `stream` is what it opened, if anything.
    bool take(Clock::time_point deadline, std::unique_ptr<OutputStream>& stream) {
        std::unique_lock lock(m_shared->lock);
        if (!m_shared->changed.wait_until(lock, deadline, [this] { return m_shared->ended; })) {
            return false;
        }
        stream = std::move(m_shared->stream);
        return true;
    }

private:
    struct Shared {
        std::mutex lock;
        std::condition_variable changed;
        bool ended = false;
        std::unique_ptr<OutputStream> stream;
    };
    std::shared_ptr<Shared> m_shared;
};

class DevicePlayer final : public SoundPlayer {
public:
    void prepare() override { ensureStream(Clock::now() + toClock(kPrepareLimit)); }
    void playFile(const QString& path) override;

private:
    bool ensureStream(Clock::time_point deadline);
    // Plays the source on the open stream; false if the device failed on the way.
    bool play(WavSource& source);
    bool waitForRoom(std::size_t frames);
    bool waitUntilHeard(std::uint64_t endFrame);
    bool stalled(std::uint64_t& lastCallbacks, Clock::time_point& lastProgress);

    std::unique_ptr<OutputStream> m_stream;
    std::unique_ptr<StreamOpening> m_opening;
    Clock::time_point m_nextOpenAttempt{};
};

bool DevicePlayer::ensureStream(Clock::time_point deadline) {
    if (m_stream) {
        return true;
    }
    if (!m_opening) {
        if (Clock::now() < m_nextOpenAttempt) {
            return false;
        }
        m_opening = std::make_unique<StreamOpening>(kPreferredRate);
    }
    if (!m_opening->take(deadline, m_stream)) {
        return false;
    }
    m_opening.reset();
    if (m_stream) {
        m_stream->settle(kSettleSeconds);
    } else {
        m_nextOpenAttempt =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(kReopenInterval);
    }
    return m_stream != nullptr;
}

void DevicePlayer::playFile(const QString& path) {
    if (!fileExists(path)) {
        return;
    }
    const Clock::time_point start = Clock::now();
    if (!ensureStream(start + toClock(kOpenWait))) {
        const WavSource source(path, 1, kPreferredRate);
        if (source.isOpen()) {
            sleepFor(Seconds(source.durationSeconds()) - (Clock::now() - start));
        }
        return;
    }
    WavSource source(path, m_stream->channels(), m_stream->rate());
    if (source.isOpen() && !play(source)) {
        // The device went away mid-file: give the stream up (a later file opens a new one) and
        // let the rest of this file pass in silence, so that reading keeps its pace.
        m_stream.reset();
        sleepFor(Seconds(source.durationSeconds()) - (Clock::now() - start));
    }
}

// Reads one chunk ahead so that the watch for the last frame is set before that frame is
// queued: the device can then never take it unnoticed.
bool DevicePlayer::play(WavSource& source) {
    const auto ch = static_cast<std::size_t>(m_stream->channels());
    std::vector<float> current;
    std::vector<float> next;
    if (source.read(current, kChunkFrames) == 0) {
        return true;
    }
    std::uint64_t endFrame = 0;
    while (!current.empty()) {
        next.clear();
        source.read(next, kChunkFrames);
        const std::size_t frames = current.size() / ch;
        if (next.empty()) {
            endFrame = m_stream->framesQueued() + frames;
            m_stream->watchFor(endFrame);
        }
        std::size_t done = 0;
        while (done < frames) {
            if (!waitForRoom(1)) {
                return false;
            }
            done += m_stream->queue(current.data() + done * ch, frames - done);
        }
        current.swap(next);
    }
    return waitUntilHeard(endFrame);
}

bool DevicePlayer::stalled(std::uint64_t& lastCallbacks, Clock::time_point& lastProgress) {
    const std::uint64_t callbacks = m_stream->callbacks();
    if (callbacks != lastCallbacks) {
        lastCallbacks = callbacks;
        lastProgress = Clock::now();
        return false;
    }
    return Clock::now() - lastProgress > kStallLimit || !m_stream->active();
}

bool DevicePlayer::waitForRoom(std::size_t frames) {
    std::uint64_t lastCallbacks = m_stream->callbacks();
    Clock::time_point lastProgress = Clock::now();
    while (m_stream->freeFrames() < frames) {
        if (stalled(lastCallbacks, lastProgress)) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Sleeps through most of what is still queued, then watches closely for the callback that takes
// the last frame, and finally sleeps until only the output latency is left to be heard.
bool DevicePlayer::waitUntilHeard(std::uint64_t endFrame) {
    std::uint64_t lastCallbacks = m_stream->callbacks();
    Clock::time_point lastProgress = Clock::now();
    double heardAt = 0;
    while (!m_stream->watchedFrameTaken(heardAt)) {
        if (stalled(lastCallbacks, lastProgress)) {
            return false;
        }
        const double queued =
            static_cast<double>(endFrame - m_stream->framesTaken()) / m_stream->rate();
        sleepFor(Seconds(std::clamp(queued - 0.005, 0.0005, 0.02)));
    }
    const double now = m_stream->now();
    if (now < 0) {
        return false;
    }
    // Return as the last of the output latency starts to play: what is left is already on its
    // way, and the next file then follows it without a gap instead of a latency later.
    sleepFor(Seconds(heardAt - now - m_stream->latencySeconds()));
    return AudioLibrary::instance().stillRunning();
}

} // namespace

std::unique_ptr<SoundPlayer> makeSoundPlayer(SoundOutput output) {
    switch (output) {
    case SoundOutput::Silent:
        return std::make_unique<SilentPlayer>();
    case SoundOutput::PortAudio:
        return std::make_unique<DevicePlayer>();
    case SoundOutput::DefaultDevice:
        break;
    }
    return makePulsePlayer([] { return std::make_unique<DevicePlayer>(); });
}

SoundPlayer& systemSoundPlayer() {
    static SoundPlayer* const player = [] {
        const QByteArray chosen = qgetenv("TALLIX_SOUND_OUTPUT");
        const SoundOutput output = chosen == "none"        ? SoundOutput::Silent
                                   : chosen == "portaudio" ? SoundOutput::PortAudio
                                                           : SoundOutput::DefaultDevice;
        return makeSoundPlayer(output).release();
    }();
    return *player;
}

void prepareSoundEnvironment() {
    // Starting a JACK server as a side effect of looking for devices is never wanted here.
    setenv("JACK_NO_START_SERVER", "1", 0);
    keepPulseFromAutospawning();
}

} // namespace tallix::platform
