#pragma once

#include <QFile>

#include <cstdint>
#include <string_view>
#include <vector>

namespace tallix::archive {

// Reads a file front to back in blocks for the directory walk. Over small members it reads
// through whole blocks, which costs far fewer system calls than a seek and two reads per member;
// past large members it jumps and reads only a small block at the next record.
class BlockReader {
public:
    BlockReader(QFile& file, std::int64_t position, std::int64_t fileSize);

    std::int64_t position() const { return FPosition; }
    std::int64_t remaining() const { return FFileSize - FPosition; }

    // The next `length` bytes, which the caller has checked against remaining(). The view is
    // valid until the next call. Throws when the file delivers fewer bytes than it claimed.
    std::string_view take(std::size_t length);
    void skip(std::int64_t length) { FPosition += length; }

private:
    void refill(std::size_t length);

    QFile& FFile;
    std::int64_t FFileSize;
    std::int64_t FPosition;
    std::vector<char> FBuffer;
    std::int64_t FBufferStart = 0;
    std::int64_t FBufferLength = 0;
};

} // namespace tallix::archive
