// The real player on a PulseAudio null sink: the delay of the first sound after a pause, and
// the time each file costs beyond its own length in a run of digits.
#include "BenchSink.h"
#include "WavWriter.h"
#include "platform/SoundPlayer.h"

#include <QDir>
#include <QThread>

#include <cmath>
#include <cstdio>
#include <numbers>

#include <benchmark/benchmark.h>

namespace tallix::voice::test {
namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

double fileSeconds(const QString& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (file == nullptr) {
        return 0;
    }
    sf_close(file);
    return static_cast<double>(info.frames) / info.samplerate;
}

// After a pause of the given milliseconds: how much later than the call the first sample reached
// the sink, measured against the end of a tone played before the pause:
// (gap in the recording) - (time from that tone's return to the next call). A tone returns one
// output latency before its end is heard, so the delay from the call is this figure plus the
// output latency (PortAudio reports 8.5 ms on the null sink). Against a fresh `paplay`, from the
// call to the sound: FloorBench.cpp.
void firstSoundAfterIdle(benchmark::State& state) {
    QTemporaryDir dir;
    const QString before = dir.filePath("before.wav");
    const QString after = dir.filePath("after.wav");
    for (const auto& [path, frequency] : {std::pair{before, 600}, std::pair{after, 1400}}) {
        writeWav(path, SF_FORMAT_PCM_16, 1, NullSink::kRate, 0.1, [f = frequency](double t, int) {
            return 0.5 * std::sin(2 * std::numbers::pi * f * t);
        });
    }
    if (sink() == nullptr) {
        state.SkipWithError("no PulseAudio null sink");
        return;
    }
    const auto player = platform::makeSoundPlayer(platform::SoundOutput::DefaultDevice);
    player->prepare();
    std::vector<double> delays;
    for (auto _ : state) {
        const std::size_t from = sink()->capture().size();
        player->playFile(before);
        const Clock::time_point heardEnd = Clock::now();
        QThread::msleep(static_cast<unsigned long>(state.range(0)));
        const Clock::time_point called = Clock::now();
        player->playFile(after);
        QThread::msleep(300);
        std::vector<short> samples = sink()->capture();
        samples.erase(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(from));
        const auto runs = toneRuns(samples, {600, 1400}, 2 * sink()->serverLossCycle());
        if (runs.size() != 2) {
            state.SkipWithError("the recording does not hold both tones");
            return;
        }
        const double recordedGap = runs[1].startSeconds - (runs[0].startSeconds + runs[0].seconds);
        delays.push_back(1000 * (recordedGap - seconds(called - heardEnd)));
    }
    std::sort(delays.begin(), delays.end());
    state.counters["beyond_latency_ms_median"] = delays[delays.size() / 2];
    state.counters["beyond_latency_ms_max"] = delays.back();
}
BENCHMARK(firstSoundAfterIdle)->Arg(10000)->Arg(500)->Iterations(3)->Unit(benchmark::kSecond);

// A hundred digits of the input voice set, back to back, as the reader thread plays them.
void overheadPerFile(benchmark::State& state) {
    const QString folder = QStringLiteral(TALLIX_VOICES_DIR "/hispeed/");
    QStringList files;
    double recordings = 0;
    for (int i = 0; i < 100; ++i) {
        files << folder + QString::number(i % 10) + ".wav";
        recordings += fileSeconds(files.back());
    }
    if (sink() == nullptr) {
        state.SkipWithError("no PulseAudio null sink");
        return;
    }
    const auto player = platform::makeSoundPlayer(platform::SoundOutput::DefaultDevice);
    player->prepare();
    std::vector<double> overheads;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        for (const QString& file : files) {
            player->playFile(file);
        }
        overheads.push_back(1000 * (seconds(Clock::now() - start) - recordings) / 100);
    }
    std::sort(overheads.begin(), overheads.end());
    state.counters["overhead_ms_per_file"] = overheads[overheads.size() / 2];
    state.counters["recordings_s"] = recordings;
}
BENCHMARK(overheadPerFile)->Iterations(3)->Unit(benchmark::kSecond);

} // namespace
} // namespace tallix::voice::test

BENCHMARK_MAIN();
