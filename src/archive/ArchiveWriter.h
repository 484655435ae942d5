#pragma once

#include "archive/ArchiveError.h"
#include "archive/FilesList.h"
#include "platform/AtomicFile.h"

#include <QString>

#include <cstdint>
#include <string_view>

namespace tallix::archive {

// Writes a complete archive member by member: the header, then per member its record, its name
// and its data, with DataOffset right after the name and the member count in the header.
// The archive goes to a new file as it is written, data in pieces of any size, so that memory
// stays small whatever the members hold; that file replaces the target in one step on commit,
// so a failure (a full disk included) leaves an existing file intact.
class ArchiveWriter {
public:
    explicit ArchiveWriter(const QString& fileName);

    // A new member of `size` bytes, numbered one above the highest member number so far; its
    // data follows through writeData.
    void beginMember(std::string_view name, std::int64_t size);
    // A member taken over from another archive: its number, flag and further record bytes stay.
    void beginMember(std::string_view name, std::int64_t size, const TFileEntry& original);
    // The next bytes of the member begun last; more than its size is refused.
    void writeData(std::string_view data);

    void addMember(std::string_view name, std::string_view data);
    void addMember(std::string_view name, std::string_view data, const TFileEntry& original);
    // Refused while a member lacks data.
    void commit();

    const TfilesList& files() const { return m_files; }

private:
    void writeHeader();
    void writeEntry(int index, std::int64_t size);
    void writeBytes(std::string_view bytes);
    void requireMemberComplete() const;

    QString m_fileName;
    platform::AtomicFileWriter m_file;
    std::int64_t m_length = 0;
    std::int64_t m_dataLeft = 0;
    std::int32_t m_highestId = 0;
    TfilesList m_files;
};

} // namespace tallix::archive
