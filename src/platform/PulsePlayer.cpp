#include "platform/PulsePlayer.h"

#include "platform/FileStamp.h"
#include "platform/NativeFiles.h"
#include "platform/WavSource.h"

#include <QString>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>
#include <sys/stat.h>

namespace tallix::platform {
namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr int kRate = 22050;
// What the stream asks the server to hold ahead of the sink: only a request, which the server
// fits to what its sink runs at (PulseAudio's null sink granted 6 ms, PipeWire's 16 ms), and
// every wait below is reckoned from what was granted. Small, so that a drained stream starts the
// moment a recording arrives; the figures of bench/voice/SinkBench.cpp were measured with it.
constexpr double kTargetSeconds = 0.008;
// The reader thread's way from one play's return to the next write, waking included. Measured
// with bench/app/KeyToSoundBench.cpp on two cores shared with four compilers: between characters
// it is 0.4 ms at the 99th percentile (6.4 ms at most), but a thread that sleeps, as the reader
// does until the next write is due, woke 24 ms late at the 99th percentile.
constexpr double kHandOverSeconds = 0.025;
// Silence a new stream plays before its first recording.
constexpr double kSettleSeconds = 0.03;
// Silence written after every recording. A stream that runs dry leaves its last few
// milliseconds inside the server's converter (PipeWire's pulse server holds them until more
// sound comes): they are spent on this pad instead of on the end of a recording. The next
// recording overwrites what of the pad is surely unplayed, so reading stays gapless; what the
// sink may have taken already is never written over, as the server would drop the recording's
// start in its place.
constexpr double kTailSeconds = 0.02;
// A server that leaves a question unanswered this long is taken as stalled and let go; a lost
// connection is seen at once. A server that is merely busy (a Bluetooth device connecting, a USB
// hot-plug, a scheduler that starves it) answers late but plays on: until then the recordings
// are paced by their own length, and the stream, with what it holds, is kept.
constexpr Seconds kStallLimit{5.0};
// Once nothing has been heard for this long, the stream is corked: the server then lets the sink
// suspend and the card power down, and no longer runs its graph at the stream's short latency.
// The next recording uncorks it, which costs one request and no new connection.
constexpr double kIdleSeconds = 3.0;
// What the server holds beyond the recording just written and this margin is sound the sink has
// not taken (suspended, held by another program, switching a Bluetooth profile): it is dropped,
// so that the sink never bursts out stale echoes when it runs again.
constexpr double kStaleMargin = 0.2;
// Between connection attempts while no server answers.
constexpr Seconds kRetryInterval{1.0};
// An attempt not settled by then (a stopped server accepts the socket and says nothing) is
// abandoned for a fresh one.
constexpr Seconds kAttemptLimit{5.0};
// How long preparing waits to learn whether a server is there.
constexpr Seconds kPrepareLimit{1.0};

// The connection says what it is, so that mixers show it with the program's name and icon and
// policy modules treat it as spoken feedback.
pa_context* newContext(pa_threaded_mainloop* loop) {
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Tallix");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "tallix");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "tallix");
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "a11y");
    pa_context* context =
        pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop), "Tallix", properties);
    pa_proplist_free(properties);
    return context;
}

// The library stamps the server's answers with the wall clock; the waits here run on a clock
// that never jumps.
Clock::time_point onOurClock(const timeval& stamp) {
    const std::chrono::system_clock::time_point then{std::chrono::seconds{stamp.tv_sec} +
                                                     std::chrono::microseconds{stamp.tv_usec}};
    const auto age = std::chrono::system_clock::now() - then;
    return Clock::now() - std::chrono::duration_cast<Clock::duration>(
                              std::max(age, std::chrono::system_clock::duration::zero()));
}

Clock::duration toClock(Seconds seconds) {
    return std::chrono::duration_cast<Clock::duration>(seconds);
}

void sleepUntil(Clock::time_point when) {
    std::this_thread::sleep_until(when);
}

