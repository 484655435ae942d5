#pragma once

#include <QImage>

#include <cstdint>

namespace tallix::graphics {

enum class TPixelFormat {
    Bit24, // blue, green, red
    Bit32, // blue, green, red, straight alpha
};

// The picture every loader writes into: rows from the top, each row's pixels directly
// addressable. It is backed by a QImage whose memory layout is exactly the pixel format, so
// handing it to Qt for display copies nothing and converts nothing pixel by pixel here.
class TBitmap {
public:
    TBitmap() = default;

    TPixelFormat PixelFormat() const { return FFormat; }
    // Converts the pixels already held; a 24-bit picture gains an opaque alpha.
    void SetPixelFormat(TPixelFormat format);

    int Width() const { return FImage.width(); }
    int Height() const { return FImage.height(); }
    bool Empty() const { return FImage.isNull(); }
    // Keeps the pixels of the overlapping top-left area; new pixels are black (and transparent).
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, Height()); }
    void SetHeight(int height) { SetSize(Width(), height); }

    int BytesPerPixel() const { return FFormat == TPixelFormat::Bit24 ? 3 : 4; }
    std::uint8_t* ScanLine(int y) { return FImage.scanLine(y); }
    const std::uint8_t* ScanLine(int y) const { return FImage.constScanLine(y); }

    // The picture for display; shares the pixels until either side is written to.
    QImage ToImage() const { return FImage; }
    // A picture of positive size whose pixels are undefined until the caller writes them all.
    static TBitmap Allocate(TPixelFormat format, int width, int height);
    // Any QImage, converted by Qt into the 32-bit format when it has alpha, else the 24-bit one.
    static TBitmap FromImage(const QImage& image);
    // The bytes a picture of this size holds, rows padded as Qt pads them; the size a loader
    // checks against its bound before it allocates.
    static std::uint64_t AllocationBytes(TPixelFormat format, std::uint64_t width,
                                         std::uint64_t height);

private:
    static QImage::Format ImageFormat(TPixelFormat format);

    TPixelFormat FFormat = TPixelFormat::Bit24;
    QImage FImage;
};

} // namespace tallix::graphics
