#include "graphics/FuncGraphicWork.h"
#include "graphics/GraphicError.h"

#include <algorithm>
#include <csetjmp>
#include <string>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace tallix::graphics {

namespace {

constexpr std::uint64_t kMaxBitmapBytes = 256u * 1024 * 1024;

// libjpeg's own working memory, beside the bitmap: a progressive or multi-scan file keeps every
// coefficient of the whole image (about 2 bytes per pixel and component) until its last scan.
// A frame header alone can ask for that much, so it is bounded like the bitmap is.
constexpr long kMaxLibjpegMemory = 128L * 1024 * 1024;

// Each scan of a progressive file runs over the whole image again, so a small file that repeats
// scans costs time without end. Real encoders write about ten to twenty. The scans allowed shrink
// with the frame, so that no file costs much more than 64 scans over the largest frame the memory
// bound admits (about a second), while small pictures may have up to a few hundred.
constexpr int kMaxScans = 300;
constexpr int kMinScans = 64;
constexpr std::uint64_t kCoefficientBytesPerBlock = DCTSIZE2 * sizeof(JCOEF);
constexpr std::uint64_t kScanBlockBudget =
    kMinScans * (kMaxLibjpegMemory / kCoefficientBytesPerBlock);

// libjpeg reports fatal errors through error_exit, which must not return; it jumps back to
// the one function that drives the library, which holds no objects needing destruction.
// Why the library gave up is only noted here; the text is made once back outside it.
struct TJpegErrorManager {
    jpeg_error_mgr Manager{};
    std::jmp_buf Jump{};
    char Message[JMSG_LENGTH_MAX] = {};
    bool OutOfMemory = false;
    // Set when the file had more scans than this.
    int ScansAllowed = 0;
};

void jumpOnError(j_common_ptr info) {
    auto* errors = reinterpret_cast<TJpegErrorManager*>(info->err);
    const int code = info->err->msg_code;
    // libjpeg's own words for its memory bound mean nothing to a user.
    errors->OutOfMemory = code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY;
    if (!errors->OutOfMemory) {
        info->err->format_message(info, errors->Message);
    }
    std::longjmp(errors->Jump, 1);
}

std::string Reason(const TJpegErrorManager& errors) {
    if (errors.ScansAllowed > 0) {
        return graphicErrorText(GraphicErrorKind::TooManyScans, {errors.ScansAllowed});
    }
    if (errors.OutOfMemory) {
        return graphicErrorText(GraphicErrorKind::ImageTooLarge);
    }
    return errors.Message;
}

// Warnings (such as data that ends early and is padded) are not printed anywhere.
void ignoreMessage(j_common_ptr) {}

int allowedScans(const jpeg_decompress_struct& info) {
    std::uint64_t blocks = 0;
    for (int c = 0; c < info.num_components; ++c) {
        blocks +=
            std::uint64_t{info.comp_info[c].width_in_blocks} * info.comp_info[c].height_in_blocks;
    }
    const std::uint64_t byBudget = kScanBlockBudget / std::max<std::uint64_t>(blocks, 1);
    return static_cast<int>(std::clamp<std::uint64_t>(byBudget, kMinScans, kMaxScans));
}

// libjpeg calls this between rows and markers while it reads the input.
void refuseEndlessScans(j_common_ptr common) {
    const auto* info = reinterpret_cast<j_decompress_ptr>(common);
    const int allowed = allowedScans(*info);
    if (info->input_scan_number > allowed) {
        auto* errors = reinterpret_cast<TJpegErrorManager*>(common->err);
        errors->ScansAllowed = allowed;
        std::longjmp(errors->Jump, 1);
    }
}

// What the decoding function needs besides libjpeg's own state; owned by the caller so that a
// jump out of the library skips no destructor.
struct TJpegJob {
    jpeg_decompress_struct Info{};
    TJpegErrorManager Errors;
    jpeg_progress_mgr Progress{};
    const std::vector<std::uint8_t>* Input = nullptr;
    TBitmap Bitmap;
    std::vector<std::uint8_t> Row;
    bool TooLarge = false;
};

void storeCmykRow(const std::uint8_t* cmyk, std::uint8_t* out, JDIMENSION width, bool inverted) {
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

void chooseOutput(TJpegJob& job) {
    jpeg_decompress_struct& info = job.Info;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&info);
    const std::uint64_t bytes = std::uint64_t{info.output_width} * info.output_height * 3;
    if (info.output_width == 0 || info.output_height == 0 || bytes > kMaxBitmapBytes) {
        job.TooLarge = true;
    }
}

// Only once libjpeg has its own buffers (and a progressive file is read through) is the
// bitmap allocated, so a file refused on the way never holds both at once.
void allocateOutput(TJpegJob& job) {
    const jpeg_decompress_struct& info = job.Info;
    job.Bitmap = TBitmap::Allocate(TPixelFormat::Bit24, static_cast<int>(info.output_width),
                                   static_cast<int>(info.output_height));
    if (info.out_color_space == JCS_CMYK) {
        job.Row.resize(std::size_t{info.output_width} * 4);
    }
}

// Returns false when libjpeg gave up; job.Errors then says why.
bool runDecompression(TJpegJob& job) {
    jpeg_decompress_struct& info = job.Info;
    if (setjmp(job.Errors.Jump)) {
        return false;
    }
    jpeg_mem_src(&info, job.Input->data(), static_cast<unsigned long>(job.Input->size()));
    jpeg_read_header(&info, TRUE);
    chooseOutput(job);
    if (job.TooLarge) {
        return true;
    }
    jpeg_start_decompress(&info);
    allocateOutput(job);
    const bool cmyk = info.out_color_space == JCS_CMYK;
    while (info.output_scanline < info.output_height) {
        const auto y = static_cast<int>(info.output_scanline);
        JSAMPROW row = cmyk ? job.Row.data() : job.Bitmap.ScanLine(y);
        jpeg_read_scanlines(&info, &row, 1);
        if (cmyk) {
            storeCmykRow(row, job.Bitmap.ScanLine(y), info.output_width, info.saw_Adobe_marker);
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

class TJpegDecompressor {
public:
    explicit TJpegDecompressor(const std::vector<std::uint8_t>& input) {
        FJob.Info.err = jpeg_std_error(&FJob.Errors.Manager);
        FJob.Errors.Manager.error_exit = jumpOnError;
        FJob.Errors.Manager.output_message = ignoreMessage;
        FJob.Input = &input;
        jpeg_create_decompress(&FJob.Info);
        // Beyond this libjpeg would need a backing store, which it does not have, and fails.
        FJob.Info.mem->max_memory_to_use = kMaxLibjpegMemory;
        FJob.Progress.progress_monitor = refuseEndlessScans;
        FJob.Info.progress = &FJob.Progress;
    }
    ~TJpegDecompressor() { jpeg_destroy_decompress(&FJob.Info); }
    TJpegDecompressor(const TJpegDecompressor&) = delete;
    TJpegDecompressor& operator=(const TJpegDecompressor&) = delete;

    TBitmap Decode() {
        if (!runDecompression(FJob)) {
            RaiseGraphicError(GraphicErrorKind::JpegNotRead, {Reason(FJob.Errors)});
        }
        if (FJob.TooLarge) {
            RaiseGraphicError(GraphicErrorKind::JpegTooLarge);
        }
        return std::move(FJob.Bitmap);
    }

private:
    TJpegJob FJob;
};

std::vector<std::uint8_t> readRest(TStream& stream) {
    const std::int64_t left = stream.GetSize() - stream.GetPosition();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(left, 0)));
    ReadBuffer(stream, bytes.data(), static_cast<std::int64_t>(bytes.size()));
    return bytes;
}

} // namespace

void loadJpegFromStream(TBitmap& bitmap, TStream& stream) {
    const std::vector<std::uint8_t> input = readRest(stream);
    bitmap = TJpegDecompressor(input).Decode();
}

} // namespace tallix::graphics
