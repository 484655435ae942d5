#include "LibpngReference.h"

#include <csetjmp>
#include <cstring>
#include <stdexcept>

#include <png.h>

namespace tallix::graphics::test {

namespace {

struct TReadSource {
    const TBytes* Bytes;
    std::size_t Position;
};

void readFromMemory(png_structp png, png_bytep target, png_size_t count) {
    auto* source = static_cast<TReadSource*>(png_get_io_ptr(png));
    if (source->Position + count > source->Bytes->size()) {
        png_error(png, "read past the end");
    }
    std::memcpy(target, source->Bytes->data() + source->Position, count);
    source->Position += count;
}

void writeToMemory(png_structp png, png_bytep data, png_size_t count) {
    auto* target = static_cast<TBytes*>(png_get_io_ptr(png));
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

struct TRawImage {
    png_uint_32 Width = 0;
    png_uint_32 Height = 0;
    int Depth = 0;
    int ColourType = 0;
    std::vector<png_color> Palette;
    std::vector<TBytes> Rows;
};

// Runs libpng's reader; all C++ objects live in the caller so that png_longjmp skips none.
bool readRaw(png_structp png, png_infop info, TReadSource& source, TRawImage& raw) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_read_fn(png, &source, readFromMemory);
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_read_info(png, info);
    raw.Width = png_get_image_width(png, info);
    raw.Height = png_get_image_height(png, info);
    raw.Depth = png_get_bit_depth(png, info);
    raw.ColourType = png_get_color_type(png, info);
    png_colorp palette = nullptr;
    int entries = 0;
    if (png_get_PLTE(png, info, &palette, &entries) != 0) {
        raw.Palette.assign(palette, palette + entries);
    }
    raw.Rows.assign(raw.Height, TBytes(png_get_rowbytes(png, info)));
    for (TBytes& row : raw.Rows) {
        png_read_row(png, row.data(), nullptr);
    }
    return true;
}

void expandPixel(const TRawImage& raw, const png_byte* row, int x, std::uint8_t* out) {
    switch (raw.ColourType) {
    case PNG_COLOR_TYPE_GRAY: {
        const auto grey =
            static_cast<std::uint8_t>(sampleAt(row, x, raw.Depth) * 255 / ((1u << raw.Depth) - 1));
        out[0] = out[1] = out[2] = grey;
        break;
    }
    case PNG_COLOR_TYPE_PALETTE: {
        const unsigned index = sampleAt(row, x, raw.Depth);
        const png_color colour = index < raw.Palette.size() ? raw.Palette[index] : png_color{};
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

struct TWriteJob {
    const TEncodeRequest* Request;
    std::vector<png_color> Palette;
    std::vector<const png_byte*> Rows;
};

bool writeRaw(png_structp png, png_infop info, TWriteJob& job) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    const TEncodeRequest& request = *job.Request;
    png_set_IHDR(png, info, static_cast<png_uint_32>(request.Width),
                 static_cast<png_uint_32>(request.Height), request.Depth, request.ColourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!job.Palette.empty()) {
        png_set_PLTE(png, info, job.Palette.data(), static_cast<int>(job.Palette.size()));
    }
    png_set_filter(png, PNG_FILTER_TYPE_BASE, request.Filters);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(job.Rows.data()));
    png_write_end(png, nullptr);
    return true;
}

} // namespace

TReferenceImage decodeWithLibpng(const TBytes& png) {
    std::string message;
    png_structp reader =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &message, storeError, ignoreWarning);
    png_infop info = png_create_info_struct(reader);
    TReadSource source{&png, 0};
    TRawImage raw;
    const bool read = readRaw(reader, info, source, raw);
    png_destroy_read_struct(&reader, &info, nullptr);
    if (!read) {
        throw std::runtime_error("libpng: " + message);
    }
    TReferenceImage image;
    image.Width = static_cast<int>(raw.Width);
    image.Height = static_cast<int>(raw.Height);
    image.BytesPerPixel = (raw.ColourType & PNG_COLOR_MASK_ALPHA) != 0 ? 4 : 3;
    image.Pixels.resize(std::size_t{raw.Width} * raw.Height * image.BytesPerPixel);
    std::uint8_t* out = image.Pixels.data();
    for (const TBytes& row : raw.Rows) {
        for (int x = 0; x < image.Width; ++x, out += image.BytesPerPixel) {
            expandPixel(raw, row.data(), x, out);
        }
    }
    return image;
}

TBytes encodeWithLibpng(const TEncodeRequest& request) {
    std::string message;
    TBytes encoded;
    png_structp writer =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &message, storeError, ignoreWarning);
    png_infop info = png_create_info_struct(writer);
    png_set_write_fn(writer, &encoded, writeToMemory, noFlush);
    TWriteJob job{&request, {}, {}};
    for (std::size_t i = 0; i + 2 < request.Palette.size(); i += 3) {
        job.Palette.push_back({request.Palette[i], request.Palette[i + 1], request.Palette[i + 2]});
    }
    const int samples = request.ColourType == PNG_COLOR_TYPE_RGB          ? 3
                        : request.ColourType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                        : request.ColourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                          : 1;
    const std::size_t rowBytes = (std::size_t(request.Width) * samples * request.Depth + 7) / 8;
    for (int y = 0; y < request.Height; ++y) {
        job.Rows.push_back(request.Samples.data() + y * rowBytes);
    }
    const bool written = writeRaw(writer, info, job);
    png_destroy_write_struct(&writer, &info);
    if (!written) {
        throw std::runtime_error("libpng: " + message);
    }
    return encoded;
}

::testing::AssertionResult sameAsReference(const TBitmap& bitmap,
                                           const TReferenceImage& reference) {
    if (bitmap.Width() != reference.Width || bitmap.Height() != reference.Height ||
        bitmap.BytesPerPixel() != reference.BytesPerPixel) {
        return ::testing::AssertionFailure()
               << "size or format differs: " << bitmap.Width() << "x" << bitmap.Height() << "x"
               << bitmap.BytesPerPixel() << " against " << reference.Width << "x"
               << reference.Height << "x" << reference.BytesPerPixel;
    }
    const std::size_t rowBytes = std::size_t(reference.Width) * reference.BytesPerPixel;
    for (int y = 0; y < reference.Height; ++y) {
        const std::uint8_t* expected = reference.Pixels.data() + y * rowBytes;
        const std::uint8_t* actual = bitmap.ScanLine(y);
        for (std::size_t i = 0; i < rowBytes; ++i) {
            if (expected[i] != actual[i]) {
                return ::testing::AssertionFailure()
                       << "first difference in row " << y << ", pixel "
                       << i / reference.BytesPerPixel << ", byte " << i % reference.BytesPerPixel
                       << ": " << int(actual[i]) << " instead of " << int(expected[i]);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace tallix::graphics::test
