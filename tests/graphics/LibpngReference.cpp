#include "LibpngReference.h"

#include <csetjmp>
#include <cstring>
#include <stdexcept>

#include <png.h>

namespace tallix::graphics::test {

namespace {

struct ReadSource {
    const ByteVector* bytes;
    std::size_t position;
};

void readFromMemory(png_structp png, png_bytep target, png_size_t count) {
    auto* source = static_cast<ReadSource*>(png_get_io_ptr(png));
    if (source->position + count > source->bytes->size()) {
        png_error(png, "read past the end");
    }
    std::memcpy(target, source->bytes->data() + source->position, count);
    source->position += count;
}

void writeToMemory(png_structp png, png_bytep data, png_size_t count) {
    auto* target = static_cast<ByteVector*>(png_get_io_ptr(png));
    target->insert(target->end(), data, data + count);
}

void noFlush(png_structp) {}

void storeError(png_structp png, png_const_charp message) {
    auto* text = static_cast<std::string*>(png_get_error_ptr(png));
    *text = message;
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

unsigned sampleAt(const png_byte* row, int x, int depth) {
    if (depth == 8) {
        return row[x];
    }
    const int perByte = 8 / depth;
    const int shift = 8 - depth * (x % perByte + 1);
    return (row[x / perByte] >> shift) & ((1u << depth) - 1);
}

struct RawImage {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int depth = 0;
    int colourType = 0;
    std::vector<png_color> palette;
    std::vector<ByteVector> rows;
};

// Runs libpng's reader; all C++ objects live in the caller so that png_longjmp skips none.
bool readRaw(png_structp png, png_infop info, ReadSource& source, RawImage& raw) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_read_fn(png, &source, readFromMemory);
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_read_info(png, info);
    raw.width = png_get_image_width(png, info);
    raw.height = png_get_image_height(png, info);
    raw.depth = png_get_bit_depth(png, info);
    raw.colourType = png_get_color_type(png, info);
    png_colorp palette = nullptr;
    int entries = 0;
    if (png_get_PLTE(png, info, &palette, &entries) != 0) {
        raw.palette.assign(palette, palette + entries);
    }
    raw.rows.assign(raw.height, ByteVector(png_get_rowbytes(png, info)));
    for (ByteVector& row : raw.rows) {
        png_read_row(png, row.data(), nullptr);
    }
    return true;
}

void expandPixel(const RawImage& raw, const png_byte* row, int x, std::uint8_t* out) {
    switch (raw.colourType) {
    case PNG_COLOR_TYPE_GRAY: {
        const auto grey =
            static_cast<std::uint8_t>(sampleAt(row, x, raw.depth) * 255 / ((1u << raw.depth) - 1));
        out[0] = out[1] = out[2] = grey;
        break;
    }
    case PNG_COLOR_TYPE_PALETTE: {
        const unsigned index = sampleAt(row, x, raw.depth);
        const png_color colour = index < raw.palette.size() ? raw.palette[index] : png_color{};
        out[0] = colour.blue;
        out[1] = colour.green;
        out[2] = colour.red;
        break;
    }
    case PNG_COLOR_TYPE_RGB:
        out[0] = row[3 * x + 2];
        out[1] = row[3 * x + 1];
        out[2] = row[3 * x];
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        out[0] = out[1] = out[2] = row[2 * x];
        out[3] = row[2 * x + 1];
        break;
    default:
        out[0] = row[4 * x + 2];
        out[1] = row[4 * x + 1];
        out[2] = row[4 * x];
        out[3] = row[4 * x + 3];
        break;
    }
}

struct WriteJob {
    const EncodeRequest* request;
    std::vector<png_color> palette;
    std::vector<const png_byte*> rows;
};

bool writeRaw(png_structp png, png_infop info, WriteJob& job) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    const EncodeRequest& request = *job.request;
    png_set_IHDR(png, info, static_cast<png_uint_32>(request.width),
                 static_cast<png_uint_32>(request.height), request.depth, request.colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!job.palette.empty()) {
        png_set_PLTE(png, info, job.palette.data(), static_cast<int>(job.palette.size()));
    }
    png_set_filter(png, PNG_FILTER_TYPE_BASE, request.filters);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(job.rows.data()));
    png_write_end(png, nullptr);
    return true;
}

} // namespace

