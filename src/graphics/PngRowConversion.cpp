#include "graphics/PngRowConversion.h"

#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TALLIX_ROW_CONVERSION_SSE2 1
#endif

namespace tallix::graphics {

TColourTable greyTable(int depth) {
    TColourTable table{};
    const unsigned levels = 1u << depth;
    const unsigned step = 255 / (levels - 1);
    for (unsigned level = 0; level < levels; ++level) {
        const unsigned grey = level * step;
        table[level] = grey | grey << 8 | grey << 16;
    }
    return table;
}

namespace {

std::uint32_t reverseBytes(std::uint32_t word) {
    return (word >> 24) | (word >> 8 & 0xFF00u) | (word << 8 & 0xFF0000u) | (word << 24);
}

template <int Depth> unsigned sampleAt(const std::uint8_t* packed, std::size_t x) {
    constexpr std::size_t kPerByte = 8 / Depth;
    constexpr unsigned kMask = (1u << Depth) - 1;
    // The first pixel of a byte lies in its most significant bits.
    const auto shift = 8 - Depth * static_cast<int>(x % kPerByte + 1);
    return (packed[x / kPerByte] >> shift) & kMask;
}

template <int Depth>
void convertIndexed(const std::uint8_t* packed, std::uint8_t* out, std::size_t width,
                    const TColourTable& table) {
    std::size_t x = 0;
    // The 4-byte store spills one byte into the next pixel, which is written next anyway.
    for (; x + 1 < width; ++x) {
        std::memcpy(out + 3 * x, &table[sampleAt<Depth>(packed, x)], 4);
    }
    if (x < width) {
        std::memcpy(out + 3 * x, &table[sampleAt<Depth>(packed, x)], 3);
    }
}

} // namespace

void convertIndexedRow(const std::uint8_t* packed, std::uint8_t* out, std::size_t width, int depth,
                       const TColourTable& table) {
    switch (depth) {
    case 1:
        convertIndexed<1>(packed, out, width, table);
        break;
    case 2:
        convertIndexed<2>(packed, out, width, table);
        break;
    case 4:
        convertIndexed<4>(packed, out, width, table);
        break;
    default:
        convertIndexed<8>(packed, out, width, table);
        break;
    }
}

void convertRgbRow(const std::uint8_t* packed, std::uint8_t* out, std::size_t width) {
    std::size_t x = 0;
    // Red, green, blue and the next byte as one word; reversed and shifted it is blue, green,
    // red. The fourth byte stored is overwritten by the next pixel; the last pixel is done
    // bytewise, so that nothing is read or written beyond either row.
    for (; x + 1 < width; ++x) {
        std::uint32_t pixel;
        std::memcpy(&pixel, packed + 3 * x, 4);
        pixel = reverseBytes(pixel) >> 8;
        std::memcpy(out + 3 * x, &pixel, 4);
    }
    if (x < width) {
        out[3 * x] = packed[3 * x + 2];
        out[3 * x + 1] = packed[3 * x + 1];
        out[3 * x + 2] = packed[3 * x];
    }
}

void convertGreyAlphaRow(const std::uint8_t* packed, std::uint8_t* out, std::size_t width) {
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint32_t grey = packed[2 * x];
        const std::uint32_t alpha = packed[2 * x + 1];
        const std::uint32_t pixel = grey | grey << 8 | grey << 16 | alpha << 24;
        std::memcpy(out + 4 * x, &pixel, 4);
    }
}

void convertRgbaRow(const std::uint8_t* packed, std::uint8_t* out, std::size_t width) {
    std::size_t x = 0;
#ifdef TALLIX_ROW_CONVERSION_SSE2
    const __m128i greenAlpha = _mm_set1_epi32(static_cast<int>(0xFF00FF00u));
    const __m128i low = _mm_set1_epi32(0xFF);
    for (; x + 4 <= width; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(packed + 4 * x));
        const __m128i red = _mm_and_si128(pixels, low);
        const __m128i blue = _mm_and_si128(_mm_srli_epi32(pixels, 16), low);
        const __m128i swapped = _mm_or_si128(_mm_and_si128(pixels, greenAlpha),
                                             _mm_or_si128(blue, _mm_slli_epi32(red, 16)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x), swapped);
    }
#endif
    for (; x < width; ++x) {
        std::uint32_t pixel;
        std::memcpy(&pixel, packed + 4 * x, 4);
        pixel = (pixel & 0xFF00FF00u) | (pixel >> 16 & 0xFFu) | (pixel & 0xFFu) << 16;
        std::memcpy(out + 4 * x, &pixel, 4);
    }
}

} // namespace tallix::graphics
