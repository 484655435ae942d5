#pragma once

#include <QFile>

#include <cstdint>
#include <vector>

namespace tallix::graphics {

enum class TSeekOrigin { Beginning, Current, End };

// The seekable byte source the picture loaders read from. Positions may lie past the end: a
// read there returns 0 bytes, which is how the chunk walk notices the end of its input.
class TReadStream {
public:
    virtual ~TReadStream() = default;

    // Reads up to count bytes and returns how many were read; 0 at the end.
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    // Moves the position and returns the new one.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    std::int64_t Position();
    void SetPosition(std::int64_t position);
    virtual std::int64_t Size();

    // Reads exactly count bytes or fails with the stream read error.
    void ReadBuffer(void* buffer, std::int64_t count);

protected:
    static std::int64_t CheckedTarget(std::int64_t base, std::int64_t offset);
};

// A stream over bytes held in memory; the bytes stay writable so that they can be unscrambled in
// place.
class TMemoryReadStream : public TReadStream {
public:
    TMemoryReadStream() = default;
    explicit TMemoryReadStream(std::vector<std::uint8_t> bytes);

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override;

    std::vector<std::uint8_t>& Bytes() { return FBytes; }

private:
    std::vector<std::uint8_t> FBytes;
    std::int64_t FPosition = 0;
};

// A stream over a file opened for reading.
class TFileReadStream : public TReadStream {
public:
    explicit TFileReadStream(const QString& fileName);

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override;

private:
    QFile FFile;
};

} // namespace tallix::graphics
