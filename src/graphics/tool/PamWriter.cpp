#include "graphics/tool/PamWriter.h"

#include <string>
#include <vector>

namespace tallix::graphics {

void writePam(const TBitmap& bitmap, platform::AtomicFileWriter& out) {
    const bool alpha = bitmap.PixelFormat() == TPixelFormat::Bit32;
    const int pixelBytes = bitmap.BytesPerPixel();
    out.append(QByteArray::fromStdString(
        "P7\nWIDTH " + std::to_string(bitmap.Width()) + "\nHEIGHT " +
        std::to_string(bitmap.Height()) + "\nDEPTH " + std::to_string(pixelBytes) +
        "\nMAXVAL 255\nTUPLTYPE " + (alpha ? "RGB_ALPHA" : "RGB") + "\nENDHDR\n"));
    std::vector<char> row(static_cast<std::size_t>(bitmap.Width()) * pixelBytes);
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* in = bitmap.ScanLine(y);
        for (std::size_t i = 0; i < row.size(); i += pixelBytes) {
            // Blue, green, red in the bitmap; red, green, blue in the file.
            row[i] = static_cast<char>(in[i + 2]);
            row[i + 1] = static_cast<char>(in[i + 1]);
            row[i + 2] = static_cast<char>(in[i]);
            if (alpha) {
                row[i + 3] = static_cast<char>(in[i + 3]);
            }
        }
        out.append(row.data(), row.size());
    }
}

} // namespace tallix::graphics
