#include "graphics/ReadStream.h"

#include "graphics/GraphicError.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tallix::graphics {

std::int64_t TReadStream::Position() {
    return Seek(0, TSeekOrigin::Current);
}

void TReadStream::SetPosition(std::int64_t position) {
    Seek(position, TSeekOrigin::Beginning);
}

std::int64_t TReadStream::Size() {
    const std::int64_t remembered = Seek(0, TSeekOrigin::Current);
    const std::int64_t size = Seek(0, TSeekOrigin::End);
    Seek(remembered, TSeekOrigin::Beginning);
    return size;
}

void TReadStream::ReadBuffer(void* buffer, std::int64_t count) {
    auto* target = static_cast<std::uint8_t*>(buffer);
    while (count > 0) {
        const std::int64_t got = Read(target, count);
        if (got <= 0) {
            throw EGraphicError("ストリームの読み込みに失敗しました");
        }
        target += got;
        count -= got;
    }
}

std::int64_t TReadStream::CheckedTarget(std::int64_t base, std::int64_t offset) {
    const bool overflows = offset > 0 ? base > std::numeric_limits<std::int64_t>::max() - offset
                                      : base < std::numeric_limits<std::int64_t>::min() - offset;
    if (overflows || base + offset < 0) {
        throw EGraphicError("ストリームの位置が不正です");
    }
    return base + offset;
}

TMemoryReadStream::TMemoryReadStream(std::vector<std::uint8_t> bytes) : FBytes(std::move(bytes)) {}

std::int64_t TMemoryReadStream::Read(void* buffer, std::int64_t count) {
    const auto size = static_cast<std::int64_t>(FBytes.size());
    if (count <= 0 || FPosition >= size) {
        return 0;
    }
    const std::int64_t got = std::min(count, size - FPosition);
    std::memcpy(buffer, FBytes.data() + FPosition, static_cast<std::size_t>(got));
    FPosition += got;
    return got;
}

std::int64_t TMemoryReadStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    switch (origin) {
    case TSeekOrigin::Beginning:
        FPosition = CheckedTarget(0, offset);
        break;
    case TSeekOrigin::Current:
        FPosition = CheckedTarget(FPosition, offset);
        break;
    case TSeekOrigin::End:
        FPosition = CheckedTarget(static_cast<std::int64_t>(FBytes.size()), offset);
        break;
    }
    return FPosition;
}

std::int64_t TMemoryReadStream::Size() {
    return static_cast<std::int64_t>(FBytes.size());
}

TFileReadStream::TFileReadStream(const QString& fileName) : FFile(fileName) {
    if (!FFile.open(QIODevice::ReadOnly)) {
        throw EGraphicError("ファイルを開けません: " + fileName.toStdString());
    }
}

std::int64_t TFileReadStream::Read(void* buffer, std::int64_t count) {
    if (count <= 0) {
        return 0;
    }
    const qint64 got = FFile.read(static_cast<char*>(buffer), count);
    if (got < 0) {
        throw EGraphicError("ストリームの読み込みに失敗しました");
    }
    return got;
}

std::int64_t TFileReadStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == TSeekOrigin::Current) {
        base = FFile.pos();
    } else if (origin == TSeekOrigin::End) {
        base = FFile.size();
    }
    const std::int64_t target = CheckedTarget(base, offset);
    if (!FFile.seek(target)) {
        throw EGraphicError("ストリームの位置が不正です");
    }
    return target;
}

std::int64_t TFileReadStream::Size() {
    return FFile.size();
}

} // namespace tallix::graphics
