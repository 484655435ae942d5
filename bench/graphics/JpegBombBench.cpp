// How long the hostile JPEG files of the test data take to be refused, and the process's peak
// memory while they are. Both should stay far below a second and 300 MB; before the loader bounded
// libjpeg's memory and the scans, each took seconds and about 700 MB.

#include "graphics/FuncGraphicWork.h"
#include "graphics/GraphicError.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

using namespace tallix::graphics;

namespace {

std::vector<std::uint8_t> readData(const std::string& name) {
    std::ifstream file(std::string(TALLIX_TEST_DATA_DIR) + "/jpeg/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Linux keeps the peak resident size since the last reset; writing 5 to clear_refs resets it.
void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0;
}

void refuseJpegBomb(benchmark::State& state, const std::string& name) {
    const std::vector<std::uint8_t> bytes = readData(name);
    if (bytes.empty()) {
        state.SkipWithError("test data not found");
        return;
    }
    resetPeakMemory();
    for (auto _ : state) {
        TMemoryReadStream stream(bytes);
        TBitmap bitmap;
        try {
            loadJpegFromStream(bitmap, stream);
            state.SkipWithError("the file was accepted");
            return;
        } catch (const EGraphicError&) {
        }
    }
    state.counters["peak_MB"] = peakMegabytes();
}

BENCHMARK_CAPTURE(refuseJpegBomb, frame_9000x9000, "progressive-9000x9000-frame.jpg")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(refuseJpegBomb, scans_1000, "progressive-1000-scans.jpg")
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
