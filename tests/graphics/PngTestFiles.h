#pragma once

#include "graphics/FuncGraphicWork.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tallix::graphics::test {

using TBytes = std::vector<std::uint8_t>;

TBytes chunk(const char* type, const TBytes& data);
TBytes ihdr(std::uint32_t width, std::uint32_t height, std::uint8_t depth, std::uint8_t colourType,
            std::uint8_t compression = 0, std::uint8_t interlace = 0);
TBytes deflate(const TBytes& raw);
TBytes concat(const std::vector<TBytes>& parts);
// The signature followed by the chunks.
TBytes pngFile(const std::vector<TBytes>& chunks);

TBitmap decode(const TBytes& png);
// The decoder's message, or an empty string when it accepted the data.
std::string refusal(const TBytes& png);
// Pixel x of row y as its bitmap bytes.
TBytes pixelAt(const TBitmap& bitmap, int x, int y);

} // namespace tallix::graphics::test
