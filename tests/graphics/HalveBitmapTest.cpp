#include "graphics/FuncGraphicWork.h"

#include <gtest/gtest.h>

namespace tallix::graphics {
namespace {

using PixelBytes = std::vector<int>;

TBitmap numbered(TPixelFormat format, int width, int height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        for (int i = 0; i < width * bitmap.BytesPerPixel(); ++i) {
            bitmap.ScanLine(y)[i] = static_cast<std::uint8_t>(y * 40 + i * 3);
        }
    }
    return bitmap;
}

PixelBytes pixel(const TBitmap& bitmap, int x, int y) {
    const std::uint8_t* p = bitmap.ScanLine(y) + x * bitmap.BytesPerPixel();
    return PixelBytes(p, p + bitmap.BytesPerPixel());
}

void setPixel(TBitmap& bitmap, int x, int y, std::uint8_t value) {
    std::fill_n(bitmap.ScanLine(y) + x * bitmap.BytesPerPixel(), bitmap.BytesPerPixel(), value);
}

TEST(HalveBitmap, TruncatedMeanOfFourPixels) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::Bit32);
    bitmap.SetSize(2, 2);
    setPixel(bitmap, 0, 0, 0);
    setPixel(bitmap, 1, 0, 255);
    setPixel(bitmap, 0, 1, 255);
    setPixel(bitmap, 1, 1, 1);
    halveBitmap(bitmap);
    EXPECT_EQ(pixel(bitmap, 0, 0), (PixelBytes{127, 127, 127, 127}));
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Height(), 2);
}

TEST(HalveBitmap, OddSizeComputesOnlyTheTopLeftQuarter) {
    TBitmap bitmap = numbered(TPixelFormat::Bit32, 3, 3);
    const TBitmap original = numbered(TPixelFormat::Bit32, 3, 3);
    halveBitmap(bitmap);
    PixelBytes expected(4);
    for (int k = 0; k < 4; ++k) {
        expected[k] = (pixel(original, 0, 0)[k] + pixel(original, 1, 0)[k] +
                       pixel(original, 0, 1)[k] + pixel(original, 1, 1)[k]) >>
                      2;
    }
    EXPECT_EQ(pixel(bitmap, 0, 0), expected);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            if (x != 0 || y != 0) {
                EXPECT_EQ(pixel(bitmap, x, y), pixel(original, x, y)) << x << "," << y;
            }
        }
    }
}

TEST(HalveBitmap, InPlaceReductionReadsEverySourceBeforeOverwritingIt) {
    TBitmap bitmap = numbered(TPixelFormat::Bit32, 8, 6);
    const TBitmap original = numbered(TPixelFormat::Bit32, 8, 6);
    halveBitmap(bitmap);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            for (int k = 0; k < 4; ++k) {
                const int sum =
                    pixel(original, 2 * x, 2 * y)[k] + pixel(original, 2 * x + 1, 2 * y)[k] +
                    pixel(original, 2 * x, 2 * y + 1)[k] + pixel(original, 2 * x + 1, 2 * y + 1)[k];
                EXPECT_EQ(pixel(bitmap, x, y)[k], sum >> 2) << x << "," << y << "," << k;
            }
        }
    }
}

TEST(HalveBitmap, TooSmallBitmapsAreLeftAlone) {
    for (const auto& [width, height] : {std::pair{5, 1}, std::pair{1, 4}}) {
        TBitmap bitmap = numbered(TPixelFormat::Bit32, width, height);
        halveBitmap(bitmap);
        EXPECT_EQ(bitmap.ToImage(), numbered(TPixelFormat::Bit32, width, height).ToImage());
    }
    TBitmap empty;
    halveBitmap(empty);
    EXPECT_TRUE(empty.Empty());
}

// A 24-bit bitmap is reduced by its own pixel size instead of reading past its rows.
TEST(HalveBitmap, TwentyFourBitPixelsAreReducedAsWholePixels) {
    TBitmap bitmap = numbered(TPixelFormat::Bit24, 2, 2);
    const TBitmap original = numbered(TPixelFormat::Bit24, 2, 2);
    halveBitmap(bitmap);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(pixel(bitmap, 0, 0)[k], (pixel(original, 0, 0)[k] + pixel(original, 1, 0)[k] +
                                           pixel(original, 0, 1)[k] + pixel(original, 1, 1)[k]) >>
                                              2);
    }
    EXPECT_EQ(pixel(bitmap, 1, 1), pixel(original, 1, 1));
}

} // namespace
} // namespace tallix::graphics
