#include "graphics/JpegSource.h"

#include "graphics/GraphicError.h"

#include <cstddef>
#include <type_traits>

// After jpeglib.h, which it needs.
#include <jerror.h>

namespace tallix::graphics {

namespace {

constexpr std::size_t kPieceBytes = 64 * 1024;

// What libjpeg is given when the stream has ended: an end-of-image marker, as its own readers
// do, so that a file cut short decodes as far as it goes.
constexpr JOCTET kEndOfImage[] = {0xFF, JPEG_EOI};

} // namespace

JpegSource::JpegSource(TStream& stream, void (*afterRead)(j_decompress_ptr))
    : m_stream(&stream), m_afterRead(afterRead), m_piece(kPieceBytes) {
    m_manager.init_source = initSource;
    m_manager.fill_input_buffer = fillInputBuffer;
    m_manager.skip_input_data = skipInputData;
    m_manager.resync_to_restart = jpeg_resync_to_restart;
    m_manager.term_source = termSource;
}

void JpegSource::attach(jpeg_decompress_struct& info) {
    info.src = &m_manager;
}

JpegSource& JpegSource::of(j_decompress_ptr info) {
    static_assert(std::is_standard_layout_v<JpegSource>);
    return *reinterpret_cast<JpegSource*>(info->src);
}

void JpegSource::initSource(j_decompress_ptr) {}

void JpegSource::termSource(j_decompress_ptr) {}

// Runs inside libjpeg, which cannot pass an exception on: a failed read leaves through libjpeg's
// error handler once the exception is gone.
boolean JpegSource::fillInputBuffer(j_decompress_ptr info) {
    JpegSource& source = of(info);
    std::int32_t got = 0;
    try {
        got = source.m_stream->Read(source.m_piece.data(), static_cast<std::int32_t>(kPieceBytes));
    } catch (const EGraphicError& error) {
        source.m_readError = error.what();
    }
    if (!source.m_readError.empty()) {
        ERREXIT(info, JERR_FILE_READ);
    }
    if (got <= 0) {
        WARNMS(info, JWRN_JPEG_EOF);
        source.m_manager.next_input_byte = kEndOfImage;
        source.m_manager.bytes_in_buffer = sizeof kEndOfImage;
        return TRUE;
    }
    source.m_bytesRead += static_cast<std::uint64_t>(got);
    source.m_manager.next_input_byte = source.m_piece.data();
    source.m_manager.bytes_in_buffer = static_cast<std::size_t>(got);
    source.m_afterRead(info);
    return TRUE;
}

void JpegSource::skipInputData(j_decompress_ptr info, long count) {
    if (count <= 0) {
        return;
    }
    JpegSource& source = of(info);
    const auto wanted = static_cast<std::size_t>(count);
    if (wanted <= source.m_manager.bytes_in_buffer) {
        source.m_manager.next_input_byte += wanted;
        source.m_manager.bytes_in_buffer -= wanted;
        return;
    }
    const auto beyond = static_cast<std::int64_t>(wanted - source.m_manager.bytes_in_buffer);
    source.m_manager.bytes_in_buffer = 0;
    try {
        source.m_stream->Seek(beyond, SeekOrigin::Current);
    } catch (const EGraphicError& error) {
        source.m_readError = error.what();
    }
    if (!source.m_readError.empty()) {
        ERREXIT(info, JERR_FILE_READ);
    }
}

} // namespace tallix::graphics
