#include "archive/Stream.h"

namespace tallix::archive {

std::int64_t TStream::GetSize() {
    const std::int64_t position = Seek(std::int64_t{0}, SeekOrigin::Current);
    const std::int64_t size = Seek(std::int64_t{0}, SeekOrigin::End);
    Seek(position, SeekOrigin::Beginning);
    return size;
}

void TStream::SetSize(std::int32_t) {}

void TStream::SetSize(std::int64_t) {}

} // namespace tallix::archive
