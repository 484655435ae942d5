#include "graphics/Bitmap.h"

#include "graphics/GraphicError.h"

#include <bit>

namespace tallix::graphics {

// Format_ARGB32 stores each pixel as one 32-bit word 0xAARRGGBB, which is blue, green, red,
// alpha in memory only on little-endian machines.
static_assert(std::endian::native == std::endian::little,
              "the 32-bit pixel layout relies on a little-endian machine");

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
