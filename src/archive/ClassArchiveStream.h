#pragma once

#include "archive/ArchiveError.h"
#include "archive/FilesList.h"
#include "archive/Stream.h"

#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tallix::archive {

// One archive file, its member list, and the selected member presented as a read-only stream
// whose positions count from 0 at the member's first data byte.
//
// Opened for writing, the file stays open for reading and writing for the object's whole life
// and no other writer is admitted meanwhile; an empty file is turned into an empty archive on
// opening. Opened for reading only, it takes no lock, so a reader never keeps anyone from
// writing or from starting, and an empty file is read as an empty archive without changing it.
class TArchiveStream : public TStream {
public:
    enum class Opening {
        ReadWrite,
        ReadOnly,
        // Read-write when this user may write the file and no other writer holds it, else
        // read-only: an installed program's archive belongs to root, and a lock anyone could
        // take must not keep the program from starting.
        ReadWriteWhereAllowed,
    };

    // Opens an existing regular file; errors from opening or reading it propagate.
    explicit TArchiveStream(const QString& fileName, Opening opening = Opening::ReadWrite);
    ~TArchiveStream() override;
    TArchiveStream(const TArchiveStream&) = delete;
    TArchiveStream& operator=(const TArchiveStream&) = delete;

    // Reads the header and the member list again; no member is selected afterwards.
    void Reload();
    // Makes the file an empty archive, then reloads it.
    void ResetArchive();

    // Reads from wherever the file stands: the caller positions it with Seek and asks for no
    // more than the member holds.
    std::int32_t Read(void* buffer, std::int32_t count) override;
    // Always fails: the member stream is read-only.
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    // Clamps the target to the member, end position included; never fails once a member is
    // selected. Origin 0, 1, 2 = beginning, current, end.
    std::int32_t Seek(std::int32_t offset, std::uint16_t origin) override;
    // Admits only positions of existing member bytes; from the end, the offset counts back.
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    // Selects a member by its list index or by its exact name (the first one of that name) and
    // moves the file to the member's first data byte. Returns the selected index.
    int SelectMember(int index);
    int SelectMember(std::string_view name);

    // Header reading and writing, also used by Reload and ResetArchive.
    void ReadHeader();
    void WriteHeader(QIODevice& stream);

    const TfilesList& Files() const { return FFiles; }
    std::int64_t ArchiveSize() const { return FArchiveSize; }
    std::int64_t Count() const { return FCount; }
    const std::string& TimeStamp() const { return FTimeStamp; }
    std::int32_t Index() const { return FIndex; }
    bool Writable() const { return FStream->isWritable(); }

private:
    bool OpenForWriting(const QString& fileName, bool required);
    void OpenForReading(const QString& fileName);
    void ReadDirectory();
    std::string ReadTagAt(std::int64_t position);
    void MoveFileTo(std::int64_t position);
    const TFileEntry& SelectedEntry() const;

    std::int64_t FArchiveSize = 0;
    std::int64_t FCount = 0;
    std::string FTimeStamp;
    std::unique_ptr<QFile> FStream;
    std::int32_t FIndex = -1;
    TfilesList FFiles;
};

} // namespace tallix::archive
