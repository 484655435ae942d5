#pragma once

#include "graphics/Bitmap.h"
#include "graphics/PngChunks.h"
#include "graphics/ReadStream.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tallix::graphics {

// The loaders need a stream whose positions may lie past its end and whose reads stop there, as
// those of ReadStream.h; the archive's member stream is not such a stream.

// The palette as the PLTE chunk gives it; entries it does not name stay black.
struct TPngPalette {
    std::array<std::uint8_t, 256> Red{};
    std::array<std::uint8_t, 256> Green{};
    std::array<std::uint8_t, 256> Blue{};
};

// Decodes a non-interlaced PNG of up to 8 bits per sample from the stream's position into
// bitmap: 24-bit for grey, truecolour and palette images, 32-bit with straight alpha for the
// colour types with alpha. Throws EGraphicError on anything it refuses; the bitmap is only
// replaced when the whole picture has been decoded. A stream without IHDR changes nothing.
void loadPngFromStream(TBitmap& bitmap, TStream& stream);

// The chunk walk after IHDR: fills palette from PLTE up to the first IDAT chunk, and gives the
// data of the first run of IDAT chunks, which is read from the stream as it is inflated.
PngImageData readPngData(TStream& stream, TPngPalette& palette);

// Chooses the decoder by the lower-cased extension of fileName (".bmp", ".png", ".jpg",
// ".jpeg", ".jpx"); any other name leaves bitmap as it was.
void loadGraphicFromStream(TBitmap& bitmap, const std::string& fileName, TStream& stream);

// A JPEG from the stream's position into a 24-bit bitmap.
void loadJpegFromStream(TBitmap& bitmap, TStream& stream);

// The scrambled JPEG form (".jpx"). Streams above kScrambledJpegLimit bytes are ignored.
void loadScrambledJpegFromStream(TBitmap& bitmap, TStream& stream);
inline constexpr std::int64_t kScrambledJpegLimit = 10'000'000;

// Scrambles or unscrambles the bytes in place; applying it twice restores them.
void unscrambleStream(TMemoryReadStream& stream);

// 2 x 2 box reduction into the top-left quarter; the bitmap keeps its size.
void halveBitmap(TBitmap& bitmap);

} // namespace tallix::graphics
