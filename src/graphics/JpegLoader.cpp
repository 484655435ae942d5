#include "graphics/FuncGraphicWork.h"
#include "graphics/GraphicError.h"
#include "graphics/JpegSource.h"
#include "graphics/JpegWork.h"

#include <algorithm>
#include <csetjmp>
#include <string>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace tallix::graphics {

namespace {

// The bitmap and libjpeg's own working memory together; with the rest of the program the process
// stays below 300 MB.
constexpr std::uint64_t kMaxPictureBytes = 256u * 1024 * 1024;

// libjpeg's own working memory, beside the bitmap: a progressive or multi-scan file keeps every
// coefficient of the whole image (about 2 bytes per pixel and component) until its last scan.
// A frame header alone can ask for that much, so it is bounded like the bitmap is, and gets no
// more than the bitmap leaves.
constexpr std::uint64_t kMaxLibjpegMemory = 128u * 1024 * 1024;

// However cheap its scans, a file of many scans costs their setting up; real encoders write about
// ten to twenty.
constexpr int kMaxScans = 300;

// libjpeg reports fatal errors through error_exit, which must not return; it jumps back to
// the one function that drives the library, which holds no objects needing destruction.
// Why the library gave up is only noted here; the text is made once back outside it.
struct TJpegErrorManager {
    jpeg_error_mgr Manager{};
    std::jmp_buf Jump{};
    char Message[JMSG_LENGTH_MAX] = {};
    // Set when the decoder stopped the library itself, or libjpeg ran out of the memory allowed.
    bool Refused = false;
    GraphicErrorKind Refusal = GraphicErrorKind::ImageTooLarge;
    // With Refusal TooManyScans: the scans decoded before the refused one.
    int ScansAllowed = 0;
};

void jumpOnError(j_common_ptr info) {
    auto* errors = reinterpret_cast<TJpegErrorManager*>(info->err);
    const int code = info->err->msg_code;
    // libjpeg's own words for its memory bound mean nothing to a user.
    if (code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY) {
        errors->Refused = true;
        errors->Refusal = GraphicErrorKind::ImageTooLarge;
    } else {
        info->err->format_message(info, errors->Message);
    }
    std::longjmp(errors->Jump, 1);
}

[[noreturn]] void refuse(j_common_ptr info, GraphicErrorKind reason, int scansAllowed = 0) {
    auto* errors = reinterpret_cast<TJpegErrorManager*>(info->err);
    errors->Refused = true;
    errors->Refusal = reason;
    errors->ScansAllowed = scansAllowed;
    std::longjmp(errors->Jump, 1);
}

std::string Reason(const TJpegErrorManager& errors) {
    if (!errors.Refused) {
        return errors.Message;
    }
    if (errors.Refusal == GraphicErrorKind::TooManyScans) {
        return graphicErrorText(GraphicErrorKind::TooManyScans, {errors.ScansAllowed});
    }
    return graphicErrorText(errors.Refusal);
}

// Warnings (such as data that ends early and is padded) are not printed anywhere.
void ignoreMessage(j_common_ptr) {}

// What the decoding function needs besides libjpeg's own state; owned by the caller so that a
// jump out of the library skips no destructor.
struct TJpegJob {
    explicit TJpegJob(TStream& stream);

    jpeg_decompress_struct Info{};
    TJpegErrorManager Errors;
    jpeg_progress_mgr Progress{};
    JpegSource Source;
    JpegWork Work;
    TBitmap Bitmap;
    std::vector<std::uint8_t> Row;
    bool TooLarge = false;
};

TJpegJob& jobOf(j_decompress_ptr info) {
    return *static_cast<TJpegJob*>(info->client_data);
}

// After every piece of input: a file may go on with data, or with bytes between its markers, for
// longer than any picture needs.
void refuseEndlessInput(j_decompress_ptr info) {
    const TJpegJob& job = jobOf(info);
    if (job.Work.exceeded(*info, job.Source.bytesRead())) {
        refuse(reinterpret_cast<j_common_ptr>(info), GraphicErrorKind::TooMuchData);
    }
}

// libjpeg calls this between rows and markers while it reads the input; a scan is charged when
// it is first seen, before any of its rows is decoded.
void refuseEndlessScans(j_common_ptr common) {
    const auto info = reinterpret_cast<j_decompress_ptr>(common);
    TJpegJob& job = jobOf(info);
    while (job.Work.scansCharged() < info->input_scan_number) {
        const int decoded = job.Work.scansCharged();
        job.Work.chargeScan(*info);
        if (job.Work.scansCharged() > kMaxScans ||
            job.Work.exceeded(*info, job.Source.bytesRead())) {
            refuse(common,
                   decoded == 0 ? GraphicErrorKind::ImageTooLarge : GraphicErrorKind::TooManyScans,
                   decoded);
        }
    }
}

TJpegJob::TJpegJob(TStream& stream) : Source(stream, refuseEndlessInput) {}

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

// Refuses before decoding a picture that would take more memory or work than any may; what the
// bitmap leaves of the memory bound is all libjpeg gets.
void chooseOutput(TJpegJob& job) {
    jpeg_decompress_struct& info = job.Info;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&info);
    const std::uint64_t bitmapBytes =
        TBitmap::AllocationBytes(TPixelFormat::Bit24, info.output_width, info.output_height);
    job.Work.chargeOutput(info);
    if (info.output_width == 0 || info.output_height == 0 || bitmapBytes > kMaxPictureBytes ||
        job.Work.exceeded(info, job.Source.bytesRead())) {
        job.TooLarge = true;
        return;
    }
    const std::uint64_t libjpegMemory = std::min(kMaxLibjpegMemory, kMaxPictureBytes - bitmapBytes);
    info.mem->max_memory_to_use = static_cast<long>(libjpegMemory);
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

// Returns false when libjpeg gave up; job.Errors then says why. Once the last row is out the
// picture is complete: whatever follows in the file is not read.
bool runDecompression(TJpegJob& job) {
    jpeg_decompress_struct& info = job.Info;
    if (setjmp(job.Errors.Jump)) {
        return false;
    }
    job.Source.attach(info);
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
    return true;
}

class TJpegDecompressor {
public:
    explicit TJpegDecompressor(TStream& stream) : FJob(stream) {
        FJob.Info.err = jpeg_std_error(&FJob.Errors.Manager);
        FJob.Errors.Manager.error_exit = jumpOnError;
        FJob.Errors.Manager.output_message = ignoreMessage;
        jpeg_create_decompress(&FJob.Info);
        FJob.Info.client_data = &FJob;
        // Beyond this libjpeg would need a backing store, which it does not have, and fails.
        FJob.Info.mem->max_memory_to_use = static_cast<long>(kMaxLibjpegMemory);
        FJob.Progress.progress_monitor = refuseEndlessScans;
        FJob.Info.progress = &FJob.Progress;
    }
    ~TJpegDecompressor() { jpeg_destroy_decompress(&FJob.Info); }
    TJpegDecompressor(const TJpegDecompressor&) = delete;
    TJpegDecompressor& operator=(const TJpegDecompressor&) = delete;

    TBitmap Decode() {
        if (!runDecompression(FJob)) {
            if (!FJob.Source.readError().empty()) {
                throw EGraphicError(FJob.Source.readError());
            }
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

} // namespace

void loadJpegFromStream(TBitmap& bitmap, TStream& stream) {
    bitmap = TJpegDecompressor(stream).Decode();
}

} // namespace tallix::graphics
