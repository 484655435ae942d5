#include "FuncGraphicWork.h"
#include "GraphicError.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>

namespace tallix::graphics {

namespace {

constexpr std::uint64_t kMaxBitmapBytes = 256u * 1024 * 1024;

// libjpeg reports fatal errors through error_exit, which must not return; it jumps back to
// the one function that drives the library, which holds no objects needing destruction.
struct TJpegErrorManager {
    jpeg_error_mgr Manager{};
    std::jmp_buf Jump{};
    char Message[JMSG_LENGTH_MAX] = {};
};

void JumpOnError(j_common_ptr info) {
    auto* errors = reinterpret_cast<TJpegErrorManager*>(info->err);
    info->err->format_message(info, errors->Message);
    std::longjmp(errors->Jump, 1);
}

// Warnings (such as data that ends early and is padded) are not printed anywhere.
void IgnoreMessage(j_common_ptr) {}

// What the decoding function needs besides libjpeg's own state; owned by the caller so that a
// jump out of the library skips no destructor.
struct TJpegJob {
    jpeg_decompress_struct Info{};
    TJpegErrorManager Errors;
    const std::vector<std::uint8_t>* Input = nullptr;
    TBitmap Bitmap;
    std::vector<std::uint8_t> Row;
    std::string Refusal;
};

void StoreCmykRow(const std::uint8_t* cmyk, std::uint8_t* out, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x) {
        const std::uint8_t* in = cmyk + 4 * x;
        // Adobe writes CMYK inverted: the stored values are already 255 - ink.
        const unsigned key = inverted ? in[3] : 255u - in[3];
        for (int channel = 0; channel < 3; ++channel) {
            const unsigned ink = inverted ? in[2 - channel] : 255u - in[2 - channel];
            out[3 * x + channel] = static_cast<std::uint8_t>(ink * key / 255);
        }
    }
}

void PrepareOutput(TJpegJob& job) {
    jpeg_decompress_struct& info = job.Info;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&info);
    const std::uint64_t bytes = std::uint64_t{info.output_width} * info.output_height * 3;
    if (info.output_width == 0 || info.output_height == 0 || bytes > kMaxBitmapBytes) {
        job.Refusal = "JPEGの画像が大きすぎます";
        return;
    }
    job.Bitmap = TBitmap::Allocate(TPixelFormat::Bit24, static_cast<int>(info.output_width),
                                   static_cast<int>(info.output_height));
    if (cmyk) {
        job.Row.resize(std::size_t{info.output_width} * 4);
    }
}

// Returns false when libjpeg gave up; its message is then in job.Errors.Message.
bool RunDecompression(TJpegJob& job) {
    jpeg_decompress_struct& info = job.Info;
    if (setjmp(job.Errors.Jump)) {
        return false;
    }
    jpeg_mem_src(&info, job.Input->data(), static_cast<unsigned long>(job.Input->size()));
    jpeg_read_header(&info, TRUE);
    PrepareOutput(job);
    if (!job.Refusal.empty()) {
        return true;
    }
    jpeg_start_decompress(&info);
    const bool cmyk = info.out_color_space == JCS_CMYK;
    while (info.output_scanline < info.output_height) {
        const auto y = static_cast<int>(info.output_scanline);
        JSAMPROW row = cmyk ? job.Row.data() : job.Bitmap.ScanLine(y);
        jpeg_read_scanlines(&info, &row, 1);
        if (cmyk) {
            StoreCmykRow(row, job.Bitmap.ScanLine(y), info.output_width, info.saw_Adobe_marker);
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

class TJpegDecompressor {
public:
    explicit TJpegDecompressor(const std::vector<std::uint8_t>& input) {
        FJob.Info.err = jpeg_std_error(&FJob.Errors.Manager);
        FJob.Errors.Manager.error_exit = JumpOnError;
        FJob.Errors.Manager.output_message = IgnoreMessage;
        FJob.Input = &input;
        jpeg_create_decompress(&FJob.Info);
    }
    ~TJpegDecompressor() { jpeg_destroy_decompress(&FJob.Info); }
    TJpegDecompressor(const TJpegDecompressor&) = delete;
    TJpegDecompressor& operator=(const TJpegDecompressor&) = delete;

    TBitmap Decode() {
        if (!RunDecompression(FJob)) {
            throw EGraphicError(std::string("JPEGファイルを読み込めません: ") +
                                FJob.Errors.Message);
        }
        if (!FJob.Refusal.empty()) {
            throw EGraphicError(FJob.Refusal);
        }
        return std::move(FJob.Bitmap);
    }

private:
    TJpegJob FJob;
};

std::vector<std::uint8_t> ReadRest(TReadStream& stream) {
    const std::int64_t left = stream.Size() - stream.Position();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(left, 0)));
    stream.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    return bytes;
}

} // namespace

void LoadJpegFromStream(TBitmap& bitmap, TReadStream& stream) {
    const std::vector<std::uint8_t> input = ReadRest(stream);
    bitmap = TJpegDecompressor(input).Decode();
}

} // namespace tallix::graphics
