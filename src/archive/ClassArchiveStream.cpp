#include "archive/ClassArchiveStream.h"

#include "archive/ArchiveLayout.h"
#include "archive/BlockReader.h"
#include "platform/FileLock.h"
#include "platform/RegularFile.h"

#include <QDateTime>

#include <array>
#include <optional>

namespace tallix::archive {

namespace {

using platform::RegularFile;

[[noreturn]] void raiseOpenError(const QString& fileName, const RegularFile& file) {
    const RegularFile::Failure failure = file.failure();
    const std::string reason =
        failure == RegularFile::Failure::Missing  ? archiveErrorText(ArchiveErrorKind::FileMissing)
        : failure == RegularFile::Failure::Folder ? archiveErrorText(ArchiveErrorKind::FileIsFolder)
        : failure == RegularFile::Failure::NotRegular
            ? archiveErrorText(ArchiveErrorKind::FileNotRegular)
            : file.errorString().toStdString();
    throw EFOpenError(fileName.toStdString(), reason);
}

std::int32_t low32(std::int64_t value) {
    return static_cast<std::int32_t>(value);
}

// The 32-bit seek works in wrapping 32-bit arithmetic, as its callers expect of it.
std::int32_t add32(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

std::int32_t subtract32(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

std::optional<std::int64_t> checkedAdd(std::int64_t a, std::int64_t b) {
    if ((b > 0 && a > INT64_MAX - b) || (b < 0 && a < INT64_MIN - b))
        return std::nullopt;
    return a + b;
}

std::optional<std::int64_t> checkedSubtract(std::int64_t a, std::int64_t b) {
    if ((b < 0 && a > INT64_MAX + b) || (b > 0 && a < INT64_MIN + b))
        return std::nullopt;
    return a - b;
}

// Up to `length` bytes from the file's current position; fewer at its end.
std::string readUpTo(QFile& file, std::int64_t length) {
    std::string bytes(static_cast<std::size_t>(length), '\0');
    const qint64 got = file.read(bytes.data(), length);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}

// Read straight into its bytes, never more than they hold; a short read at the file's end leaves
// the missing high bytes zero.
template <typename Int> Int readInteger(QFile& file) {
    std::array<char, sizeof(Int)> bytes{};
    file.read(bytes.data(), static_cast<qint64>(bytes.size()));
    return loadLittleEndian<Int>(reinterpret_cast<const unsigned char*>(bytes.data()));
}

} // namespace

TArchiveStream::TArchiveStream(const QString& fileName, Opening opening)
    : FStream(std::make_unique<QFile>()) {
    if (opening == Opening::ReadOnly || !OpenForWriting(fileName, opening == Opening::ReadWrite))
        OpenForReading(fileName);
    Reload();
}

// Unless writing is `required`, false when this user may not write the file or another writer
// holds it; every other failure is raised.
bool TArchiveStream::OpenForWriting(const QString& fileName, bool required) {
    RegularFile file(fileName, RegularFile::Access::ReadWrite);
    if (!file.isOpen()) {
        if (!required && file.failure() == RegularFile::Failure::NoRights)
            return false;
        raiseOpenError(fileName, file);
    }
    FStream->open(file.releaseHandle(), QIODevice::ReadWrite | QIODevice::Unbuffered,
                  QFileDevice::AutoCloseHandle);
    if (platform::tryLockExclusive(FStream->handle()))
        return true;
    FStream->close();
    if (required)
        throw EFOpenError(fileName.toStdString(),
                          archiveErrorText(ArchiveErrorKind::FileHeldByWriter));
    return false;
}

void TArchiveStream::OpenForReading(const QString& fileName) {
    RegularFile file(fileName, RegularFile::Access::Read);
    if (!file.isOpen())
        raiseOpenError(fileName, file);
    FStream->open(file.releaseHandle(), QIODevice::ReadOnly | QIODevice::Unbuffered,
                  QFileDevice::AutoCloseHandle);
}

TArchiveStream::~TArchiveStream() = default;

void TArchiveStream::Reload() {
    if (FStream->size() == 0 && !Writable()) {
        FFiles.Clear();
        FCount = 0;
        FIndex = -1;
        return;
    }
    if (FStream->size() == 0) {
        ResetArchive();
        return;
    }
    ReadHeader();
    ReadDirectory();
    FIndex = -1;
}

void TArchiveStream::ResetArchive() {
    // The header records the member list's count, so the list must be emptied first: an
    // archive reset while members were listed would otherwise claim entries it does not hold.
    FFiles.Clear();
    FIndex = -1;
    if (!FStream->resize(0))
        raiseArchiveError(ArchiveErrorKind::HeaderNotWritten);
    MoveFileTo(0);
    WriteHeader(*FStream);
    Reload();
}

void TArchiveStream::ReadHeader() {
    MoveFileTo(0);
    const std::string fileTag = readUpTo(*FStream, layout::kTagSize);
    if (fileTag != layout::kFileTag)
        raiseArchiveError(ArchiveErrorKind::BadFileTag, {fileTag});
    FArchiveSize = readInteger<std::int64_t>(*FStream);
    const std::string headerTag = readUpTo(*FStream, layout::kTagSize);
    if (headerTag != layout::kHeaderTag)
        raiseArchiveError(ArchiveErrorKind::BadHeaderTag, {headerTag});
    const std::int64_t bodyStart = FStream->pos();
    const auto bodyLength = readInteger<std::int32_t>(*FStream);
    FCount = readInteger<std::int64_t>(*FStream);
    FTimeStamp = readUpTo(*FStream, layout::kTimeStampLength);
    const std::string dataTag = ReadTagAt(bodyStart + layout::kTagSize + bodyLength);
    if (dataTag != layout::kDataTag)
        raiseArchiveError(ArchiveErrorKind::BadDataTag, {dataTag});
}

std::string TArchiveStream::ReadTagAt(std::int64_t position) {
    // A body length pointing before the file's start finds no tag rather than a seek error.
    if (position < 0 || !FStream->seek(position))
        return {};
    return readUpTo(*FStream, layout::kTagSize);
}

// Every count and length is checked against what is left of the file before it is used, so
// that a damaged or hostile file is refused instead of read as garbage, looped over, or
// allowed to size an allocation.
void TArchiveStream::ReadDirectory() {
    BlockReader reader(*FStream, FStream->pos(), FStream->size());
    const std::int32_t count = low32(FCount);
    TfilesList members;
    if (count > 0) {
        if (count > reader.remaining() / static_cast<std::int64_t>(TFileEntry::kSize))
            raiseArchiveError(ArchiveErrorKind::CountPastEnd, {count});
        members.Reserve(static_cast<std::size_t>(count));
    }
    for (std::int32_t i = 0; i < count; ++i) {
        if (reader.remaining() < static_cast<std::int64_t>(TFileEntry::kSize))
            raiseArchiveError(ArchiveErrorKind::CountPastEnd, {count});
        TFileEntry record;
        const std::string_view recordBytes = reader.take(TFileEntry::kSize);
        std::copy(recordBytes.begin(), recordBytes.end(), record.bytes.begin());
        const std::int32_t nameLength = record.NameLength();
        if (nameLength < 0 || nameLength > reader.remaining())
            raiseArchiveError(ArchiveErrorKind::BadNameLength, {"Reload", nameLength});
        const std::string_view name = reader.take(static_cast<std::size_t>(nameLength));
        const std::int64_t dataSize = record.DataSize();
        if (dataSize < 0 || dataSize > reader.remaining())
            raiseArchiveError(ArchiveErrorKind::BadDataSize, {dataSize});
        members.AddObject(name, record);
        reader.skip(dataSize);
    }
    MoveFileTo(reader.position());
    FFiles = std::move(members);
}

void TArchiveStream::WriteHeader(QIODevice& stream) {
    if (!stream.seek(0) ||
        stream.write(layout::kFileTag.data(), layout::kTagSize) != layout::kTagSize)
        raiseArchiveError(ArchiveErrorKind::HeaderNotWritten);
    FArchiveSize = stream.size();
    FCount = FFiles.Count();
    FTimeStamp = layout::formatTimeStamp(QDateTime::currentDateTime());
    const std::string rest = layout::encodeHeaderAfterFileTag(FArchiveSize, FCount, FTimeStamp);
    if (stream.write(rest.data(), static_cast<qint64>(rest.size())) !=
        static_cast<qint64>(rest.size()))
        raiseArchiveError(ArchiveErrorKind::HeaderNotWritten);
}

std::int32_t TArchiveStream::Read(void* buffer, std::int32_t count) {
    if (count < 0)
        raiseArchiveError(ArchiveErrorKind::NegativeCount, {count});
    if (FIndex == -1)
        raiseArchiveError(ArchiveErrorKind::NoReadIndex);
    const qint64 got = FStream->read(static_cast<char*>(buffer), count);
    if (got < 0)
        raiseArchiveError(ArchiveErrorKind::Unreadable, {"Read"});
    return static_cast<std::int32_t>(got);
}

std::int32_t TArchiveStream::Write(const void*, std::int32_t) {
    raiseArchiveError(ArchiveErrorKind::WriteNotSupported);
}

const TFileEntry& TArchiveStream::SelectedEntry() const {
    if (FIndex == -1)
        raiseArchiveError(ArchiveErrorKind::NoSeekIndex);
    return *FFiles.Objects(FIndex);
}

std::int32_t TArchiveStream::Seek(std::int32_t offset, std::uint16_t origin) {
    const TFileEntry& entry = SelectedEntry();
    const std::int32_t start = low32(entry.DataOffset());
    const std::int32_t end = add32(start, low32(entry.DataSize()));
    std::int32_t target = 0;
    switch (origin) {
    case 0:
        target = add32(start, offset);
        break;
    case 1:
        target = add32(low32(FStream->pos()), offset);
        break;
    case 2:
        target = add32(end, offset);
        break;
    default:
        break;
    }
    if (target < start)
        target = start;
    else if (target >= end)
        target = end;
    if (target != FStream->pos())
        MoveFileTo(target);
    return subtract32(target, start);
}

std::int64_t TArchiveStream::Seek(std::int64_t offset, SeekOrigin origin) {
    const TFileEntry& entry = SelectedEntry();
    const std::int64_t start = entry.DataOffset();
    const std::optional<std::int64_t> end = checkedAdd(start, entry.DataSize());
    std::optional<std::int64_t> target = 0;
    switch (origin) {
    case SeekOrigin::Beginning:
        target = checkedAdd(start, offset);
        break;
    case SeekOrigin::Current:
        target = checkedAdd(FStream->pos(), offset);
        break;
    case SeekOrigin::End:
        target = end ? checkedSubtract(*end, offset) : std::nullopt;
        break;
    }
    if (!target || !end || *target < start || *target >= *end)
        raiseArchiveError(ArchiveErrorKind::SeekOutsideMember);
    if (*target != FStream->pos())
        MoveFileTo(*target);
    return *target - start;
}

int TArchiveStream::SelectMember(int index) {
    if (index < 0 || index >= FFiles.Count())
        raiseArchiveError(ArchiveErrorKind::MemberIndexOutOfRange, {index});
    const TFileEntry& entry = *FFiles.Objects(index);
    const std::int64_t fileSize = FStream->size();
    const std::int64_t start = entry.DataOffset();
    const std::int64_t size = entry.DataSize();
    if (start < 0 || size < 0 || start > fileSize || size > fileSize - start)
        raiseArchiveError(ArchiveErrorKind::MemberOutsideFile, {FFiles.Strings(index)});
    MoveFileTo(start);
    FIndex = index;
    return index;
}

int TArchiveStream::SelectMember(std::string_view name) {
    const int index = FFiles.IndexOf(name);
    if (index == -1)
        raiseArchiveError(ArchiveErrorKind::MemberNotFound, {name});
    return SelectMember(index);
}

void TArchiveStream::MoveFileTo(std::int64_t position) {
    if (position < 0 || !FStream->seek(position))
        raiseArchiveError(ArchiveErrorKind::SeekOutsideMember);
}

} // namespace tallix::archive
