#pragma once

#include "PngTestFiles.h"

#include <gtest/gtest.h>

namespace tallix::graphics::test {

// A picture as libpng decodes it, expanded to blue, green, red (and alpha for the colour types
// with alpha) without applying transparency or gamma chunks. Rows are tightly packed.
struct ReferenceImage {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    ByteVector pixels;
};

// Throws std::runtime_error with libpng's message when libpng refuses the data.
ReferenceImage decodeWithLibpng(const ByteVector& png);

struct EncodeRequest {
    int width = 0;
    int height = 0;
    int depth = 8;
    int colourType = 2;
    int filters = 0;    // libpng's PNG_FILTER_* mask; each row gets one of them
    ByteVector palette; // red, green, blue triples
    ByteVector samples; // packed rows, each ceil(width * samples * depth / 8) bytes
};

ByteVector encodeWithLibpng(const EncodeRequest& request);

// Compares every pixel; the message names the first difference.
::testing::AssertionResult sameAsReference(const TBitmap& bitmap, const ReferenceImage& reference);

} // namespace tallix::graphics::test