ReferenceImage decodeWithLibpng(const ByteVector& png) {
    std::string message;
    png_structp reader =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &message, storeError, ignoreWarning);
    png_infop info = png_create_info_struct(reader);
    ReadSource source{&png, 0};
    RawImage raw;
    const bool read = readRaw(reader, info, source, raw);
    png_destroy_read_struct(&reader, &info, nullptr);
    if (!read) {
        throw std::runtime_error("libpng: " + message);
    }
    ReferenceImage image;
    image.width = static_cast<int>(raw.width);
    image.height = static_cast<int>(raw.height);
    image.bytesPerPixel = (raw.colourType & PNG_COLOR_MASK_ALPHA) != 0 ? 4 : 3;
    image.pixels.resize(std::size_t{raw.width} * raw.height * image.bytesPerPixel);
    std::uint8_t* out = image.pixels.data();
    for (const ByteVector& row : raw.rows) {
        for (int x = 0; x < image.width; ++x, out += image.bytesPerPixel) {
            expandPixel(raw, row.data(), x, out);
        }
    }
    return image;
}

ByteVector encodeWithLibpng(const EncodeRequest& request) {
    std::string message;
    ByteVector encoded;
    png_structp writer =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &message, storeError, ignoreWarning);
    png_infop info = png_create_info_struct(writer);
    png_set_write_fn(writer, &encoded, writeToMemory, noFlush);
    WriteJob job{&request, {}, {}};
    for (std::size_t i = 0; i + 2 < request.palette.size(); i += 3) {
        job.palette.push_back({request.palette[i], request.palette[i + 1], request.palette[i + 2]});
    }
    const int samples = request.colourType == PNG_COLOR_TYPE_RGB          ? 3
                        : request.colourType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                        : request.colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                          : 1;
    const std::size_t rowBytes = (std::size_t(request.width) * samples * request.depth + 7) / 8;
    for (int y = 0; y < request.height; ++y) {
        job.rows.push_back(request.samples.data() + y * rowBytes);
    }
    const bool written = writeRaw(writer, info, job);
    png_destroy_write_struct(&writer, &info);
    if (!written) {
        throw std::runtime_error("libpng: " + message);
    }
    return encoded;
}

::testing::AssertionResult sameAsReference(const TBitmap& bitmap, const ReferenceImage& reference) {
    if (bitmap.Width() != reference.width || bitmap.Height() != reference.height ||
        bitmap.BytesPerPixel() != reference.bytesPerPixel) {
        return ::testing::AssertionFailure()
               << "size or format differs: " << bitmap.Width() << "x" << bitmap.Height() << "x"
               << bitmap.BytesPerPixel() << " against " << reference.width << "x"
               << reference.height << "x" << reference.bytesPerPixel;
    }
    const std::size_t rowBytes = std::size_t(reference.width) * reference.bytesPerPixel;
    for (int y = 0; y < reference.height; ++y) {
        const std::uint8_t* expected = reference.pixels.data() + y * rowBytes;
        const std::uint8_t* actual = bitmap.ScanLine(y);
        for (std::size_t i = 0; i < rowBytes; ++i) {
            if (expected[i] != actual[i]) {
                return ::testing::AssertionFailure()
                       << "first difference in row " << y << ", pixel "
                       << i / reference.bytesPerPixel << ", byte " << i % reference.bytesPerPixel
                       << ": " << int(actual[i]) << " instead of " << int(expected[i]);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace tallix::graphics::test
