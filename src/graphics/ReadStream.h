#pragma once

#include "archive/Stream.h"

#include <QFile>

#include <cstdint>
#include <vector>

namespace tallix::graphics {

using archive::SeekOrigin;
using archive::TStream;

// Reads exactly count bytes or fails with the stream read error.
void ReadBuffer(TStream& stream, void* buffer, std::int64_t count);

// The picture loaders read from these streams. Positions may lie past the end: a read there
// returns 0 bytes, which is how the chunk walk notices the end of its input. A seek from the end
// adds its offset to the size, and a position before the start is refused. The streams are
// read-only: Write writes nothing.

// A stream over bytes held in memory; the bytes stay writable so that they can be unscrambled in
// place.
class TMemoryReadStream : public TStream {
public:
    TMemoryReadStream() = default;
    explicit TMemoryReadStream(std::vector<std::uint8_t> bytes);

    std::int64_t GetSize() override;
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int32_t Seek(std::int32_t offset, std::uint16_t origin) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    std::vector<std::uint8_t>& Bytes() { return FBytes; }

private:
    std::vector<std::uint8_t> FBytes;
    std::int64_t FPosition = 0;
};

// A stream over a file opened for reading.
class TFileReadStream : public TStream {
public:
    explicit TFileReadStream(const QString& fileName);

    std::int64_t GetSize() override;
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int32_t Seek(std::int32_t offset, std::uint16_t origin) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

private:
    QFile FFile;
};

} // namespace tallix::graphics
