#include "archive/ArchiveLayout.h"

#include "archive/LittleEndian.h"

#include <array>
#include <cstdio>

namespace tallix::archive::layout {

namespace {
template <typename Int> void appendLittleEndian(std::string& bytes, Int value) {
    std::array<unsigned char, sizeof(Int)> encoded{};
    storeLittleEndian(encoded.data(), value);
    bytes.append(reinterpret_cast<const char*>(encoded.data()), encoded.size());
}
} // namespace

std::string formatTimeStamp(const QDateTime& moment) {
    const QDate date = moment.date();
    const QTime time = moment.time();
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%04d%02d%02d%02d%02d%02d%02d", date.year(),
                  date.month(), date.day(), time.hour(), time.minute(), time.second(), time.msec());
    return std::string(text.data()).substr(0, kTimeStampLength);
}

std::string encodeHeaderAfterFileTag(std::int64_t archiveSize, std::int64_t count,
                                     std::string_view timeStamp) {
    std::string bytes;
    bytes.reserve(kHeaderSize - kTagSize);
    appendLittleEndian(bytes, archiveSize);
    bytes.append(kHeaderTag);
    appendLittleEndian(bytes, kHeaderBodyLength);
    appendLittleEndian(bytes, count);
    std::string stamp(timeStamp.substr(0, kTimeStampLength));
    stamp.resize(kTimeStampLength, '0');
    bytes.append(stamp);
    bytes.append(kDataTag);
    return bytes;
}

} // namespace tallix::archive::layout
