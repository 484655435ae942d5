#include "archive/BlockReader.h"

#include "archive/ArchiveError.h"

#include <algorithm>

namespace tallix::archive {

namespace {
constexpr std::int64_t kLargeBlock = 256 * 1024;
constexpr std::int64_t kSmallBlock = 4 * 1024;
} // namespace

BlockReader::BlockReader(QFile& file, std::int64_t position, std::int64_t fileSize)
    : FFile(file), FFileSize(fileSize), FPosition(position) {}

std::string_view BlockReader::take(std::size_t length) {
    const auto wanted = static_cast<std::int64_t>(length);
    if (FPosition < FBufferStart || FPosition + wanted > FBufferStart + FBufferLength)
        refill(length);
    const auto offset = static_cast<std::size_t>(FPosition - FBufferStart);
    FPosition += wanted;
    return {FBuffer.data() + offset, length};
}

void BlockReader::refill(std::size_t length) {
    const bool readingThrough =
        FPosition >= FBufferStart && FPosition < FBufferStart + FBufferLength + kLargeBlock;
    const std::int64_t block = readingThrough ? kLargeBlock : kSmallBlock;
    const std::int64_t wanted =
        std::max(static_cast<std::int64_t>(length), std::min(block, remaining()));
    if (FBuffer.size() < static_cast<std::size_t>(wanted))
        FBuffer.resize(static_cast<std::size_t>(wanted));
    if (!FFile.seek(FPosition))
        raiseArchiveError(messages::unreadable("Reload"));
    std::int64_t got = 0;
    while (got < wanted) {
        const qint64 chunk = FFile.read(FBuffer.data() + got, wanted - got);
        if (chunk <= 0)
            break;
        got += chunk;
    }
    if (got < static_cast<std::int64_t>(length))
        raiseArchiveError(messages::unreadable("Reload"));
    FBufferStart = FPosition;
    FBufferLength = got;
}

} // namespace tallix::archive
