// Key to sound at the sink: from the call that plays a digit's recording to its first sound at
// the null sink's monitor, for the real player and, side by side in the same run, for the floor:
// a plain libpulse stream kept running (silence between recordings, the player's 8 ms target)
// and written the same recording. Keys come one by one with a pause between them, as typing
// does, alternating between the two. Both figures share the delay of the monitor recording
// itself (its fragments are 3 ms), so their difference is what the player costs beyond a stream
// that is always open; a running stream keeps its target of silence queued ahead of each key,
// which a drained one, started at once by the player, does not. Median and 90th percentile in
// milliseconds.
// The same sink measures the first key after a pause against a fresh `paplay` (below).
// Run: build/test/bench/voice/tallix_voice_floor_bench (PulseAudio);
//      TALLIX_TEST_SOUND_SERVER=pipewire build/test/bench/voice/tallix_voice_floor_bench;
//      with `stress-ng --cpu 2` running beside either for a loaded machine.
#include "BenchSink.h"
#include "platform/SoundPlayer.h"
#include "platform/WavSource.h"

#include <QProcess>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>
#include <pulse/simple.h>
#include <pulse/timeval.h>

namespace tallix::voice::test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kFragmentFrames = 64;
// The first sample this loud (of full scale) is where the recording is heard to start.
constexpr float kOnsetLevel = 0.03f;
constexpr double kFloorTargetSeconds = 0.008;

pa_sample_spec voiceFormat() {
    return pa_sample_spec{PA_SAMPLE_FLOAT32NE, NullSink::kRate, 1};
}

// One simple stream on the null sink and the thread that serves it until the stream goes.
class ServedStream {
public:
    ServedStream(pa_stream_direction_t direction, const char* device, const char* name,
                 const pa_buffer_attr& attributes, std::function<void(pa_simple*)> serve) {
        const pa_sample_spec format = voiceFormat();
        m_stream = pa_simple_new(nullptr, "tallix-bench", direction, device, name, &format, nullptr,
                                 &attributes, nullptr);
        if (m_stream != nullptr) {
            m_thread = std::thread([this, serve = std::move(serve)] { serve(m_stream); });
        }
    }
    ~ServedStream() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
        if (m_stream != nullptr) {
            pa_simple_free(m_stream);
        }
    }
    ServedStream(const ServedStream&) = delete;
    ServedStream& operator=(const ServedStream&) = delete;
    bool ok() const { return m_stream != nullptr; }
    bool stopping() const { return m_stop; }

private:
    pa_simple* m_stream = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

// Records the sink's monitor in small fragments and notes when, after arm(), the first loud
// sample arrived: the fragment's arrival less the frames that followed that sample in it.
class MonitorProbe {
public:
    bool ok() const { return m_served.ok(); }
    void arm() {
        std::lock_guard lock(m_lock);
        m_armed = true;
        m_onset.reset();
    }
    std::optional<Clock::time_point> waitForOnset(Clock::duration limit) {
        std::unique_lock lock(m_lock);
        m_changed.wait_for(lock, limit, [&] { return m_onset.has_value(); });
        m_armed = false;
        return m_onset;
    }

private:
    static pa_buffer_attr attributes() {
        pa_buffer_attr attributes{};
        attributes.maxlength = static_cast<std::uint32_t>(-1);
        attributes.fragsize = static_cast<std::uint32_t>(kFragmentFrames * sizeof(float));
        return attributes;
    }

    void run(pa_simple* stream) {
        std::vector<float> fragment(kFragmentFrames);
        while (!m_served.stopping()) {
            if (pa_simple_read(stream, fragment.data(), fragment.size() * sizeof(float), nullptr) <
                0) {
                return;
            }
            const Clock::time_point arrived = Clock::now();
            const auto loud = std::find_if(fragment.begin(), fragment.end(), [](float sample) {
                return std::abs(sample) > kOnsetLevel;
            });
            if (loud == fragment.end()) {
                continue;
            }
            const auto after = static_cast<double>(fragment.end() - loud) / NullSink::kRate;
            std::lock_guard lock(m_lock);
            if (m_armed && !m_onset) {
                m_onset = arrived - std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(after));
                m_changed.notify_all();
            }
        }
    }

    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_armed = false;
    std::optional<Clock::time_point> m_onset;
    // Last, so that its thread starts after the state it uses and ends before it goes.
    ServedStream m_served{PA_STREAM_RECORD, "tallix_test.monitor", "probe", attributes(),
                          [this](pa_simple* stream) { run(stream); }};
};

