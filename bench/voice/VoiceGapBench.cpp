// Gap between two characters while reading, the recordings themselves excluded: the reader
// thread speaks through an output that takes no time, so what is left is the thread's own work
// between two sounds (file check, taking the next character) plus its hand-overs.
#include "RecordingPlayer.h"
#include "VoiceTestSupport.h"

#include <algorithm>

#include <benchmark/benchmark.h>

namespace tallix::voice::test {
namespace {

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

void gapBetweenCharacters(benchmark::State& state) {
    const auto line = QByteArray("1234567890.").repeated(9) + '\r'; // one line of a hundred
    constexpr int kLines = 20;
    application();
    VoiceFolder folder;
    std::vector<double> gaps;
    for (auto _ : state) {
        auto player = std::make_shared<RecordingPlayer>();
        auto voice = TNumberVoice::Create(player);
        QObject owner;
        int handed = 0;
        voice->FVoicePath = folder.path();
        voice->SetOnNeedText(&owner, [&](TNumberVoice* sender) {
            if (handed < kLines) {
                sender->FText = line;
                ++handed;
            }
        });
        voice->Resume();
        runUntil([&] { return handed == kLines && voice->Suspended(); }, std::chrono::seconds(30));
        voice->DetachOwner();
        const auto plays = player->plays();
        for (std::size_t i = 1; i < plays.size(); ++i) {
            gaps.push_back(
                std::chrono::duration<double, std::micro>(plays[i].start - plays[i - 1].end)
                    .count());
        }
    }
    state.counters["median_us"] = percentile(gaps, 0.5);
    state.counters["p99_us"] = percentile(gaps, 0.99);
    state.counters["max_us"] = percentile(gaps, 1.0);
    state.counters["gaps"] = static_cast<double>(gaps.size());
}
BENCHMARK(gapBetweenCharacters)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
} // namespace tallix::voice::test

BENCHMARK_MAIN();
