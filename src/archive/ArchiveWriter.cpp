#include "archive/ArchiveWriter.h"

#include "archive/ArchiveLayout.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace tallix::archive {

ArchiveWriter::ArchiveWriter(const QString& fileName) : m_fileName(fileName), m_file(fileName) {
    writeHeader();
}

// The number is kept here rather than searched for in the list, so that adding many members
// takes time in proportion to their count.
void ArchiveWriter::beginMember(std::string_view name, std::int64_t size) {
    TFileEntry record;
    record.SetID(static_cast<std::int32_t>(static_cast<std::uint32_t>(m_highestId) + 1u));
    record.SetFlag(1);
    beginMember(name, size, record);
}

void ArchiveWriter::beginMember(std::string_view name, std::int64_t size,
                                const TFileEntry& original) {
    requireMemberComplete();
    if (size < 0)
        throw std::invalid_argument("negative member size");
    const int index = m_files.AddObject(name, original);
    m_files.SetEntryNameLength(index, static_cast<std::int32_t>(name.size()));
    m_highestId = std::max(m_highestId, original.ID());
    writeEntry(index, size);
}

void ArchiveWriter::writeData(std::string_view data) {
    if (static_cast<std::int64_t>(data.size()) > m_dataLeft)
        throw std::logic_error("more data than the member's size");
    writeBytes(data);
    m_dataLeft -= static_cast<std::int64_t>(data.size());
}

void ArchiveWriter::addMember(std::string_view name, std::string_view data) {
    beginMember(name, static_cast<std::int64_t>(data.size()));
    writeData(data);
}

void ArchiveWriter::addMember(std::string_view name, std::string_view data,
                              const TFileEntry& original) {
    beginMember(name, static_cast<std::int64_t>(data.size()), original);
    writeData(data);
}

void ArchiveWriter::requireMemberComplete() const {
    if (m_dataLeft != 0)
        throw std::logic_error("the member before lacks data");
}

void ArchiveWriter::commit() {
    requireMemberComplete();
    writeHeader();
    QString reason;
    if (!m_file.commit(&reason))
        throw EArchiveWriteError(m_fileName.toStdString(), reason.toStdString());
}

// Written once as a placeholder at the start and again with the final count; its length never
// changes.
void ArchiveWriter::writeHeader() {
    std::string header(layout::kFileTag);
    // The stored archive size is the file's length right after the first tag: always 4 here.
    header += layout::encodeHeaderAfterFileTag(
        layout::kTagSize, m_files.Count(), layout::formatTimeStamp(QDateTime::currentDateTime()));
    if (m_length == 0)
        writeBytes(header);
    else
        m_file.writeAt(0, QByteArray::fromStdString(header));
}

void ArchiveWriter::writeEntry(int index, std::int64_t size) {
    TFileEntry& record = *m_files.Objects(index);
    const std::string& name = m_files.Strings(index);
    record.SetDataOffset(m_length + static_cast<std::int64_t>(TFileEntry::kSize + name.size()));
    record.SetDataSize(size);
    writeBytes({reinterpret_cast<const char*>(record.bytes.data()), record.bytes.size()});
    writeBytes(name);
    m_dataLeft = size;
}

void ArchiveWriter::writeBytes(std::string_view bytes) {
    m_file.append(bytes.data(), bytes.size());
    m_length += static_cast<std::int64_t>(bytes.size());
}

} // namespace tallix::archive
