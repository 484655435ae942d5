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

    std::int64_t position() const { return m_position; }
    std::int64_t remaining() const { return m_fileSize - m_position; }

    // The next `length` bytes, which the caller has checked against remaining(). The view is
    // valid until the next call. Throws when the file delivers fewer bytes than it claimed.
    std::string_view take(std::size_t length);
    void skip(std::int64_t length) { m_position += length; }

private:
    void refill(std::size_t length);

    QFile& m_file;
    std::int64_t m_fileSize;
    std::int64_t m_position;
    std::vector<char> m_buffer;
    std::int64_t m_bufferStart = 0;
    std::int64_t m_bufferLength = 0;
};

} // namespace tallix::archive
