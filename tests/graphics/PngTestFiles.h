#pragma once

#include "graphics/FuncGraphicWork.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tallix::graphics::test {

using ByteVector = std::vector<std::uint8_t>;

ByteVector chunk(const char* type, const ByteVector& data);
ByteVector ihdr(std::uint32_t width, std::uint32_t height, std::uint8_t depth,
                std::uint8_t colourType, std::uint8_t compression = 0, std::uint8_t interlace = 0);
ByteVector deflate(const ByteVector& raw);
ByteVector concat(const std::vector<ByteVector>& parts);
// The signature followed by the chunks.
ByteVector pngFile(const std::vector<ByteVector>& chunks);

TBitmap decode(const ByteVector& png);
// The decoder's message, or an empty string when it accepted the data.
std::string refusal(const ByteVector& png);
// Pixel x of row y as its bitmap bytes.
ByteVector pixelAt(const TBitmap& bitmap, int x, int y);

} // namespace tallix::graphics::test