// Which version of a file is on disk: the change time moves with every write, rename or
// replacement and cannot be set back by the file's owner, unlike the modification time; the
// inode tells a replaced file from the one it replaced. None for what is no regular file.
std::optional<FileStamp> stampOf(const QString& path) {
    const FileStamp stamp = fileStamp(path);
    if (!stamp.exists || !stamp.regular) {
        return std::nullopt;
    }
    return stamp;
}

// One voice file decoded for the stream, kept until the file changes on disk.
struct Recording {
    std::optional<FileStamp> stamp; // none when the file changed while it was decoded
    std::vector<float> samples;     // mono at kRate
    double seconds() const { return static_cast<double>(samples.size()) / kRate; }
};

class RecordingCache {
public:
    // Null for a missing file or one that cannot be decoded.
    const Recording* find(const QString& path) {
        const std::optional<FileStamp> before = stampOf(path);
        if (!before) {
            return nullptr;
        }
        Recording& recording = m_recordings[path];
        if (recording.stamp != before) {
            recording.samples = decode(path);
            // A file rewritten while it was read may have given a mix of both versions: it is
            // played as read, and read again next time.
            recording.stamp = stampOf(path) == before ? before : std::nullopt;
        }
        return recording.samples.empty() ? nullptr : &recording;
    }

private:
    static std::vector<float> decode(const QString& path) {
        WavSource source(path, 1, kRate);
        std::vector<float> samples;
        if (!source.isOpen()) {
            return samples;
        }
        while (source.read(samples, 4096) > 0) {
        }
        return samples;
    }

    std::map<QString, Recording> m_recordings;
};

enum class Link { Ready, Connecting, Refused };

// The connection to the server and its one playback stream. The library's own thread runs the
// connection; every call into the library is made under that thread's lock. Its callbacks only
// report, under m_lock, where the player's thread waits for them with a deadline (the library's
// own wait has none); the connection and the stream are created and let go on the player's
// thread alone.
class PulseConnection {
public:
    PulseConnection() : m_loop(pa_threaded_mainloop_new()) {
        if (m_loop != nullptr && pa_threaded_mainloop_start(m_loop) < 0) {
            pa_threaded_mainloop_free(m_loop);
            m_loop = nullptr;
        }
    }
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;
    ~PulseConnection() {
        if (m_loop == nullptr) {
            return;
        }
        {
            LoopLock lock(m_loop);
            dropLocked();
        }
        pa_threaded_mainloop_stop(m_loop);
        pa_threaded_mainloop_free(m_loop);
    }

    // Starts a connection attempt when none is ready or under way and the last one is old
    // enough. Never waits for the server.
    void connectIfDue();
    Link link() const {
        std::lock_guard lock(m_lock);
        return m_link;
    }
    bool everReady() const {
        std::lock_guard lock(m_lock);
        return m_everReady;
    }
    // Waits until the link is settled one way or the other, or until `deadline`.
    void waitUntilSettled(Clock::time_point deadline);
    // Queues the samples behind what the stream holds, in one piece, uncorking an idle stream,
    // over the last `overwrite` seconds of the pad left by the recording before. None when it
    // is not known where the sink stands: the stream may have run dry by the time the write
    // reaches the server.
    bool write(const std::vector<float>& samples, std::optional<double> overwrite);
    // Drops what the stream holds.
    void flush();
    // What the server granted the stream when it was opened.
    struct Granted {
        double target = kTargetSeconds; // what it keeps ahead of the sink (tlength)
        double request = 0;             // the step in which it asks for more (minreq)
    };
    Granted granted() const { return m_granted; }
    // What the server holds for the stream, asked afresh; empty when the server has not
    // answered by `deadline` or the link is not ready. A server that leaves the question
    // unanswered too long is let go.
    struct Queue {
        double seconds = 0;     // sound written and not yet taken by the sink
        double sinkLatency = 0; // what the sink itself holds back, in seconds
        // When the server said so. An answer to a question left open by an earlier wait, or
        // held up on its way back, is that old, however late it arrives.
        Clock::time_point at;
    };
    std::optional<Queue> queued(Clock::time_point deadline);

private:
    // What the library's callbacks have told of a connection under way.
    struct Reported {
        bool contextReady = false;
        bool streamReady = false;
    };
    struct LoopLock {
        explicit LoopLock(pa_threaded_mainloop* loop) : m_loop(loop) {
            pa_threaded_mainloop_lock(m_loop);
        }
        ~LoopLock() { pa_threaded_mainloop_unlock(m_loop); }
        LoopLock(const LoopLock&) = delete;
        LoopLock& operator=(const LoopLock&) = delete;
        pa_threaded_mainloop* m_loop;
    };

