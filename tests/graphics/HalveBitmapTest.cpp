#include "graphics/FuncGraphicWork.h"

#include <gtest/gtest.h>

namespace tallix::graphics {
namespace {

using TPixel = std::vector<int>;

TBitmap Numbered(TPixelFormat format, int width, int height) {
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

TPixel Pixel(const TBitmap& bitmap, int x, int y) {
    const std::uint8_t* p = bitmap.ScanLine(y) + x * bitmap.BytesPerPixel();
    return TPixel(p, p + bitmap.BytesPerPixel());
}

void SetPixel(TBitmap& bitmap, int x, int y, std::uint8_t value) {
    std::fill_n(bitmap.ScanLine(y) + x * bitmap.BytesPerPixel(), bitmap.BytesPerPixel(), value);
}

TEST(HalveBitmap, TruncatedMeanOfFourPixels) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::Bit32);
    bitmap.SetSize(2, 2);
    SetPixel(bitmap, 0, 0, 0);
    SetPixel(bitmap, 1, 0, 255);
    SetPixel(bitmap, 0, 1, 255);
    SetPixel(bitmap, 1, 1, 1);
    HalveBitmap(bitmap);
    EXPECT_EQ(Pixel(bitmap, 0, 0), (TPixel{127, 127, 127, 127}));
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Height(), 2);
}

TEST(HalveBitmap, OddSizeComputesOnlyTheTopLeftQuarter) {
    TBitmap bitmap = Numbered(TPixelFormat::Bit32, 3, 3);
    const TBitmap original = Numbered(TPixelFormat::Bit32, 3, 3);
    HalveBitmap(bitmap);
    TPixel expected(4);
    for (int k = 0; k < 4; ++k) {
        expected[k] = (Pixel(original, 0, 0)[k] + Pixel(original, 1, 0)[k] +
                       Pixel(original, 0, 1)[k] + Pixel(original, 1, 1)[k]) >>
                      2;
    }
    EXPECT_EQ(Pixel(bitmap, 0, 0), expected);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            if (x != 0 || y != 0) {
                EXPECT_EQ(Pixel(bitmap, x, y), Pixel(original, x, y)) << x << "," << y;
            }
        }
    }
}

TEST(HalveBitmap, InPlaceReductionReadsEverySourceBeforeOverwritingIt) {
    TBitmap bitmap = Numbered(TPixelFormat::Bit32, 8, 6);
    const TBitmap original = Numbered(TPixelFormat::Bit32, 8, 6);
    HalveBitmap(bitmap);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            for (int k = 0; k < 4; ++k) {
                const int sum =
                    Pixel(original, 2 * x, 2 * y)[k] + Pixel(original, 2 * x + 1, 2 * y)[k] +
                    Pixel(original, 2 * x, 2 * y + 1)[k] + Pixel(original, 2 * x + 1, 2 * y + 1)[k];
                EXPECT_EQ(Pixel(bitmap, x, y)[k], sum >> 2) << x << "," << y << "," << k;
            }
        }
    }
}

TEST(HalveBitmap, TooSmallBitmapsAreLeftAlone) {
    for (const auto& [width, height] : {std::pair{5, 1}, std::pair{1, 4}}) {
        TBitmap bitmap = Numbered(TPixelFormat::Bit32, width, height);
        HalveBitmap(bitmap);
        EXPECT_EQ(bitmap.ToImage(), Numbered(TPixelFormat::Bit32, width, height).ToImage());
    }
    TBitmap empty;
    HalveBitmap(empty);
    EXPECT_TRUE(empty.Empty());
}

// A 24-bit bitmap is reduced by its own pixel size instead of reading past its rows.
TEST(HalveBitmap, TwentyFourBitPixelsAreReducedAsWholePixels) {
    TBitmap bitmap = Numbered(TPixelFormat::Bit24, 2, 2);
    const TBitmap original = Numbered(TPixelFormat::Bit24, 2, 2);
    HalveBitmap(bitmap);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(Pixel(bitmap, 0, 0)[k], (Pixel(original, 0, 0)[k] + Pixel(original, 1, 0)[k] +
                                           Pixel(original, 0, 1)[k] + Pixel(original, 1, 1)[k]) >>
                                              2);
    }
    EXPECT_EQ(Pixel(bitmap, 1, 1), Pixel(original, 1, 1));
}

} // namespace
} // namespace tallix::graphics
