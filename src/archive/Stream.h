#pragma once

#include <cstdint>

namespace tallix::archive {

enum class SeekOrigin { Beginning, Current, End };

// The stream base type, of the archive's member stream and of the streams the picture loaders
// read: position and size are derived from the 64-bit Seek, and setting the size does nothing
// unless a stream overrides it. Where a position may lie and how an offset from the end counts
// are each stream's own.
class TStream {
public:
    virtual ~TStream() = default;

    virtual std::int64_t GetSize();
    virtual void SetSize(std::int32_t newSize);
    virtual void SetSize(std::int64_t newSize);
    virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
    virtual std::int32_t Write(const void* buffer, std::int32_t count) = 0;
    virtual std::int32_t Seek(std::int32_t offset, std::uint16_t origin) = 0;
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;

    std::int64_t GetPosition() { return Seek(std::int64_t{0}, SeekOrigin::Current); }
    void SetPosition(std::int64_t position) { Seek(position, SeekOrigin::Beginning); }
};

} // namespace tallix::archive
