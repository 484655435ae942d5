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
    static constexpr std::size_t kSize = 37;
    static constexpr std::size_t kIDOffset = 0;
    static constexpr std::size_t kNameLengthOffset = 4;
    static constexpr std::size_t kDataOffsetOffset = 8;
    static constexpr std::size_t kFlagOffset = 16;
    static constexpr std::size_t kDataSizeOffset = 17;

    std::array<unsigned char, kSize> bytes{};

    std::int32_t ID() const { return loadLittleEndian<std::int32_t>(&bytes[kIDOffset]); }
    void SetID(std::int32_t id) { storeLittleEndian(&bytes[kIDOffset], id); }

    std::int32_t NameLength() const {
        return loadLittleEndian<std::int32_t>(&bytes[kNameLengthOffset]);
    }
    void SetNameLength(std::int32_t length) {
        storeLittleEndian(&bytes[kNameLengthOffset], length);
    }

    std::int64_t DataOffset() const {
        return loadLittleEndian<std::int64_t>(&bytes[kDataOffsetOffset]);
    }
    void SetDataOffset(std::int64_t offset) {
        storeLittleEndian(&bytes[kDataOffsetOffset], offset);
    }

    std::uint8_t Flag() const { return bytes[kFlagOffset]; }
    void SetFlag(std::uint8_t flag) { bytes[kFlagOffset] = flag; }

    std::int64_t DataSize() const {
        return loadLittleEndian<std::int64_t>(&bytes[kDataSizeOffset]);
    }
    void SetDataSize(std::int64_t size) { storeLittleEndian(&bytes[kDataSizeOffset], size); }
};

static_assert(sizeof(TFileEntry) == TFileEntry::kSize, "the record must stay exactly 37 bytes");

} // namespace tallix::archive
