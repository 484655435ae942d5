#include "graphics/StreamDevice.h"

#include "graphics/GraphicError.h"

#include <algorithm>
#include <limits>

namespace tallix::graphics {

StreamDevice::StreamDevice(TStream& stream) : m_stream(&stream), m_start(stream.GetPosition()) {}

qint64 StreamDevice::size() const {
    return std::max<std::int64_t>(m_stream->GetSize() - m_start, 0);
}

bool StreamDevice::seek(qint64 position) {
    if (!QIODevice::seek(position)) {
        return false;
    }
    try {
        m_stream->SetPosition(m_start + position);
    } catch (const EGraphicError&) {
        return false;
    }
    return true;
}

// Qt is not built to pass exceptions on.
qint64 StreamDevice::readData(char* data, qint64 maxSize) {
    const auto count = static_cast<std::int32_t>(
        std::min<qint64>(maxSize, std::numeric_limits<std::int32_t>::max()));
    try {
        return m_stream->Read(data, count);
    } catch (const EGraphicError&) {
        return -1;
    }
}

qint64 StreamDevice::writeData(const char*, qint64) {
    return -1;
}

} // namespace tallix::graphics
