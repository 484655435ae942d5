#pragma once

#include <cstdint>
#include <vector>

#include <zlib.h>

namespace tallix::graphics {

// The zlib decompression stream over the collected image data, read row by row.
class TPngInflater {
public:
    explicit TPngInflater(const std::vector<std::uint8_t>& compressed);
    ~TPngInflater();
    TPngInflater(const TPngInflater&) = delete;
    TPngInflater& operator=(const TPngInflater&) = delete;

    // Fills exactly count bytes or refuses: data that ends early or does not inflate.
    void ReadExactly(std::uint8_t* target, std::size_t count);

private:
    void RefillInput();

    z_stream FZip{};
    const std::uint8_t* FNext;
    std::size_t FLeft;
};

} // namespace tallix::graphics
