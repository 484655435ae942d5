#include "graphics/ReadStream.h"

#include "graphics/GraphicError.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>

namespace tallix::graphics {

namespace {

std::int64_t checkedTarget(std::int64_t base, std::int64_t offset) {
    const bool overflows = offset > 0 ? base > std::numeric_limits<std::int64_t>::max() - offset
                                      : base < std::numeric_limits<std::int64_t>::min() - offset;
    if (overflows || base + offset < 0) {
        RaiseGraphicError(GraphicErrorKind::BadStreamPosition);
    }
    return base + offset;
}

// Origin 0, 1, 2 = beginning, current, end, as for the 64-bit seek. A position that a 32-bit
// caller cannot hold is refused, and the stream stays where it was.
std::int32_t seekNarrow(TStream& stream, std::int32_t offset, std::uint16_t origin) {
    constexpr SeekOrigin kOrigins[] = {SeekOrigin::Beginning, SeekOrigin::Current, SeekOrigin::End};
    if (origin >= std::size(kOrigins)) {
        RaiseGraphicError(GraphicErrorKind::BadStreamPosition);
    }
    const std::int64_t before = stream.GetPosition();
    const std::int64_t target = stream.Seek(std::int64_t{offset}, kOrigins[origin]);
    if (target > std::numeric_limits<std::int32_t>::max()) {
        stream.SetPosition(before);
        RaiseGraphicError(GraphicErrorKind::BadStreamPosition);
    }
    return static_cast<std::int32_t>(target);
}

} // namespace

void ReadBuffer(TStream& stream, void* buffer, std::int64_t count) {
    auto* target = static_cast<std::uint8_t*>(buffer);
    while (count > 0) {
        const auto wanted = static_cast<std::int32_t>(
            std::min<std::int64_t>(count, std::numeric_limits<std::int32_t>::max()));
        const std::int32_t got = stream.Read(target, wanted);
        if (got <= 0) {
            RaiseGraphicError(GraphicErrorKind::StreamNotRead);
        }
        target += got;
        count -= got;
    }
}

TMemoryReadStream::TMemoryReadStream(std::vector<std::uint8_t> bytes) : FBytes(std::move(bytes)) {}

std::int64_t TMemoryReadStream::GetSize() {
    return static_cast<std::int64_t>(FBytes.size());
}

std::int32_t TMemoryReadStream::Read(void* buffer, std::int32_t count) {
    const auto size = static_cast<std::int64_t>(FBytes.size());
    if (count <= 0 || FPosition >= size) {
        return 0;
    }
    const auto got = static_cast<std::int32_t>(std::min<std::int64_t>(count, size - FPosition));
    std::memcpy(buffer, FBytes.data() + FPosition, static_cast<std::size_t>(got));
    FPosition += got;
    return got;
}

std::int32_t TMemoryReadStream::Write(const void*, std::int32_t) {
    return 0;
}

std::int32_t TMemoryReadStream::Seek(std::int32_t offset, std::uint16_t origin) {
    return seekNarrow(*this, offset, origin);
}

std::int64_t TMemoryReadStream::Seek(std::int64_t offset, SeekOrigin origin) {
    switch (origin) {
    case SeekOrigin::Beginning:
        FPosition = checkedTarget(0, offset);
        break;
    case SeekOrigin::Current:
        FPosition = checkedTarget(FPosition, offset);
        break;
    case SeekOrigin::End:
        FPosition = checkedTarget(static_cast<std::int64_t>(FBytes.size()), offset);
        break;
    }
    return FPosition;
}

TFileReadStream::TFileReadStream(const QString& fileName) : FFile(fileName) {
    if (!FFile.open(QIODevice::ReadOnly)) {
        RaiseGraphicError(GraphicErrorKind::FileNotOpened, {fileName.toStdString()});
    }
}

std::int64_t TFileReadStream::GetSize() {
    return FFile.size();
}

std::int32_t TFileReadStream::Read(void* buffer, std::int32_t count) {
    if (count <= 0) {
        return 0;
    }
    const qint64 got = FFile.read(static_cast<char*>(buffer), count);
    if (got < 0) {
        RaiseGraphicError(GraphicErrorKind::StreamNotRead);
    }
    return static_cast<std::int32_t>(got);
}

std::int32_t TFileReadStream::Write(const void*, std::int32_t) {
    return 0;
}

std::int32_t TFileReadStream::Seek(std::int32_t offset, std::uint16_t origin) {
    return seekNarrow(*this, offset, origin);
}

std::int64_t TFileReadStream::Seek(std::int64_t offset, SeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == SeekOrigin::Current) {
        base = FFile.pos();
    } else if (origin == SeekOrigin::End) {
        base = FFile.size();
    }
    const std::int64_t target = checkedTarget(base, offset);
    if (!FFile.seek(target)) {
        RaiseGraphicError(GraphicErrorKind::BadStreamPosition);
    }
    return target;
}

} // namespace tallix::graphics
