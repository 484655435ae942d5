#include "graphics/tool/PamWriter.h"

#include <vector>

namespace tallix::graphics {

void writePam(const TBitmap& bitmap, std::ostream& out) {
    const bool alpha = bitmap.PixelFormat() == TPixelFormat::Bit32;
    const int pixelBytes = bitmap.BytesPerPixel();
    out << "P7\nWIDTH " << bitmap.Width() << "\nHEIGHT " << bitmap.Height() << "\nDEPTH "
        << pixelBytes << "\nMAXVAL 255\nTUPLTYPE " << (alpha ? "RGB_ALPHA" : "RGB") << "\nENDHDR\n";
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
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
}

} // namespace tallix::graphics