    void startAttempt();
    void advanceLocked();
    void dropLocked();
    void setLink(Link link);
    void report(bool Reported::*what);
    void openStream();
    void writeSilence(pa_stream* stream, double seconds);
    static void onContextState(pa_context* context, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onTiming(pa_stream* stream, int success, void* self);
    static void onUnderflow(pa_stream* stream, void* self);
    static void onMoved(pa_stream* stream, void* self);
    static void onIdle(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when,
                       void* self);
    void restartIdleTimer(double soundSeconds);
    void corkLocked();

    // Lock order: the library's lock (LoopLock, also held around every callback) before
    // m_lock; m_lock is never held while taking the library's lock.
    pa_threaded_mainloop* m_loop;
    // Under the library's lock.
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    pa_time_event* m_idleTimer = nullptr; // of m_context
    bool m_corked = false;
    bool m_padded = false; // the stream ends with the pad after a recording
    Granted m_granted;
    Clock::time_point m_attemptStarted = Clock::now() - toClock(kRetryInterval);

    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    // Under m_lock.
    Reported m_reported;
    std::uint64_t m_reports = 0;
    pa_stream* m_answering = nullptr; // the stream whose timing answers count
    Link m_link = Link::Refused;
    bool m_everReady = false;
    std::uint64_t m_asked = 0;
    std::uint64_t m_answered = 0;
    bool m_answerOk = false;
    Clock::time_point m_oldestUnanswered{};
    bool m_drained = false; // the server ran out of the stream's sound since the last write
};

void PulseConnection::connectIfDue() {
    if (m_loop == nullptr) {
        return;
    }
    LoopLock lock(m_loop);
    const Link current = link();
    const Seconds sinceAttempt = Clock::now() - m_attemptStarted;
    const bool underWay =
        current == Link::Connecting && m_context != nullptr && sinceAttempt < kAttemptLimit;
    const bool refusedLately = current == Link::Refused && sinceAttempt < kRetryInterval;
    if (current == Link::Ready || refusedLately) {
        return;
    }
    if (underWay) {
        advanceLocked();
        return;
    }
    dropLocked();
    startAttempt();
}

void PulseConnection::waitUntilSettled(Clock::time_point deadline) {
    if (m_loop == nullptr) {
        return;
    }
    for (;;) {
        std::uint64_t seen = 0;
        {
            std::lock_guard lock(m_lock);
            seen = m_reports;
        }
        {
            LoopLock loopLock(m_loop);
            advanceLocked();
        }
        std::unique_lock lock(m_lock);
        if (m_link != Link::Connecting ||
            !m_changed.wait_until(lock, deadline, [&] { return m_reports != seen; })) {
            return;
        }
    }
}

// Takes the next step of a connection under way, as the library's callbacks have reported.
void PulseConnection::advanceLocked() {
    Reported reported;
    {
        std::lock_guard lock(m_lock);
        if (m_link != Link::Connecting) {
            return;
        }
        reported = m_reported;
    }
    if (reported.contextReady && m_stream == nullptr) {
        openStream();
    } else if (reported.streamReady && m_stream != nullptr) {
        if (const pa_buffer_attr* granted = pa_stream_get_buffer_attr(m_stream)) {
            const auto seconds = [](std::uint32_t bytes) {
                return static_cast<double>(bytes) / (kRate * sizeof(float));
            };
            m_granted = Granted{seconds(granted->tlength), seconds(granted->minreq)};
        }
        writeSilence(m_stream, kSettleSeconds);
        setLink(Link::Ready);
    }
}

void PulseConnection::startAttempt() {
    m_attemptStarted = Clock::now();
    {
        std::lock_guard lock(m_lock);
        m_reported = Reported{};
    }
    setLink(Link::Connecting);
    m_context = newContext(m_loop);
    if (m_context == nullptr) {
        setLink(Link::Refused);
        return;
    }
    pa_context_set_state_callback(m_context, &PulseConnection::onContextState, this);
    // Starting a server as a side effect of playing a digit is never wanted.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        dropLocked();
        setLink(Link::Refused);
    }
}