// The floor: one plain stream, open and running all the time, fed silence in fragments; a key
// puts the recording in place of the next fragment of silence.
class FloorStream {
public:
    explicit FloorStream(std::vector<float> recording) : m_recording(std::move(recording)) {}
    bool ok() const { return m_served.ok(); }
    void play() { m_keyed = true; }

private:
    static pa_buffer_attr attributes() {
        const pa_sample_spec format = voiceFormat();
        pa_buffer_attr attributes{};
        attributes.maxlength = static_cast<std::uint32_t>(-1);
        attributes.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(
            static_cast<pa_usec_t>(kFloorTargetSeconds * PA_USEC_PER_SEC), &format));
        attributes.prebuf = static_cast<std::uint32_t>(-1);
        attributes.minreq = static_cast<std::uint32_t>(-1);
        return attributes;
    }

    void run(pa_simple* stream) {
        const std::vector<float> silence(kFragmentFrames, 0.0f);
        while (!m_served.stopping()) {
            const std::vector<float>& next = m_keyed.exchange(false) ? m_recording : silence;
            if (pa_simple_write(stream, next.data(), next.size() * sizeof(float), nullptr) < 0) {
                return;
            }
        }
    }

    std::vector<float> m_recording;
    std::atomic<bool> m_keyed{false};
    // Last, so that its thread starts after the state it uses and ends before it goes.
    ServedStream m_served{PA_STREAM_PLAYBACK, nullptr, "floor", attributes(),
                          [this](pa_simple* stream) { run(stream); }};
};

std::vector<float> decode(const QString& path) {
    platform::WavSource source(path, 1, NullSink::kRate);
    std::vector<float> samples;
    while (source.read(samples, 4096) > 0) {
    }
    return samples;
}

void report(benchmark::State& state, const char* name, std::vector<double> millis) {
    if (millis.empty()) {
        return;
    }
    std::sort(millis.begin(), millis.end());
    state.counters[std::string(name) + "_ms_median"] = millis[millis.size() / 2];
    state.counters[std::string(name) + "_ms_p90"] = millis[millis.size() * 9 / 10];
}

// Keys one way and the other in turn, each after `pause`, and reports the time from each call to
// its first sound at the sink under the way's name.
using Keying = std::pair<const char*, std::function<void()>>;
void alternate(benchmark::State& state, MonitorProbe& probe, std::chrono::milliseconds pause,
               const Keying& one, const Keying& other) {
    std::vector<double> ones;
    std::vector<double> others;
    const auto measure = [&](const std::function<void()>& key, std::vector<double>& into) {
        std::this_thread::sleep_for(pause);
        probe.arm();
        const Clock::time_point called = Clock::now();
        key();
        if (const auto onset = probe.waitForOnset(std::chrono::seconds(2))) {
            into.push_back(std::chrono::duration<double, std::milli>(*onset - called).count());
        }
    };
    for (auto _ : state) {
        measure(one.second, ones);
        measure(other.second, others);
    }
    report(state, one.first, ones);
    report(state, other.first, others);
    state.counters["unheard"] =
        static_cast<double>(2 * state.iterations() - ones.size() - others.size());
}

// The argument is the pause between two keys, in milliseconds.
void keyToSinkAgainstFloor(benchmark::State& state) {
    const QString path = QStringLiteral(TALLIX_VOICES_DIR "/hispeed/5.wav");
    if (sink() == nullptr) {
        state.SkipWithError("no null sink");
        return;
    }
    MonitorProbe probe;
    FloorStream floor(decode(path));
    if (!probe.ok() || !floor.ok()) {
        state.SkipWithError("no plain stream on the null sink");
        return;
    }
    const auto player = platform::makeSoundPlayer(platform::SoundOutput::DefaultDevice);
    player->prepare();
    alternate(state, probe, std::chrono::milliseconds(state.range(0)),
              {"player", [&] { player->playFile(path); }}, {"floor", [&] { floor.play(); }});
}
BENCHMARK(keyToSinkAgainstFloor)->Arg(400)->Iterations(40)->Unit(benchmark::kSecond);

// The first key after a pause long enough for the player to cork its stream, against a fresh
// `paplay` of the same recording after the same pause, alternating: from the call (the start of
// `paplay`) to the first sound at the sink. The argument is the pause in milliseconds.
void firstKeyAfterIdleAgainstPaplay(benchmark::State& state) {
    const QString path = QStringLiteral(TALLIX_VOICES_DIR "/hispeed/5.wav");
    if (sink() == nullptr) {
        state.SkipWithError("no null sink");
        return;
    }
    MonitorProbe probe;
    if (!probe.ok()) {
        state.SkipWithError("no plain stream on the null sink");
        return;
    }
    const auto player = platform::makeSoundPlayer(platform::SoundOutput::DefaultDevice);
    player->prepare();
    player->playFile(path);
    const auto paplay = [&] {
        QProcess process;
        process.start("paplay", {path});
        process.waitForFinished(5000);
    };
    alternate(state, probe, std::chrono::milliseconds(state.range(0)),
              {"player", [&] { player->playFile(path); }}, {"paplay", paplay});
}
BENCHMARK(firstKeyAfterIdleAgainstPaplay)->Arg(10000)->Iterations(12)->Unit(benchmark::kSecond);

} // namespace
} // namespace tallix::voice::test

BENCHMARK_MAIN();
