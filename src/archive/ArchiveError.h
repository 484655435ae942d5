#pragma once

#include "platform/ErrorText.h"

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tallix::archive {

// Every error text of the archive unit has a kind; the texts themselves are one table, kept
// together so that callers and tests use the same bytes. The details each kind takes, in order,
// follow its name; the others take none.
enum class ArchiveErrorKind {
    BadFileTag,    // the tag read
    BadHeaderTag,  // the tag read
    BadDataTag,    // the tag read
    CountPastEnd,  // the member count
    BadNameLength, // the operation, the name length
    BadDataSize,   // the data size
    Unreadable,    // the operation
    BlobCutShort,
    NegativeCount, // the count
    NoReadIndex,
    NoSeekIndex,
    SeekOutsideMember,
    WriteNotSupported,
    HeaderNotWritten,
    MemberIndexOutOfRange, // the index
    MemberNotFound,        // the name
    MemberOutsideFile,     // the name
    NotOpened,             // the file name, the reason
    FileMissing,           // itself a reason for NotOpened
    FileIsFolder,          // itself a reason for NotOpened
    FileNotRegular,        // itself a reason for NotOpened
    FileHeldByWriter,      // itself a reason for NotOpened
    NotWritten,            // the file name, the reason
    ListIndexOutOfRange,   // the index
};

std::string archiveErrorText(ArchiveErrorKind kind,
                             std::initializer_list<platform::ErrorDetail> details = {});

// Every error of the archive stream: "TArchiveStream:", CR LF, then the operation's own text,
// which begins with the operation's name in square brackets.
class EarcSTreamError : public std::runtime_error {
public:
    explicit EarcSTreamError(std::string_view operationText);
};

[[noreturn]] void raiseArchiveError(ArchiveErrorKind kind,
                                    std::initializer_list<platform::ErrorDetail> details = {});

// The archive file could not be opened (missing, read-only, a directory, or held by another
// writer). Its text names the file and the reason.
class EFOpenError : public std::runtime_error {
public:
    EFOpenError(std::string_view fileName, std::string_view reason);
};

// The archive file could not be written; its text names the file and the reason.
class EArchiveWriteError : public std::runtime_error {
public:
    EArchiveWriteError(std::string_view fileName, std::string_view reason);
};

// An index outside a member list.
class EStringListError : public std::runtime_error {
public:
    explicit EStringListError(std::int64_t index);
};

} // namespace tallix::archive
