#include "graphics/PngInflater.h"

#include "graphics/GraphicError.h"

#include <algorithm>
#include <limits>

namespace tallix::graphics {

TPngInflater::TPngInflater(const std::vector<std::uint8_t>& compressed)
    : FNext(compressed.data()), FLeft(compressed.size()) {
    if (inflateInit(&FZip) != Z_OK) {
        RaiseGraphicError(GraphicErrorKind::PngInflateNotReady);
    }
}

TPngInflater::~TPngInflater() {
    inflateEnd(&FZip);
}

// zlib counts its input in 32 bits; larger data is handed over in slices.
void TPngInflater::RefillInput() {
    const auto slice = std::min<std::size_t>(FLeft, std::numeric_limits<uInt>::max());
    FZip.next_in = FNext;
    FZip.avail_in = static_cast<uInt>(slice);
    FNext += slice;
    FLeft -= slice;
}

void TPngInflater::ReadExactly(std::uint8_t* target, std::size_t count) {
    FZip.next_out = target;
    while (count > 0) {
        if (FZip.avail_in == 0) {
            RefillInput();
        }
        const auto slice = std::min<std::size_t>(count, std::numeric_limits<uInt>::max());
        FZip.avail_out = static_cast<uInt>(slice);
        const int result = inflate(&FZip, Z_NO_FLUSH);
        count -= slice - FZip.avail_out;
        if (result == Z_STREAM_END && count > 0) {
            RaiseGraphicError(GraphicErrorKind::PngDataShort);
        }
        if (result == Z_BUF_ERROR && FZip.avail_in == 0 && FLeft == 0) {
            RaiseGraphicError(GraphicErrorKind::PngDataShort);
        }
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
            RaiseGraphicError(GraphicErrorKind::PngDataCorrupt);
        }
    }
}

} // namespace tallix::graphics
