#include "PngTestFiles.h"

#include "graphics/GraphicError.h"

#include <zlib.h>

namespace tallix::graphics::test {

namespace {
void appendBigEndian(ByteVector& bytes, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}
} // namespace

ByteVector chunk(const char* type, const ByteVector& data) {
    ByteVector chunk;
    appendBigEndian(chunk, static_cast<std::uint32_t>(data.size()));
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    const auto crc = crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4));
    appendBigEndian(chunk, static_cast<std::uint32_t>(crc));
    return chunk;
}

ByteVector ihdr(std::uint32_t width, std::uint32_t height, std::uint8_t depth,
                std::uint8_t colourType, std::uint8_t compression, std::uint8_t interlace) {
    ByteVector data;
    appendBigEndian(data, width);
    appendBigEndian(data, height);
    data.insert(data.end(), {depth, colourType, compression, 0, interlace});
    return chunk("IHDR", data);
}

ByteVector deflate(const ByteVector& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    ByteVector out(size);
    compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    out.resize(size);
    return out;
}

ByteVector concat(const std::vector<ByteVector>& parts) {
    ByteVector all;
    for (const ByteVector& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

ByteVector pngFile(const std::vector<ByteVector>& chunks) {
    ByteVector png{137, 80, 78, 71, 13, 10, 26, 10};
    const ByteVector body = concat(chunks);
    png.insert(png.end(), body.begin(), body.end());
    return png;
}

TBitmap decode(const ByteVector& png) {
    TMemoryReadStream stream(png);
    TBitmap bitmap;
    loadPngFromStream(bitmap, stream);
    return bitmap;
}

std::string refusal(const ByteVector& png) {
    try {
        decode(png);
    } catch (const EGraphicError& error) {
        return error.what();
    }
    return {};
}

ByteVector pixelAt(const TBitmap& bitmap, int x, int y) {
    const std::uint8_t* pixel = bitmap.ScanLine(y) + x * bitmap.BytesPerPixel();
    return ByteVector(pixel, pixel + bitmap.BytesPerPixel());
}

} // namespace tallix::graphics::test
