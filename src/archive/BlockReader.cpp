#include "archive/BlockReader.h"

#include "archive/ArchiveError.h"

#include <algorithm>

namespace tallix::archive {

namespace {
constexpr std::int64_t kLargeBlock = 256 * 1024;
constexpr std::int64_t kSmallBlock = 4 * 1024;
} // namespace

BlockReader::BlockReader(QFile& file, std::int64_t position, std::int64_t fileSize)
    : m_file(file), m_fileSize(fileSize), m_position(position) {}

std::string_view BlockReader::take(std::size_t length) {
    const auto wanted = static_cast<std::int64_t>(length);
    if (m_position < m_bufferStart || m_position + wanted > m_bufferStart + m_bufferLength)
        refill(length);
    const auto offset = static_cast<std::size_t>(m_position - m_bufferStart);
    m_position += wanted;
    return {m_buffer.data() + offset, length};
}

void BlockReader::refill(std::size_t length) {
    const bool readingThrough =
        m_position >= m_bufferStart && m_position < m_bufferStart + m_bufferLength + kLargeBlock;
    const std::int64_t block = readingThrough ? kLargeBlock : kSmallBlock;
    const std::int64_t wanted =
        std::max(static_cast<std::int64_t>(length), std::min(block, remaining()));
    if (m_buffer.size() < static_cast<std::size_t>(wanted))
        m_buffer.resize(static_cast<std::size_t>(wanted));
    if (!m_file.seek(m_position))
        raiseArchiveError(ArchiveErrorKind::Unreadable, {"Reload"});
    std::int64_t got = 0;
    while (got < wanted) {
        const qint64 chunk = m_file.read(m_buffer.data() + got, wanted - got);
        if (chunk <= 0)
            break;
        got += chunk;
    }
    if (got < static_cast<std::int64_t>(length))
        raiseArchiveError(ArchiveErrorKind::Unreadable, {"Reload"});
    m_bufferStart = m_position;
    m_bufferLength = got;
}

} // namespace tallix::archive
