#include "graphics/JpegWork.h"

#include <algorithm>

namespace tallix::graphics {

namespace {

// About a second of work on an ordinary core, measured with libjpeg-turbo.
constexpr std::uint64_t kBudget = 1'000'000'000;

// Per scan, each block costs a visit and each coefficient of the scan's band a step, whether the
// data sets it or not. Arithmetic decoding costs several times more per block, and it goes on
// through the whole scan even when the data has ended. Per byte read, a decoder can do no more
// than the bits allow, but arithmetic coding packs many more decisions into a byte.
struct Rates {
    std::uint64_t perScan;
    std::uint64_t perBlock;
    std::uint64_t perCoefficient;
    std::uint64_t perByte;
};
constexpr Rates kHuffman{10'000, 8, 1, 24};
constexpr Rates kArithmetic{10'000, 32, 1, 64};

constexpr std::uint64_t kOutputPerSample = 4;
constexpr std::uint64_t kOutputPerPixel = 6;

const Rates& ratesOf(const jpeg_decompress_struct& info) {
    return info.arith_code ? kArithmetic : kHuffman;
}

std::uint64_t roundedUpDivision(std::uint64_t value, std::uint64_t by) {
    return (value + by - 1) / by;
}

// An interleaved scan runs over whole units of each component's blocks, padding included.
std::uint64_t blocksInScan(const jpeg_decompress_struct& info) {
    if (info.comps_in_scan == 1) {
        const jpeg_component_info& component = *info.cur_comp_info[0];
        return std::uint64_t{component.width_in_blocks} * component.height_in_blocks;
    }
    const auto unitWidth = std::uint64_t(std::max(info.max_h_samp_factor, 1)) * DCTSIZE;
    const auto unitHeight = std::uint64_t(std::max(info.max_v_samp_factor, 1)) * DCTSIZE;
    const std::uint64_t units = roundedUpDivision(info.image_width, unitWidth) *
                                roundedUpDivision(info.image_height, unitHeight);
    std::uint64_t blocksPerUnit = 0;
    for (int i = 0; i < info.comps_in_scan; ++i) {
        const jpeg_component_info& component = *info.cur_comp_info[i];
        blocksPerUnit += std::uint64_t(component.h_samp_factor) * component.v_samp_factor;
    }
    return units * blocksPerUnit;
}

std::uint64_t bandWidth(const jpeg_decompress_struct& info) {
    if (!info.progressive_mode) {
        return DCTSIZE2;
    }
    return std::uint64_t(std::clamp(info.Se - info.Ss + 1, 1, DCTSIZE2));
}

} // namespace

void JpegWork::chargeOutput(const jpeg_decompress_struct& info) {
    std::uint64_t blocks = 0;
    for (int c = 0; c < info.num_components; ++c) {
        blocks +=
            std::uint64_t{info.comp_info[c].width_in_blocks} * info.comp_info[c].height_in_blocks;
    }
    m_units += blocks * DCTSIZE2 * kOutputPerSample +
               std::uint64_t{info.output_width} * info.output_height * kOutputPerPixel;
}

void JpegWork::chargeScan(const jpeg_decompress_struct& info) {
    const Rates& rates = ratesOf(info);
    m_units += rates.perScan +
               blocksInScan(info) * (rates.perBlock + bandWidth(info) * rates.perCoefficient);
    ++m_scans;
}

bool JpegWork::exceeded(const jpeg_decompress_struct& info, std::uint64_t bytesRead) const {
    return m_units + bytesRead * ratesOf(info).perByte > kBudget;
}

} // namespace tallix::graphics
