#pragma once

#include "archive/LittleEndian.h"

#include <array>
#include <cstdint>

namespace tallix::archive {

// The member record: 37 bytes, identical on disk and in memory, without any alignment, so that
// the record can be copied to and from the file as it is. The 12 bytes after DataSize are kept
// and copied but never interpreted.
class TFileEntry {
public:
    static constexpr std::size_t Size = 37;
    static constexpr std::size_t IDOffset = 0;
    static constexpr std::size_t NameLengthOffset = 4;
    static constexpr std::size_t DataOffsetOffset = 8;
    static constexpr std::size_t FlagOffset = 16;
    static constexpr std::size_t DataSizeOffset = 17;

    std::array<unsigned char, Size> bytes{};

    std::int32_t ID() const { return loadLittleEndian<std::int32_t>(&bytes[IDOffset]); }
    void SetID(std::int32_t id) { storeLittleEndian(&bytes[IDOffset], id); }

    std::int32_t NameLength() const {
        return loadLittleEndian<std::int32_t>(&bytes[NameLengthOffset]);
    }
    void SetNameLength(std::int32_t length) { storeLittleEndian(&bytes[NameLengthOffset], length); }

    std::int64_t DataOffset() const {
        return loadLittleEndian<std::int64_t>(&bytes[DataOffsetOffset]);
    }
    void SetDataOffset(std::int64_t offset) { storeLittleEndian(&bytes[DataOffsetOffset], offset); }

    std::uint8_t Flag() const { return bytes[FlagOffset]; }
    void SetFlag(std::uint8_t flag) { bytes[FlagOffset] = flag; }

    std::int64_t DataSize() const { return loadLittleEndian<std::int64_t>(&bytes[DataSizeOffset]); }
    void SetDataSize(std::int64_t size) { storeLittleEndian(&bytes[DataSizeOffset], size); }
};

static_assert(sizeof(TFileEntry) == TFileEntry::Size, "the record must stay exactly 37 bytes");

} // namespace tallix::archive
