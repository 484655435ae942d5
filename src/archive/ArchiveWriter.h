#pragma once

#include "archive/ArchiveError.h"
#include "archive/FilesList.h"

#include <QByteArray>
#include <QString>

#include <string_view>

namespace tallix::archive {

// Writes a complete archive member by member: the header, then per member its record, its name
// and its data, with DataOffset right after the name and the member count in the header.
// The archive is assembled in memory and replaces the target file in one step on Commit, so a
// failure (a full disk included) leaves an existing file intact.
class ArchiveWriter {
public:
    explicit ArchiveWriter(const QString& fileName);

    // A new member, numbered one above the highest member number so far.
    void addMember(std::string_view name, std::string_view data);
    // A member taken over from another archive: its number, flag and further record bytes stay.
    void addMember(std::string_view name, std::string_view data, const TFileEntry& original);
    void commit();

    const TfilesList& files() const { return m_files; }

private:
    void writeHeader();
    void writeEntry(int index, std::string_view data);
    void writeBytes(std::string_view bytes);

    QString m_fileName;
    QByteArray m_bytes;
    TfilesList m_files;
};

} // namespace tallix::archive
