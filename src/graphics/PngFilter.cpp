#include "PngFilter.h"

#include <cstdlib>

namespace tallix::graphics {

std::uint8_t PaethPredictor(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
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

namespace {

template <std::size_t Distance> void ReverseSub(std::uint8_t* row, std::size_t length) {
    for (std::size_t i = Distance; i < length; ++i) {
        row[i] = static_cast<std::uint8_t>(row[i] + row[i - Distance]);
    }
}

void ReverseUp(std::uint8_t* row, const std::uint8_t* above, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
    }
}

template <std::size_t Distance>
void ReverseAverage(std::uint8_t* row, const std::uint8_t* above, std::size_t length) {
    const std::size_t head = Distance < length ? Distance : length;
    for (std::size_t i = 0; i < head; ++i) {
        row[i] = static_cast<std::uint8_t>(row[i] + (above[i] >> 1));
    }
    for (std::size_t i = Distance; i < length; ++i) {
        row[i] = static_cast<std::uint8_t>(row[i] + ((row[i - Distance] + above[i]) >> 1));
    }
}

template <std::size_t Distance>
void ReversePaeth(std::uint8_t* row, const std::uint8_t* above, std::size_t length) {
    const std::size_t head = Distance < length ? Distance : length;
    // With a and c both zero the predictor is b.
    for (std::size_t i = 0; i < head; ++i) {
        row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
    }
    for (std::size_t i = Distance; i < length; ++i) {
        row[i] = static_cast<std::uint8_t>(
            row[i] + PaethPredictor(row[i - Distance], above[i], above[i - Distance]));
    }
}

template <std::size_t Distance>
void ReverseFilterAt(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above,
                     std::size_t length) {
    switch (filter) {
    case kFilterSub:
        ReverseSub<Distance>(row, length);
        break;
    case kFilterUp:
        ReverseUp(row, above, length);
        break;
    case kFilterAverage:
        ReverseAverage<Distance>(row, above, length);
        break;
    case kFilterPaeth:
        ReversePaeth<Distance>(row, above, length);
        break;
    default:
        break;
    }
}

} // namespace

void ReverseFilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above,
                   std::size_t length, std::size_t distance) {
    switch (distance) {
    case 1:
        ReverseFilterAt<1>(filter, row, above, length);
        break;
    case 3:
        ReverseFilterAt<3>(filter, row, above, length);
        break;
    default:
        ReverseFilterAt<4>(filter, row, above, length);
        break;
    }
}

} // namespace tallix::graphics
