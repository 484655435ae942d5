#pragma once

#include "graphics/PngChunks.h"

#include <cstdint>
#include <vector>

#include <zlib.h>

namespace tallix::graphics {

// The zlib decompression stream over the image data, read row by row.
class TPngInflater {
public:
    explicit TPngInflater(PngImageData& compressed);
    ~TPngInflater();
    TPngInflater(const TPngInflater&) = delete;
    TPngInflater& operator=(const TPngInflater&) = delete;

    // Fills exactly count bytes or refuses: data that ends early or does not inflate.
    void ReadExactly(std::uint8_t* target, std::size_t count);

private:
    void RefillInput();

    z_stream FZip{};
    PngImageData& FCompressed;
    std::vector<std::uint8_t> FPiece;
};

} // namespace tallix::graphics