// Lets go of the stream and the connection without waiting for the server: the requests go
// out (or not) on the library's thread, and nothing of the old connection calls back.
void PulseConnection::dropLocked() {
    if (m_idleTimer != nullptr) {
        pa_threaded_mainloop_get_api(m_loop)->time_free(m_idleTimer);
        m_idleTimer = nullptr;
    }
    m_corked = false;
    m_padded = false;
    if (m_stream != nullptr) {
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }
    if (m_context != nullptr) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    std::lock_guard lock(m_lock);
    if (m_link == Link::Ready) {
        m_link = Link::Connecting;
    }
    m_reported = Reported{};
    m_answering = nullptr;
    m_asked = m_answered;
}

void PulseConnection::report(bool Reported::*what) {
    {
        std::lock_guard lock(m_lock);
        m_reported.*what = true;
        ++m_reports;
    }
    m_changed.notify_all();
}

void PulseConnection::setLink(Link link) {
    {
        std::lock_guard lock(m_lock);
        m_link = link;
        m_everReady = m_everReady || link == Link::Ready;
        ++m_reports;
    }
    m_changed.notify_all();
}

void PulseConnection::openStream() {
    const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32NE, kRate, 1};
    m_stream = pa_stream_new(m_context, "digits", &sampleFormat, nullptr);
    if (m_stream == nullptr) {
        setLink(Link::Refused);
        return;
    }
    pa_stream_set_state_callback(m_stream, &PulseConnection::onStreamState, this);
    pa_stream_set_underflow_callback(m_stream, &PulseConnection::onUnderflow, this);
    pa_stream_set_moved_callback(m_stream, &PulseConnection::onMoved, this);
    {
        std::lock_guard lock(m_lock);
        m_answering = m_stream;
    }
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = static_cast<std::uint32_t>(
        pa_usec_to_bytes(static_cast<pa_usec_t>(kTargetSeconds * PA_USEC_PER_SEC), &sampleFormat));
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = static_cast<std::uint32_t>(-1);
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    if (pa_stream_connect_playback(m_stream, nullptr, &attributes, PA_STREAM_ADJUST_LATENCY,
                                   nullptr, nullptr) < 0) {
        setLink(Link::Refused);
    }
}

// Silence ahead of a recording, where the server may skip what it is given first: a new stream
// while the sink adapts to it (kSettleSeconds), and a stream that ran dry, which the server
// takes up again at its next request, up to one request's worth behind where it has got to.
void PulseConnection::writeSilence(pa_stream* stream, double seconds) {
    const std::vector<float> silence(static_cast<std::size_t>(seconds * kRate), 0.0f);
    pa_stream_write(stream, silence.data(), silence.size() * sizeof(float), nullptr, 0,
                    PA_SEEK_RELATIVE);
}

void PulseConnection::onContextState(pa_context* context, void* self) {
    auto* connection = static_cast<PulseConnection*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        connection->report(&Reported::contextReady);
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        connection->setLink(Link::Refused);
        break;
    default:
        break;
    }
}

void PulseConnection::onStreamState(pa_stream* stream, void* self) {
    auto* connection = static_cast<PulseConnection*>(self);
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        connection->report(&Reported::streamReady);
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        connection->setLink(Link::Refused);
        break;
    default:
        break;
    }
}

