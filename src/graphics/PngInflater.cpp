#include "graphics/PngInflater.h"

#include "graphics/GraphicError.h"

#include <algorithm>
#include <limits>

namespace tallix::graphics {

namespace {

constexpr std::size_t kPieceBytes = 64 * 1024;

} // namespace

TPngInflater::TPngInflater(PngImageData& compressed)
    : FCompressed(compressed), FPiece(kPieceBytes) {
    if (inflateInit(&FZip) != Z_OK) {
        RaiseGraphicError(GraphicErrorKind::PngInflateNotReady);
    }
}

TPngInflater::~TPngInflater() {
    inflateEnd(&FZip);
}

void TPngInflater::RefillInput() {
    FZip.next_in = FPiece.data();
    FZip.avail_in = static_cast<uInt>(FCompressed.read(FPiece.data(), FPiece.size()));
}

void TPngInflater::ReadExactly(std::uint8_t* target, std::size_t count) {
    FZip.next_out = target;
    while (count > 0) {
        if (FZip.avail_in == 0) {
            RefillInput();
        }
        const bool inputEnded = FZip.avail_in == 0;
        // zlib counts its output in 32 bits; larger rows are filled in slices.
        const auto slice = std::min<std::size_t>(count, std::numeric_limits<uInt>::max());
        FZip.avail_out = static_cast<uInt>(slice);
        const int result = inflate(&FZip, Z_NO_FLUSH);
        count -= slice - FZip.avail_out;
        if (result == Z_STREAM_END && count > 0) {
            RaiseGraphicError(GraphicErrorKind::PngDataShort);
        }
        if (result == Z_BUF_ERROR && inputEnded) {
            RaiseGraphicError(GraphicErrorKind::PngDataShort);
        }
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
            RaiseGraphicError(GraphicErrorKind::PngDataCorrupt);
        }
    }
}

} // namespace tallix::graphics
