#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tallix::archive {

// Every error of the archive stream: "TArchiveStream:", CR LF, then the operation's own text,
// which begins with the operation's name in square brackets.
class EarcSTreamError : public std::runtime_error {
public:
    explicit EarcSTreamError(std::string_view operationText);
};

[[noreturn]] void raiseArchiveError(std::string_view operationText);

// The archive file could not be opened (missing, read-only, a directory, or held by another
// writer). Its text names the file and the reason.
class EFOpenError : public std::runtime_error {
public:
    EFOpenError(std::string_view fileName, std::string_view reason);
};

// An index outside a member list.
class EStringListError : public std::runtime_error {
public:
    explicit EStringListError(std::int64_t index);
};

// The operation texts, kept together so that callers and tests use the same bytes.
namespace messages {
std::string badFileTag(std::string_view tagRead);
std::string badHeaderTag(std::string_view tagRead);
std::string badDataTag(std::string_view tagRead);
std::string countPastEnd(std::int64_t count);
std::string badNameLength(std::string_view operation, std::int64_t nameLength);
std::string badDataSize(std::int64_t dataSize);
std::string unreadable(std::string_view operation);
std::string blobCutShort();
std::string negativeCount(std::int64_t count);
std::string noReadIndex();
std::string noSeekIndex();
std::string seekOutsideMember();
std::string writeNotSupported();
std::string headerNotWritten();
std::string memberIndexOutOfRange(std::int64_t index);
std::string memberNotFound(std::string_view name);
std::string memberOutsideFile(std::string_view name);
} // namespace messages

} // namespace tallix::archive
