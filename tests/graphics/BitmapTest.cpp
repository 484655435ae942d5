#include "graphics/Bitmap.h"

#include <gtest/gtest.h>

namespace tallix::graphics {
namespace {

TBitmap solidBitmap(TPixelFormat format, int width, int height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel = row + x * bitmap.BytesPerPixel();
            pixel[0] = static_cast<std::uint8_t>(x);     // blue
            pixel[1] = static_cast<std::uint8_t>(y);     // green
            pixel[2] = static_cast<std::uint8_t>(x + y); // red
            if (format == TPixelFormat::Bit32) {
                pixel[3] = 100; // alpha
            }
        }
    }
    return bitmap;
}

TEST(Bitmap, ImageForDisplayShowsTheColoursOfTheBytes) {
    const QImage opaque = solidBitmap(TPixelFormat::Bit24, 3, 2).ToImage();
    EXPECT_EQ(opaque.pixel(2, 1), qRgb(3, 1, 2));
    EXPECT_FALSE(opaque.hasAlphaChannel());
    const QImage translucent = solidBitmap(TPixelFormat::Bit32, 3, 2).ToImage();
    EXPECT_EQ(translucent.pixel(2, 1), qRgba(3, 1, 2, 100));
}

TEST(Bitmap, ImageForDisplaySharesThePixels) {
    const TBitmap bitmap = solidBitmap(TPixelFormat::Bit24, 4, 4);
    EXPECT_EQ(bitmap.ToImage().constBits(), bitmap.ScanLine(0));
}

TEST(Bitmap, ResizeKeepsTheTopLeftAndBlackensNewPixels) {
    TBitmap bitmap = solidBitmap(TPixelFormat::Bit24, 4, 3);
    bitmap.SetHeight(2);
    bitmap.SetWidth(5);
    ASSERT_EQ(bitmap.Width(), 5);
    ASSERT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.ScanLine(1)[3 * 3 + 2], 4);
    EXPECT_EQ(bitmap.ScanLine(1)[4 * 3 + 2], 0);
    bitmap.SetWidth(0);
    EXPECT_TRUE(bitmap.Empty());
}

TEST(Bitmap, ChangingTheFormatKeepsThePixels) {
    TBitmap bitmap = solidBitmap(TPixelFormat::Bit24, 2, 2);
    bitmap.SetPixelFormat(TPixelFormat::Bit32);
    ASSERT_EQ(bitmap.BytesPerPixel(), 4);
    const std::uint8_t* pixel = bitmap.ScanLine(1) + 4;
    EXPECT_EQ((std::vector<int>{pixel[0], pixel[1], pixel[2], pixel[3]}),
              (std::vector<int>{1, 1, 2, 255}));
}

TEST(Bitmap, FromImageChoosesTheFormatByAlpha) {
    QImage withAlpha(2, 1, QImage::Format_ARGB32);
    withAlpha.fill(qRgba(10, 20, 30, 40));
    const TBitmap translucent = TBitmap::FromImage(withAlpha);
    EXPECT_EQ(translucent.PixelFormat(), TPixelFormat::Bit32);
    EXPECT_EQ(translucent.ScanLine(0)[2], 10);
    QImage grey(2, 1, QImage::Format_Grayscale8);
    grey.fill(77);
    const TBitmap opaque = TBitmap::FromImage(grey);
    EXPECT_EQ(opaque.PixelFormat(), TPixelFormat::Bit24);
    EXPECT_EQ(opaque.ScanLine(0)[4], 77);
}

} // namespace
} // namespace tallix::graphics
