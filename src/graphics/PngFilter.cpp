#include "graphics/PngFilter.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TALLIX_PNG_FILTER_SSE2 1
#endif

namespace tallix::graphics {

namespace {

inline std::uint8_t paethPredictor(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
    // p = a + b - c, so p - a = b - c, p - b = a - c and p - c is their sum.
    const int toB = b - c;
    const int toA = a - c;
    const int pa = std::abs(toB);
    const int pb = std::abs(toA);
    const int pc = std::abs(toB + toA);
    if (pa <= pb && pa <= pc) {
        return a;
    }
    return pb <= pc ? b : c;
}

template <std::size_t Distance> void reverseSub(std::uint8_t* row, std::size_t length) {
    for (std::size_t i = Distance; i < length; ++i) {
        row[i] = static_cast<std::uint8_t>(row[i] + row[i - Distance]);
    }
}

void reverseUp(std::uint8_t* row, const std::uint8_t* above, std::size_t length) {
    std::size_t i = 0;
#ifdef TALLIX_PNG_FILTER_SSE2
    for (; i + 16 <= length; i += 16) {
        const __m128i* source = reinterpret_cast<const __m128i*>(above + i);
        __m128i* target = reinterpret_cast<__m128i*>(row + i);
        _mm_storeu_si128(target, _mm_add_epi8(_mm_loadu_si128(target), _mm_loadu_si128(source)));
    }
#endif
    for (; i < length; ++i) {
        row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
    }
}

template <std::size_t Distance>
void reverseAverage(std::uint8_t* row, const std::uint8_t* above, std::size_t length) {
    const std::size_t head = Distance < length ? Distance : length;
    for (std::size_t i = 0; i < head; ++i) {
        row[i] = static_cast<std::uint8_t>(row[i] + (above[i] >> 1));
    }
    for (std::size_t i = Distance; i < length; ++i) {
        row[i] = static_cast<std::uint8_t>(row[i] + ((row[i - Distance] + above[i]) >> 1));
    }
}

template <std::size_t Distance>
void reversePaeth(std::uint8_t* row, const std::uint8_t* above, std::size_t length) {
    const std::size_t head = Distance < length ? Distance : length;
    // With a and c both zero the predictor is b.
    for (std::size_t i = 0; i < head; ++i) {
        row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
    }
    for (std::size_t i = Distance; i < length; ++i) {
        row[i] = static_cast<std::uint8_t>(
            row[i] + paethPredictor(row[i - Distance], above[i], above[i - Distance]));
    }
}

#ifdef TALLIX_PNG_FILTER_SSE2
// Whole pixels of 3 or 4 bytes at a time, each byte widened to 16 bits. The pixel to the left
// is a dependency of every step, so one pixel per step is what SIMD can do here.
// A 3-byte pixel is loaded with the next pixel's first byte when the row goes on: every lane
// is computed on its own and only 3 bytes are stored, so the extra byte does no harm.
template <std::size_t Distance> __m128i loadPixel(const std::uint8_t* bytes, bool lastPixel) {
    std::int32_t word = 0;
    if (Distance == 4 || !lastPixel) {
        std::memcpy(&word, bytes, 4);
    } else {
        std::memcpy(&word, bytes, Distance);
    }
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(word), _mm_setzero_si128());
}

template <std::size_t Distance> void storePixel(std::uint8_t* bytes, __m128i pixel) {
    const std::int32_t word = _mm_cvtsi128_si32(_mm_packus_epi16(pixel, pixel));
    std::memcpy(bytes, &word, Distance);
}

// Sums of two bytes, kept modulo 256 in their 16-bit lanes.
__m128i addBytes(__m128i x, __m128i y) {
    return _mm_and_si128(_mm_add_epi16(x, y), _mm_set1_epi16(0xFF));
}

__m128i absolute16(__m128i value) {
    return _mm_max_epi16(value, _mm_sub_epi16(_mm_setzero_si128(), value));
}

__m128i select(__m128i condition, __m128i whenSet, __m128i otherwise) {
    return _mm_or_si128(_mm_and_si128(condition, whenSet), _mm_andnot_si128(condition, otherwise));
}

// The raw pixel at raw + i; with SwapRedBlue its first and third samples change places.
template <std::size_t Distance, bool SwapRedBlue>
__m128i loadRaw(const std::uint8_t* raw, std::size_t i, std::size_t length) {
    const __m128i pixel = loadPixel<Distance>(raw + i, i + 4 > length);
    if constexpr (SwapRedBlue) {
        return _mm_shufflelo_epi16(pixel, _MM_SHUFFLE(3, 0, 1, 2));
    }
    return pixel;
}

// Each of these reads pixel i of raw before it writes pixel i of row, so raw may be row itself.
template <std::size_t Distance, bool SwapRedBlue>
void reverseSubPixels(const std::uint8_t* raw, std::uint8_t* row, std::size_t length) {
    __m128i left = _mm_setzero_si128();
    for (std::size_t i = 0; i + Distance <= length; i += Distance) {
        left = addBytes(loadRaw<Distance, SwapRedBlue>(raw, i, length), left);
        storePixel<Distance>(row + i, left);
    }
}

template <std::size_t Distance, bool SwapRedBlue>
void reverseAveragePixels(const std::uint8_t* raw, std::uint8_t* row, const std::uint8_t* above,
                          std::size_t length) {
    __m128i left = _mm_setzero_si128();
    for (std::size_t i = 0; i + Distance <= length; i += Distance) {
        const __m128i mean =
            _mm_srli_epi16(_mm_add_epi16(left, loadPixel<Distance>(above + i, i + 4 > length)), 1);
        left = addBytes(loadRaw<Distance, SwapRedBlue>(raw, i, length), mean);
        storePixel<Distance>(row + i, left);
    }
}

template <std::size_t Distance, bool SwapRedBlue>
void reversePaethPixels(const std::uint8_t* raw, std::uint8_t* row, const std::uint8_t* above,
                        std::size_t length) {
    __m128i a = _mm_setzero_si128();
    __m128i c = _mm_setzero_si128();
    for (std::size_t i = 0; i + Distance <= length; i += Distance) {
        const __m128i b = loadPixel<Distance>(above + i, i + 4 > length);
        const __m128i toB = _mm_sub_epi16(b, c);
        const __m128i toA = _mm_sub_epi16(a, c);
        const __m128i pa = absolute16(toB);
        const __m128i pb = absolute16(toA);
        const __m128i pc = absolute16(_mm_add_epi16(toB, toA));
        const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
        // Ties go to a, then to b, as the scalar predictor decides them.
        const __m128i predictor =
            select(_mm_cmpeq_epi16(smallest, pa), a, select(_mm_cmpeq_epi16(smallest, pb), b, c));
        a = addBytes(loadRaw<Distance, SwapRedBlue>(raw, i, length), predictor);
        storePixel<Distance>(row + i, a);
        c = b;
    }
}

// Returns false for the filters it leaves to the bytewise code.
template <std::size_t Distance, bool SwapRedBlue>
bool reversePixelFilter(std::uint8_t filter, const std::uint8_t* raw, std::uint8_t* row,
                        const std::uint8_t* above, std::size_t length) {
    switch (filter) {
    case kFilterSub:
        reverseSubPixels<Distance, SwapRedBlue>(raw, row, length);
        return true;
    case kFilterAverage:
        reverseAveragePixels<Distance, SwapRedBlue>(raw, row, above, length);
        return true;
    case kFilterPaeth:
        reversePaethPixels<Distance, SwapRedBlue>(raw, row, above, length);
        return true;
    default:
        return false;
    }
}
#endif

template <std::size_t Distance>
void reverseFilterAt(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above,
                     std::size_t length) {
#ifdef TALLIX_PNG_FILTER_SSE2
    if constexpr (Distance > 1) {
        if (reversePixelFilter<Distance, false>(filter, row, row, above, length)) {
            return;
        }
    }
#endif
    switch (filter) {
    case kFilterSub:
        reverseSub<Distance>(row, length);
        break;
    case kFilterUp:
        reverseUp(row, above, length);
        break;
    case kFilterAverage:
        reverseAverage<Distance>(row, above, length);
        break;
    case kFilterPaeth:
        reversePaeth<Distance>(row, above, length);
        break;
    default:
        break;
    }
}

} // namespace

bool reverseFilterSwappingRedBlue(std::uint8_t filter, const std::uint8_t* raw, std::uint8_t* row,
                                  const std::uint8_t* above, std::size_t length,
                                  std::size_t distance) {
#ifdef TALLIX_PNG_FILTER_SSE2
    if (distance == 3) {
        return reversePixelFilter<3, true>(filter, raw, row, above, length);
    }
    return reversePixelFilter<4, true>(filter, raw, row, above, length);
#else
    static_cast<void>(filter);
    static_cast<void>(raw);
    static_cast<void>(row);
    static_cast<void>(above);
    static_cast<void>(length);
    static_cast<void>(distance);
    return false;
#endif
}

void reverseFilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above,
                   std::size_t length, std::size_t distance) {
    switch (distance) {
    case 1:
        reverseFilterAt<1>(filter, row, above, length);
        break;
    case 3:
        reverseFilterAt<3>(filter, row, above, length);
        break;
    default:
        reverseFilterAt<4>(filter, row, above, length);
        break;
    }
}

} // namespace tallix::graphics
