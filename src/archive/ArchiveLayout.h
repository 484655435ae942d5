#pragma once

#include <QDateTime>

#include <cstdint>
#include <string>
#include <string_view>

namespace tallix::archive::layout {

inline constexpr std::string_view kFileTag = "FARC";
inline constexpr std::string_view kHeaderTag = "AHDR";
inline constexpr std::string_view kDataTag = "ADAT";
inline constexpr std::int64_t kTagSize = 4;
// What a reader takes from the header body (count and time stamp); a longer body is skipped.
inline constexpr std::int32_t kHeaderBodyLength = 24;
inline constexpr std::int64_t kTimeStampLength = 16;
inline constexpr std::int64_t kCountOffset = 20;
inline constexpr std::int64_t kHeaderSize = 48;

// "YYYYMMDDHHNNSSZZ": the milliseconds have at least two digits, and the whole is cut to 16
// characters, so 123 ms ends in "12".
std::string formatTimeStamp(const QDateTime& moment);

// The 44 header bytes that follow the "FARC" tag, as the writer lays them out.
std::string encodeHeaderAfterFileTag(std::int64_t archiveSize, std::int64_t count,
                                     std::string_view timeStamp);

} // namespace tallix::archive::layout
