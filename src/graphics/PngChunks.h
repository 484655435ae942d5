#pragma once

#include "graphics/ReadStream.h"

#include <cstdint>
#include <cstring>

namespace tallix::graphics {

struct TChunkHeader {
    std::uint32_t Length = 0;
    char Type[4] = {};

    bool Is(const char* type) const { return std::memcmp(Type, type, 4) == 0; }
};

std::uint32_t bigEndian32(const std::uint8_t* bytes);

// Reads the chunk headers of one walk through a file, refusing a walk of more chunks than any
// picture has: each costs a read of its own, and a file can be millions of empty chunks.
class PngChunkWalk {
public:
    explicit PngChunkWalk(TStream& stream) : m_stream(&stream) {}

    // False at the end of the stream; a header cut short counts as the end too.
    bool next(TChunkHeader& header);
    void skip(const TChunkHeader& header);

private:
    TStream* m_stream;
    std::uint32_t m_chunks = 0;
};

// The data of the first run of IDAT chunks as one sequence of bytes, read from the stream in the
// pieces the inflater asks for, so that only a piece of the compressed data is held at a time.
// A chunk longer than the rest of the stream fails with the stream's read error when reached.
class PngImageData {
public:
    // The stream stands at the data of the first IDAT chunk.
    PngImageData(TStream& stream, const TChunkHeader& first);
    // The data that ends with the stream: no IDAT chunk at all.
    explicit PngImageData(TStream& stream);

    // Up to count bytes; 0 once the run has ended.
    std::size_t read(std::uint8_t* target, std::size_t count);

private:
    void startChunk(const TChunkHeader& header);

    TStream* m_stream;
    PngChunkWalk m_walk;
    std::uint32_t m_leftInChunk = 0;
    bool m_ended = false;
};

} // namespace tallix::graphics
