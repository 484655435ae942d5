#include "graphics/PngChunks.h"

#include "graphics/GraphicError.h"

#include <algorithm>

namespace tallix::graphics {

namespace {

// Far more than any encoder writes: even image data split into chunks of 256 bytes stays below.
constexpr std::uint32_t kMaxChunksPerWalk = 1u << 20;

constexpr std::int64_t kCrcBytes = 4;

} // namespace

std::uint32_t bigEndian32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
}

bool PngChunkWalk::next(TChunkHeader& header) {
    std::uint8_t bytes[8];
    if (m_stream->Read(bytes, 8) != 8) {
        return false;
    }
    if (++m_chunks > kMaxChunksPerWalk) {
        RaiseGraphicError(GraphicErrorKind::PngTooManyChunks);
    }
    header.Length = bigEndian32(bytes);
    std::memcpy(header.Type, bytes + 4, 4);
    return true;
}

void PngChunkWalk::skip(const TChunkHeader& header) {
    m_stream->Seek(std::int64_t{header.Length} + kCrcBytes, SeekOrigin::Current);
}

PngImageData::PngImageData(TStream& stream, const TChunkHeader& first)
    : m_stream(&stream), m_walk(stream) {
    startChunk(first);
}

PngImageData::PngImageData(TStream& stream) : m_stream(&stream), m_walk(stream), m_ended(true) {}

void PngImageData::startChunk(const TChunkHeader& header) {
    if (std::int64_t{header.Length} > m_stream->GetSize() - m_stream->GetPosition()) {
        RaiseGraphicError(GraphicErrorKind::StreamNotRead);
    }
    m_leftInChunk = header.Length;
}

std::size_t PngImageData::read(std::uint8_t* target, std::size_t count) {
    while (m_leftInChunk == 0 && !m_ended) {
        m_stream->Seek(kCrcBytes, SeekOrigin::Current);
        TChunkHeader header;
        m_ended = !m_walk.next(header) || !header.Is("IDAT");
        if (!m_ended) {
            startChunk(header);
        }
    }
    const auto piece = static_cast<std::uint32_t>(std::min<std::size_t>(count, m_leftInChunk));
    ReadBuffer(*m_stream, target, piece);
    m_leftInChunk -= piece;
    return piece;
}

} // namespace tallix::graphics
