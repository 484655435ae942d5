#pragma once

#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

namespace tallix::graphics {

// What decoding a JPEG costs, counted as the file reveals it, in units of about a nanosecond of
// one core's work. A file of a few hundred bytes can describe a frame of millions of blocks and
// scans that each run over all of them again; arithmetic-coded scans even go on decoding zeros
// after their data has ended. So the file's size says nothing of the work, which is counted from
// the frame, each scan's band of coefficients and the bytes actually read.
class JpegWork {
public:
    // The output pass: every sample through the inverse transform and every pixel into the bitmap.
    void chargeOutput(const jpeg_decompress_struct& info);
    // The scan libjpeg is at, once, before any of its data is decoded.
    void chargeScan(const jpeg_decompress_struct& info);
    // Whether the work counted so far, with the bytes read, is more than a picture may cost.
    bool exceeded(const jpeg_decompress_struct& info, std::uint64_t bytesRead) const;
    int scansCharged() const { return m_scans; }

private:
    std::uint64_t m_units = 0;
    int m_scans = 0;
};

} // namespace tallix::graphics
