#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace tallix::archive {

// Archive integers are little-endian whatever the host; these read and write them byte by byte
// so that no unaligned or host-order access is ever made.
template <typename Int> Int loadLittleEndian(const unsigned char* bytes) {
    using Unsigned = std::make_unsigned_t<Int>;
    Unsigned value = 0;
    for (std::size_t i = sizeof(Int); i-- > 0;)
        value = static_cast<Unsigned>((value << 8) | bytes[i]);
    return static_cast<Int>(value);
}

template <typename Int> void storeLittleEndian(unsigned char* bytes, Int value) {
    auto bits = static_cast<std::make_unsigned_t<Int>>(value);
    for (std::size_t i = 0; i < sizeof(Int); ++i) {
        bytes[i] = static_cast<unsigned char>(bits & 0xFFu);
        bits = static_cast<decltype(bits)>(bits >> 8);
    }
}

} // namespace tallix::archive
