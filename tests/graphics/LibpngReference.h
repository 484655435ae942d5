#pragma once

#include "PngTestFiles.h"

#include <gtest/gtest.h>

namespace tallix::graphics::test {

// A picture as libpng decodes it, expanded to blue, green, red (and alpha for the colour types
// with alpha) without applying transparency or gamma chunks. Rows are tightly packed.
struct TReferenceImage {
    int Width = 0;
    int Height = 0;
    int BytesPerPixel = 0;
    TBytes Pixels;
};

// Throws std::runtime_error with libpng's message when libpng refuses the data.
TReferenceImage decodeWithLibpng(const TBytes& png);

struct TEncodeRequest {
    int Width = 0;
    int Height = 0;
    int Depth = 8;
    int ColourType = 2;
    int Filters = 0; // libpng's PNG_FILTER_* mask; each row gets one of them
    TBytes Palette;  // red, green, blue triples
    TBytes Samples;  // packed rows, each ceil(width * samples * depth / 8) bytes
};

TBytes encodeWithLibpng(const TEncodeRequest& request);

// Compares every pixel; the message names the first difference.
::testing::AssertionResult sameAsReference(const TBitmap& bitmap, const TReferenceImage& reference);

} // namespace tallix::graphics::test
