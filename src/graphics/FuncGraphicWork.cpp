#include "graphics/FuncGraphicWork.h"

#include "graphics/GraphicError.h"
#include "graphics/StreamDevice.h"

#include <QImageReader>

namespace tallix::graphics {

namespace {

// Any fixed value serves; scrambling and unscrambling only have to agree on it.
constexpr std::uint8_t kScrambleKeyStart = 0xA7;

std::string lowerCaseExtension(const std::string& fileName) {
    const std::size_t folderEnd = fileName.find_last_of("/\\");
    const std::size_t nameStart = folderEnd == std::string::npos ? 0 : folderEnd + 1;
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || dot < nameStart) {
        return {};
    }
    std::string extension = fileName.substr(dot);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return extension;
}

// Qt decodes a BMP into an image of up to 4 bytes a pixel, which is then converted into the
// bitmap's format; the two together stay within the bound the other loaders keep.
constexpr std::uint64_t kMaxBmpImageBytes = 128u * 1024 * 1024;
constexpr int kQtAllocationLimitMegabytes = kMaxBmpImageBytes / (1024 * 1024);

void loadBmpFromStream(TBitmap& bitmap, TStream& stream) {
    StreamDevice device(stream);
    device.open(QIODevice::ReadOnly);
    // Qt's own bound, also for what its header check does not see; it is set for the process.
    QImageReader::setAllocationLimit(kQtAllocationLimitMegabytes);
    QImageReader reader(&device, "bmp");
    const QSize size = reader.size();
    if (!size.isValid()) {
        RaiseGraphicError(GraphicErrorKind::BmpNotRead);
    }
    if (TBitmap::AllocationBytes(TPixelFormat::Bit32, static_cast<std::uint64_t>(size.width()),
                                 static_cast<std::uint64_t>(size.height())) > kMaxBmpImageBytes) {
        RaiseGraphicError(GraphicErrorKind::BmpTooLarge);
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        RaiseGraphicError(GraphicErrorKind::BmpNotRead);
    }
    bitmap = TBitmap::FromImage(image);
}

} // namespace

void loadGraphicFromStream(TBitmap& bitmap, const std::string& fileName, TStream& stream) {
    const std::string extension = lowerCaseExtension(fileName);
    if (extension == ".bmp") {
        loadBmpFromStream(bitmap, stream);
    }
    if (extension == ".png") {
        loadPngFromStream(bitmap, stream);
    }
    if (extension == ".jpg" || extension == ".jpeg") {
        loadJpegFromStream(bitmap, stream);
    }
    if (extension == ".jpx") {
        loadScrambledJpegFromStream(bitmap, stream);
    }
}

void loadScrambledJpegFromStream(TBitmap& bitmap, TStream& stream) {
    const std::int64_t size = stream.GetSize();
    if (size > kScrambledJpegLimit) {
        return;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    ReadBuffer(stream, bytes.data(), size);
    TMemoryReadStream plain(std::move(bytes));
    unscrambleStream(plain);
    plain.SetPosition(0);
    loadJpegFromStream(bitmap, plain);
}

void unscrambleStream(TMemoryReadStream& stream) {
    std::vector<std::uint8_t>& bytes = stream.Bytes();
    const std::size_t size = bytes.size();
    std::uint8_t key = kScrambleKeyStart;
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] ^= key;
        key = static_cast<std::uint8_t>(key + (size - i) % 256);
    }
}

void halveBitmap(TBitmap& bitmap) {
    if (bitmap.Height() == 0) {
        return;
    }
    const int halfWidth = bitmap.Width() / 2;
    const int halfHeight = bitmap.Height() / 2;
    const int pixelBytes = bitmap.BytesPerPixel();
    for (int y = 0; y < halfHeight; ++y) {
        // Row y is written only after rows 2y and 2y + 1 have been read, and within the row
        // pixel x only after source pixels 2x and 2x + 1: nothing is read after being written.
        const std::uint8_t* top = bitmap.ScanLine(2 * y);
        const std::uint8_t* bottom = bitmap.ScanLine(2 * y + 1);
        std::uint8_t* out = bitmap.ScanLine(y);
        for (int x = 0; x < halfWidth; ++x) {
            for (int k = 0; k < pixelBytes; ++k) {
                const int left = 2 * x * pixelBytes + k;
                const int right = left + pixelBytes;
                out[x * pixelBytes + k] = static_cast<std::uint8_t>(
                    (top[left] + top[right] + bottom[left] + bottom[right]) >> 2);
            }
        }
    }
}

} // namespace tallix::graphics
