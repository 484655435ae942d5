#include "ArchiveWriter.h"

#include "ArchiveLayout.h"

#include <string>

namespace tallix::archive {

namespace {
std::string cannotWrite(std::string_view fileName) {
    return std::string("ファイル \"").append(fileName).append("\" に書き込めません。");
}
} // namespace

EArchiveWriteError::EArchiveWriteError(std::string_view fileName, std::string_view reason)
    : std::runtime_error(cannotWrite(fileName).append(reason)) {}

ArchiveWriter::ArchiveWriter(const QString& fileName) : FFile(fileName) {
    // Unbuffered, so that a disk that fills up shows as a short write at once: a buffered
    // QSaveFile can lose that error at its final flush and commit a truncated file.
    if (!FFile.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        Fail();
    WriteHeader();
}

void ArchiveWriter::AddMember(std::string_view name, std::string_view data) {
    WriteEntry(FFiles.AddObject(name), data);
}

void ArchiveWriter::AddMember(std::string_view name, std::string_view data,
                              const TFileEntry& original) {
    const int index = FFiles.AddObject(name, original);
    FFiles.SetEntryNameLength(index, static_cast<std::int32_t>(name.size()));
    WriteEntry(index, data);
}

void ArchiveWriter::Commit() {
    WriteHeader();
    if (!FFile.commit())
        Fail();
}

// Written once as a placeholder when the file is opened and again with the final count.
void ArchiveWriter::WriteHeader() {
    const std::int64_t endOfEntries = FPosition;
    if (!FFile.seek(0))
        Fail();
    FPosition = 0;
    WriteBytes(layout::FileTag);
    // The stored archive size is the file's length right after the first tag: always 4 here.
    WriteBytes(layout::encodeHeaderAfterFileTag(
        layout::TagSize, FFiles.Count(), layout::formatTimeStamp(QDateTime::currentDateTime())));
    if (endOfEntries > FPosition) {
        if (!FFile.seek(endOfEntries))
            Fail();
        FPosition = endOfEntries;
    }
}

void ArchiveWriter::WriteEntry(int index, std::string_view data) {
    TFileEntry& record = *FFiles.Objects(index);
    const std::string& name = FFiles.Strings(index);
    record.SetDataOffset(FPosition + static_cast<std::int64_t>(TFileEntry::Size + name.size()));
    record.SetDataSize(static_cast<std::int64_t>(data.size()));
    WriteBytes({reinterpret_cast<const char*>(record.bytes.data()), record.bytes.size()});
    WriteBytes(name);
    WriteBytes(data);
}

void ArchiveWriter::WriteBytes(std::string_view bytes) {
    const auto length = static_cast<qint64>(bytes.size());
    if (FFile.write(bytes.data(), length) != length)
        Fail();
    FPosition += length;
}

void ArchiveWriter::Fail() {
    const std::string reason = FFile.errorString().toStdString();
    FFile.cancelWriting();
    throw EArchiveWriteError(FFile.fileName().toStdString(), reason);
}

} // namespace tallix::archive
