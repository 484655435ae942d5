#include "graphics/Bitmap.h"

#include "graphics/GraphicError.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace tallix::graphics {

// Format_ARGB32 stores each pixel as one 32-bit word 0xAARRGGBB, which is blue, green, red,
// alpha in memory only on little-endian machines.
static_assert(std::endian::native == std::endian::little,
              "the 32-bit pixel layout relies on a little-endian machine");

namespace {

// Wider than any picture Qt can hold; a larger width counts as this, so the product cannot wrap.
constexpr std::uint64_t kBeyondAnyWidth = std::uint64_t{1} << 32;

} // namespace

QImage::Format TBitmap::ImageFormat(TPixelFormat format) {
    return format == TPixelFormat::Bit24 ? QImage::Format_BGR888 : QImage::Format_ARGB32;
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == FFormat) {
        return;
    }
    FFormat = format;
    if (!FImage.isNull()) {
        FImage = FImage.convertToFormat(ImageFormat(format));
    }
}

void TBitmap::SetSize(int width, int height) {
    if (width < 0 || height < 0) {
        RaiseGraphicError(GraphicErrorKind::BadImageSize);
    }
    if (width == Width() && height == Height()) {
        return;
    }
    if (width == 0 || height == 0) {
        FImage = QImage();
        return;
    }
    // Qt fills whatever lies outside the old picture with zeros.
    QImage resized = FImage.isNull() ? QImage(width, height, ImageFormat(FFormat))
                                     : FImage.copy(0, 0, width, height);
    if (resized.isNull()) {
        RaiseGraphicError(GraphicErrorKind::NoImageMemory);
    }
    if (FImage.isNull()) {
        resized.fill(0);
    }
    FImage = std::move(resized);
}

TBitmap TBitmap::Allocate(TPixelFormat format, int width, int height) {
    TBitmap bitmap;
    bitmap.FFormat = format;
    bitmap.FImage = QImage(width, height, ImageFormat(format));
    if (bitmap.FImage.isNull()) {
        RaiseGraphicError(GraphicErrorKind::NoImageMemory);
    }
    return bitmap;
}

std::uint64_t TBitmap::AllocationBytes(TPixelFormat format, std::uint64_t width,
                                       std::uint64_t height) {
    const std::uint64_t pixelBits = format == TPixelFormat::Bit24 ? 24 : 32;
    // Each row starts at a multiple of 4 bytes.
    const std::uint64_t rowBytes = (std::min(width, kBeyondAnyWidth) * pixelBits + 31) / 32 * 4;
    if (height != 0 && rowBytes > std::numeric_limits<std::uint64_t>::max() / height) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    return rowBytes * height;
}

TBitmap TBitmap::FromImage(const QImage& image) {
    TBitmap bitmap;
    if (image.isNull()) {
        return bitmap;
    }
    bitmap.FFormat = image.hasAlphaChannel() ? TPixelFormat::Bit32 : TPixelFormat::Bit24;
    bitmap.FImage = image.convertToFormat(ImageFormat(bitmap.FFormat));
    if (bitmap.FImage.isNull()) {
        RaiseGraphicError(GraphicErrorKind::NoImageMemory);
    }
    return bitmap;
}

} // namespace tallix::graphics
