#pragma once

#include "graphics/ReadStream.h"

#include <QIODevice>

#include <cstdint>

namespace tallix::graphics {

// A read-only device over a stream, starting at the stream's position when it is made: Qt's
// image readers take from it the pieces they need instead of a copy of the whole file. A failed
// read of the stream is a failed read of the device.
class StreamDevice : public QIODevice {
public:
    explicit StreamDevice(TStream& stream);

    bool isSequential() const override { return false; }
    qint64 size() const override;
    bool seek(qint64 position) override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    TStream* m_stream;
    std::int64_t m_start;
};

} // namespace tallix::graphics
