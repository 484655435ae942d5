#include "archive/ArchiveWriter.h"

#include "archive/ArchiveLayout.h"
#include "platform/AtomicFile.h"

#include <algorithm>
#include <string>

namespace tallix::archive {

ArchiveWriter::ArchiveWriter(const QString& fileName) : m_fileName(fileName) {
    writeHeader();
}

void ArchiveWriter::addMember(std::string_view name, std::string_view data) {
    writeEntry(m_files.AddObject(name), data);
}

void ArchiveWriter::addMember(std::string_view name, std::string_view data,
                              const TFileEntry& original) {
    const int index = m_files.AddObject(name, original);
    m_files.SetEntryNameLength(index, static_cast<std::int32_t>(name.size()));
    writeEntry(index, data);
}

void ArchiveWriter::commit() {
    writeHeader();
    QString reason;
    if (!platform::writeFileAtomically(m_fileName, m_bytes, &reason))
        throw EArchiveWriteError(m_fileName.toStdString(), reason.toStdString());
}

// Written once as a placeholder at the start and again with the final count; its length never
// changes.
void ArchiveWriter::writeHeader() {
    std::string header(layout::kFileTag);
    // The stored archive size is the file's length right after the first tag: always 4 here.
    header += layout::encodeHeaderAfterFileTag(
        layout::kTagSize, m_files.Count(), layout::formatTimeStamp(QDateTime::currentDateTime()));
    if (m_bytes.isEmpty())
        writeBytes(header);
    else
        std::copy(header.begin(), header.end(), m_bytes.begin());
}

void ArchiveWriter::writeEntry(int index, std::string_view data) {
    TFileEntry& record = *m_files.Objects(index);
    const std::string& name = m_files.Strings(index);
    record.SetDataOffset(m_bytes.size() +
                         static_cast<std::int64_t>(TFileEntry::kSize + name.size()));
    record.SetDataSize(static_cast<std::int64_t>(data.size()));
    writeBytes({reinterpret_cast<const char*>(record.bytes.data()), record.bytes.size()});
    writeBytes(name);
    writeBytes(data);
}

void ArchiveWriter::writeBytes(std::string_view bytes) {
    m_bytes.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace tallix::archive
