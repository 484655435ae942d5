#pragma once

#include "graphics/ReadStream.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace tallix::graphics {

// libjpeg's input, read from the stream in pieces of a fixed size, so that a file is never held
// whole however large it is; what lies past the end of the stream reads as the end of the image.
// Segments libjpeg skips are seeked over, not read.
class JpegSource {
public:
    // afterRead runs after every piece, so that whoever drives libjpeg can stop it when the file
    // goes on too long; it leaves libjpeg the way its error handler does.
    JpegSource(TStream& stream, void (*afterRead)(j_decompress_ptr));
    JpegSource(const JpegSource&) = delete;
    JpegSource& operator=(const JpegSource&) = delete;

    void attach(jpeg_decompress_struct& info);

    std::uint64_t bytesRead() const { return m_bytesRead; }
    // The stream's own message when reading it failed; empty otherwise.
    const std::string& readError() const { return m_readError; }

private:
    static JpegSource& of(j_decompress_ptr info);
    static void initSource(j_decompress_ptr info);
    static boolean fillInputBuffer(j_decompress_ptr info);
    static void skipInputData(j_decompress_ptr info, long count);
    static void termSource(j_decompress_ptr info);

    // First, so that libjpeg's pointer to it leads back to the whole object.
    jpeg_source_mgr m_manager{};
    TStream* m_stream;
    void (*m_afterRead)(j_decompress_ptr);
    std::vector<std::uint8_t> m_piece;
    std::uint64_t m_bytesRead = 0;
    std::string m_readError;
};

} // namespace tallix::graphics
