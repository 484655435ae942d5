// Decoding large pictures with our PNG decoder and with libpng, into the same bitmap layout
// (blue, green, red and alpha, palette and grey expanded), in one run. The ratio benchmarks
// give our CPU time divided by libpng's for each picture; below 1.0 means ours is faster. CPU
// time rather than wall time, because the machines this runs on are often shared.

#include "graphics/FuncGraphicWork.h"

#include <csetjmp>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <png.h>

using namespace tallix::graphics;

namespace {

constexpr int kSide = 4096;

struct PictureKind {
    const char* name;
    int colourType;
    int depth;
    int samples;
};

const PictureKind kKinds[] = {
    {"truecolour", PNG_COLOR_TYPE_RGB, 8, 3},
    {"truecolour_alpha", PNG_COLOR_TYPE_RGB_ALPHA, 8, 4},
    {"palette", PNG_COLOR_TYPE_PALETTE, 8, 1},
    {"grey4", PNG_COLOR_TYPE_GRAY, 4, 1},
};

// Smooth gradients, hard edges and noisy areas side by side, so that libpng's filter choice
// varies from row to row and every filter type occurs.
std::uint8_t sampleValue(int x, int y, int channel, std::mt19937& random) {
    const int region = (x / 512 + y / 512) % 3;
    switch (region) {
    case 0:
        return static_cast<std::uint8_t>(x / 16 + y / 32 + channel * 40);
    case 1:
        return static_cast<std::uint8_t>(((x ^ y) & 0x40 ? 200 : 30) + channel * 7);
    default:
        return static_cast<std::uint8_t>(x + y * channel + random() % 24);
    }
}

void writeToVector(png_structp png, png_bytep data, png_size_t count) {
    auto* target = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    target->insert(target->end(), data, data + count);
}

void noFlush(png_structp) {}

std::vector<std::uint8_t> encodePicture(const PictureKind& kind) {
    const std::size_t rowBytes = (std::size_t(kSide) * kind.samples * kind.depth + 7) / 8;
    std::vector<std::uint8_t> samples(rowBytes * kSide);
    std::mt19937 random(1);
    const int maxValue = (1 << kind.depth) - 1;
    for (int y = 0; y < kSide; ++y) {
        std::uint8_t* row = samples.data() + y * rowBytes;
        for (int x = 0; x < kSide; ++x) {
            for (int c = 0; c < kind.samples; ++c) {
                const int value = sampleValue(x, y, c, random) * maxValue / 255;
                const std::size_t bit = (std::size_t(x) * kind.samples + c) * kind.depth;
                row[bit / 8] |= static_cast<std::uint8_t>(value << (8 - kind.depth - bit % 8));
            }
        }
    }
    std::vector<png_color> palette(256);
    for (int i = 0; i < 256; ++i) {
        palette[i] = {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7)};
    }
    std::vector<std::uint8_t> encoded;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &encoded, writeToVector, noFlush);
    png_set_IHDR(png, info, kSide, kSide, kind.depth, kind.colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (kind.colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(png, info, palette.data(), 256);
    }
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_write_info(png, info);
    for (int y = 0; y < kSide; ++y) {
        png_write_row(png, samples.data() + y * rowBytes);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return encoded;
}

const std::vector<std::uint8_t>& picture(const PictureKind& kind) {
    static std::map<std::string, std::vector<std::uint8_t>> pictures;
    auto found = pictures.find(kind.name);
    if (found == pictures.end()) {
        found = pictures.emplace(kind.name, encodePicture(kind)).first;
    }
    return found->second;
}

struct LibpngSource {
    const std::vector<std::uint8_t>* bytes;
    std::size_t position;
};

void readFromVector(png_structp png, png_bytep target, png_size_t count) {
    auto* source = static_cast<LibpngSource*>(png_get_io_ptr(png));
    if (source->position + count > source->bytes->size()) {
        png_error(png, "read past the end");
    }
    std::memcpy(target, source->bytes->data() + source->position, count);
    source->position += count;
}

// libpng with the transforms that give our bitmap's layout; the caller owns every object.
bool decodeWithLibpng(png_structp png, png_infop info, LibpngSource& source,
                      std::unique_ptr<std::uint8_t[]>& pixels) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_read_fn(png, &source, readFromVector);
    png_read_info(png, info);
    const int colourType = png_get_color_type(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY) {
        png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    png_set_bgr(png);
    png_read_update_info(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    pixels.reset(new std::uint8_t[rowBytes * height]);
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(png, pixels.get() + y * rowBytes, nullptr);
    }
    png_read_end(png, nullptr);
    return true;
}

void decodeOurs(const std::vector<std::uint8_t>& bytes) {
    TMemoryReadStream stream(bytes);
    TBitmap bitmap;
    loadPngFromStream(bitmap, stream);
    benchmark::DoNotOptimize(bitmap.ScanLine(kSide - 1)[0]);
}

bool decodeLibpng(const std::vector<std::uint8_t>& bytes) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    LibpngSource source{&bytes, 0};
    std::unique_ptr<std::uint8_t[]> pixels;
    const bool decoded = decodeWithLibpng(png, info, source, pixels);
    png_destroy_read_struct(&png, &info, nullptr);
    benchmark::DoNotOptimize(pixels.get());
    return decoded;
}

void ours(benchmark::State& state, const PictureKind& kind) {
    const std::vector<std::uint8_t>& bytes = picture(kind);
    for (auto _ : state) {
        decodeOurs(bytes);
    }
}

void libpng(benchmark::State& state, const PictureKind& kind) {
    const std::vector<std::uint8_t>& bytes = picture(kind);
    for (auto _ : state) {
        if (!decodeLibpng(bytes)) {
            state.SkipWithError("libpng refused the picture");
            return;
        }
    }
}

double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Both decoders in turn within each iteration, so that both see the same machine load; the
// counter "ratio" is our CPU time divided by libpng's.
void ratio(benchmark::State& state, const PictureKind& kind) {
    const std::vector<std::uint8_t>& bytes = picture(kind);
    double ours = 0;
    double libpng = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        decodeOurs(bytes);
        const double middle = cpuSeconds();
        if (!decodeLibpng(bytes)) {
            state.SkipWithError("libpng refused the picture");
            return;
        }
        ours += middle - start;
        libpng += cpuSeconds() - middle;
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = 1000 * ours / iterations;
    state.counters["libpng_ms"] = 1000 * libpng / iterations;
    state.counters["ratio"] = ours / libpng;
}

} // namespace

BENCHMARK_CAPTURE(ours, truecolour, kKinds[0])->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(libpng, truecolour, kKinds[0])->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, truecolour_alpha, kKinds[1])->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(libpng, truecolour_alpha, kKinds[1])->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, palette, kKinds[2])->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(libpng, palette, kKinds[2])->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, grey4, kKinds[3])->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(libpng, grey4, kKinds[3])->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ratio, truecolour, kKinds[0])->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ratio, truecolour_alpha, kKinds[1])->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ratio, palette, kKinds[2])->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ratio, grey4, kKinds[3])->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
