#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tallix::graphics {

// One output colour per palette index or grey level: blue, green and red in the low three bytes
// of a little-endian word, so that a pixel can be stored with one 4-byte write.
using TColourTable = std::array<std::uint32_t, 256>;

// Grey levels 0 .. 2^depth - 1 spread over 0 .. 255.
TColourTable greyTable(int depth);

// Packed samples of depth 1, 2, 4 or 8 bits, looked up in the table, into 3-byte pixels.
void convertIndexedRow(const std::uint8_t* packed, std::uint8_t* out, std::size_t width, int depth,
                       const TColourTable& table);
// Red, green, blue into blue, green, red.
void convertRgbRow(const std::uint8_t* packed, std::uint8_t* out, std::size_t width);
// Grey, alpha into grey, grey, grey, alpha.
void convertGreyAlphaRow(const std::uint8_t* packed, std::uint8_t* out, std::size_t width);
// Red, green, blue, alpha into blue, green, red, alpha.
void convertRgbaRow(const std::uint8_t* packed, std::uint8_t* out, std::size_t width);

} // namespace tallix::graphics