void PulseConnection::onTiming(pa_stream* stream, int success, void* self) {
    auto* connection = static_cast<PulseConnection*>(self);
    {
        std::lock_guard lock(connection->m_lock);
        if (stream != connection->m_answering) {
            return;
        }
        connection->m_answered = connection->m_asked;
        connection->m_answerOk = success != 0;
    }
    connection->m_changed.notify_all();
}

void PulseConnection::onUnderflow(pa_stream* stream, void* self) {
    auto* connection = static_cast<PulseConnection*>(self);
    std::lock_guard lock(connection->m_lock);
    if (stream == connection->m_answering) {
        connection->m_drained = true;
    }
}

// Moved to another sink (by a mixer, or as the old one went away), the stream goes on from where
// the old sink had got to: PulseAudio counts what the old sink had taken as played, the pad after
// the last recording among it. The next recording must not be written back over that pad, where
// its head would land behind what the server has played and be dropped (5 to 15 ms of it on a
// loaded machine): it starts afresh, as after a drained stream.
void PulseConnection::onMoved(pa_stream* stream, void* self) {
    auto* connection = static_cast<PulseConnection*>(self);
    std::lock_guard lock(connection->m_lock);
    if (stream == connection->m_answering) {
        connection->m_drained = true;
    }
}

bool PulseConnection::write(const std::vector<float>& samples, std::optional<double> overwrite) {
    LoopLock lock(m_loop);
    if (m_stream == nullptr || link() != Link::Ready) {
        return false;
    }
    // A corked stream was flushed as it was corked: the server takes it up from the start of
    // what comes next, with nothing played to catch up on.
    const bool uncorked = std::exchange(m_corked, false);
    restartIdleTimer(static_cast<double>(samples.size()) / kRate);
    bool drained = !overwrite;
    {
        std::lock_guard stateLock(m_lock);
        drained = std::exchange(m_drained, false) || drained;
    }
    if (drained && !uncorked) {
        writeSilence(m_stream, m_granted.request);
    }
    const std::vector<float> pad(static_cast<std::size_t>(kTailSeconds * kRate), 0.0f);
    const auto frames =
        static_cast<std::int64_t>(std::clamp(overwrite.value_or(0.0), 0.0, kTailSeconds) * kRate);
    const std::int64_t back =
        drained || !m_padded ? 0 : -frames * static_cast<std::int64_t>(sizeof(float));
    if (pa_stream_write(m_stream, samples.data(), samples.size() * sizeof(float), nullptr, back,
                        PA_SEEK_RELATIVE) != 0 ||
        pa_stream_write(m_stream, pad.data(), pad.size() * sizeof(float), nullptr, 0,
                        PA_SEEK_RELATIVE) != 0) {
        return false;
    }
    m_padded = true;
    // Uncorked once the recording is there, so that the server's first cycle for the stream
    // already plays it.
    if (uncorked) {
        if (pa_operation* operation = pa_stream_cork(m_stream, 0, nullptr, nullptr)) {
            pa_operation_unref(operation);
        }
    }
    // A drained stream waits for its target before it starts again; a recording shorter than
    // that must not wait for the next one.
    if (pa_operation* operation = pa_stream_trigger(m_stream, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
    return true;
}

void PulseConnection::flush() {
    LoopLock lock(m_loop);
    if (m_stream == nullptr || link() != Link::Ready) {
        return;
    }
    if (pa_operation* operation = pa_stream_flush(m_stream, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
    std::lock_guard stateLock(m_lock);
    m_drained = true;
}

void PulseConnection::restartIdleTimer(double soundSeconds) {
    const pa_usec_t due =
        pa_rtclock_now() + static_cast<pa_usec_t>((soundSeconds + kIdleSeconds) * PA_USEC_PER_SEC);
    if (m_idleTimer != nullptr) {
        pa_context_rttime_restart(m_context, m_idleTimer, due);
    } else {
        m_idleTimer = pa_context_rttime_new(m_context, due, &PulseConnection::onIdle, this);
    }
}

// Runs on the library's thread, under its lock.
void PulseConnection::onIdle(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
    static_cast<PulseConnection*>(self)->corkLocked();
}

// Anything still held was never heard in time and is dropped; the stream then starts again
// from silence, as a drained one does.
void PulseConnection::corkLocked() {
    if (m_stream == nullptr || m_corked) {
        return;
    }
    if (pa_operation* operation = pa_stream_flush(m_stream, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
    if (pa_operation* operation = pa_stream_cork(m_stream, 1, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
    m_corked = true;
    std::lock_guard lock(m_lock);
    m_drained = true;
}

std::optional<PulseConnection::Queue> PulseConnection::queued(Clock::time_point deadline) {
    if (m_loop == nullptr) {
        return std::nullopt;
    }
    std::uint64_t question = 0;
    {
        LoopLock loopLock(m_loop);
        if (m_stream == nullptr || link() != Link::Ready) {
            return std::nullopt;
        }
        std::lock_guard lock(m_lock);
        if (m_asked == m_answered) {
            // A question still open from an earlier wait is not asked again: its answer
            // serves, and how long it has been open is what shows a stalled server.
            pa_operation* operation =
                pa_stream_update_timing_info(m_stream, &PulseConnection::onTiming, this);
            if (operation == nullptr) {
                return std::nullopt;
            }
            pa_operation_unref(operation);
            ++m_asked;
            m_oldestUnanswered = Clock::now();
        }
        question = m_asked;
    }
    bool answered = false;
    {
        std::unique_lock lock(m_lock);
        answered = m_changed.wait_until(lock, deadline, [&] { return m_answered >= question; }) &&
                   m_answerOk;
        if (!answered && m_answered < question &&
            Clock::now() - m_oldestUnanswered < toClock(kStallLimit)) {
            return std::nullopt;
        }
    }
    LoopLock loopLock(m_loop);
    if (!answered) {
        dropLocked();
        return std::nullopt;
    }
    if (m_stream == nullptr) {
        return std::nullopt;
    }
    const pa_timing_info* timing = pa_stream_get_timing_info(m_stream);
    if (timing == nullptr) {
        return std::nullopt;
    }
    const std::int64_t bytes = timing->write_index - timing->read_index;
    return Queue{bytes <= 0 ? 0.0 : static_cast<double>(bytes) / (kRate * sizeof(float)),
                 static_cast<double>(timing->sink_usec) / PA_USEC_PER_SEC,
                 onOurClock(timing->timestamp)};
}

class PulsePlayer final : public SoundPlayer {
public:
    explicit PulsePlayer(PlayerFactory fallback) : m_makeFallback(std::move(fallback)) {}

    void prepare() override {
        m_connection.connectIfDue();
        m_connection.waitUntilSettled(Clock::now() + toClock(kPrepareLimit));
        if (useFallback()) {
            m_fallback->prepare();
        }
    }

    void playFile(const QString& path) override {
        const Recording* recording = m_recordings.find(path);
        if (recording == nullptr) {
            return;
        }
        const Clock::time_point start = Clock::now();
        // The recording's own length: however the server behaves, the call takes no longer.
        const Clock::time_point paced = start + toClock(Seconds(recording->seconds()));
        m_connection.connectIfDue();
        if (m_connection.link() == Link::Connecting) {
            // Usually a matter of milliseconds, as at the first recording after start-up or
            // once a lost server is back; a stalled one costs the recording's length.
            m_connection.waitUntilSettled(paced);
        }
        if (m_connection.link() == Link::Ready) {
            m_fallback.reset();
            if (m_connection.write(recording->samples, confirmedPad()) &&
                waitUntilNearlyHeard(recording->seconds(), paced)) {
                return;
            }
            m_padReached.reset();
        } else if (useFallback()) {
            m_fallback->playFile(path);
            return;
        }
        sleepUntil(paced);
    }

private:
    // The fallback plays only where no server is there at all, and none ever answered in this
    // process. A server that takes the connection but does not answer (stopped, or busy) is
    // waited for in silence: the fallback would reach the same server through the sound
    // library's plugin, with no deadline of its own.
    bool useFallback() {
        if (!m_makeFallback || m_connection.link() != Link::Refused || m_connection.everReady()) {
            return false;
        }
        if (!m_fallback) {
            m_fallback = m_makeFallback();
        }
        return m_fallback != nullptr;
    }

    // How much of the pad after the last recording the next one may be written over: what the
    // sink will not yet have taken when the write reaches the server. Written back further, the
    // recording's head would land behind what the server has taken and be dropped. The reckoning
    // from the last wait only says whether to ask: a server held up since (busy, or starved and
    // then catching up on its sink's time) takes the pad sooner than reckoned, and a write sent
    // meanwhile waits in the socket. So the server is asked afresh, and the write is taken to
    // be as long on its way there as the answer was on its way back. Not known when it does not
    // answer before the pad may be reached, or when the stream may have run dry by then.
    std::optional<double> confirmedPad() {
        if (!m_padReached) {
            return 0;
        }
        const Clock::time_point lastChance = *m_padReached + toClock(Seconds(kTailSeconds));
        if (Clock::now() >= lastChance) {
            return 0;
        }
        const std::optional<PulseConnection::Queue> queue = m_connection.queued(lastChance);
        if (!queue) {
            return std::nullopt;
        }
        const double sinceAnswer = Seconds(Clock::now() - queue->at).count();
        const double untaken =
            queue->seconds - queue->sinkLatency - m_connection.granted().request - 2 * sinceAnswer;
        if (untaken <= 0) {
            return std::nullopt;
        }
        return std::min(untaken, kTailSeconds);
    }

    // Sleeps until a refill's worth of what the server holds is left, as the server tells it
    // (its clock and ours drift apart), but no longer past the recording's own length than the
    // server and the sink hold ahead: a server that takes nothing does not slow the reader
    // down. The refill is that much and the reader's way to the next write: the next recording
    // then arrives before the server runs short, and a stop still ends after the character in
    // progress. False when the server did not answer in time, or held more than the sink takes
    // (then it is flushed).
    bool waitUntilNearlyHeard(double written, Clock::time_point paced) {
        const Clock::time_point waited = Clock::now();
        const std::optional<PulseConnection::Queue> queue = m_connection.queued(paced);
        if (!queue) {
            return false;
        }
        // A sink with a long latency of its own (Bluetooth, a sink tuned for saving power) takes
        // sound in large steps: what it will take at its next step is not stale. Only an answer
        // from after this write tells stale sound: an older one counts what the sink has
        // played since as still held.
        if (queue->at >= waited && queue->seconds > written + kStaleMargin + queue->sinkLatency) {
            m_connection.flush();
            return false;
        }
        // Counted from the question, or from the answer where that is older (a question left open
        // by an earlier wait): the server held at least as much then. The sink takes sound ahead
        // of playing it, by up to its own latency, and the server takes it from the stream a step
        // at a time, up to a step ahead of that (PipeWire's pulse server, whose sink latency reads
        // zero, took up to one granted step more than reckoned without).
        const Clock::time_point asked = std::min(waited, queue->at);
        m_padReached = asked + toClock(Seconds(queue->seconds - kTailSeconds - queue->sinkLatency -
                                               m_connection.granted().request));
        const double ahead = m_connection.granted().target + queue->sinkLatency;
        sleepUntil(std::min(
            asked + toClock(Seconds(queue->seconds - kTailSeconds - ahead - kHandOverSeconds)),
            paced + toClock(Seconds(ahead))));
        return true;
    }

    PulseConnection m_connection;
    RecordingCache m_recordings;
    PlayerFactory m_makeFallback;
    std::unique_ptr<SoundPlayer> m_fallback;
    // The earliest the server may take the first of the pad after the last recording; none when
    // that is not known.
    std::optional<Clock::time_point> m_padReached;
};

} // namespace

std::unique_ptr<SoundPlayer> makePulsePlayer(PlayerFactory fallback) {
    return std::make_unique<PulsePlayer>(std::move(fallback));
}

} // namespace tallix::platform
