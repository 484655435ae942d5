#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tallix::platform {

// Replaces a file by new content in one step: the bytes go to a new file beside it, are checked
// to have reached the disk in full, and only then take the old file's name; the folder is then
// flushed too, so the new name survives a power cut. On any failure (full disk, no rights, a
// file size limit) the old file stays exactly as it was, no temporary file is left behind, and
// the error tells why.
//
// A file that may not be written (read-only for us) is refused as an in-place write would be,
// although the rename would only need the folder's rights. A symbolic link is followed to the
// end of its chain, and the file found there is the one replaced; the links stay as they are.
// Links are followed only as the system itself would: in a folder that anyone may write and
// only owners may delete from (/tmp), a link is followed only when it belongs to us or to the
// folder's owner, so a link planted there by another user never leads our write to their file.
//
// The new file keeps the old one's permissions (never a set-user-ID, set-group-ID or sticky
// bit), its owner and group where the system lets us give them, and its access control list.
// A file that did not exist gets the permissions the process's umask allows.
//
// Qt's QSaveFile is not used because it reports success after a short write (a disk that fills
// up half-way), committing a truncated file.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const QString& fileName);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void append(const char* data, std::size_t size);
    void append(const QByteArray& bytes) {
        append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    // Overwrites bytes already appended.
    void writeAt(std::int64_t offset, const QByteArray& bytes);
    // Puts the new content in place; false, with the reason in `error`, when anything failed.
    bool commit(QString* error);

private:
    struct Temporary;
    std::unique_ptr<Temporary> m_temporary;
};

bool writeFileAtomically(const QString& fileName, const QByteArray& bytes, QString* error);

// The file a path finally names: each symbolic link of a chain is followed, relative targets
// from the link's own folder. A path that is no link is returned as it is; so is the last link
// of a chain that loops, runs too deep or may not be followed (see above).
QString finalLinkTarget(const QString& fileName);

// Removes what a save of this file that was cut short (killed, power cut) left behind: the
// temporary files beside the file's final target that only the atomic writer names so.
// Only safe while no other save of the same file can be running.
void removeStaleTemporaries(const QString& fileName);

// Those temporary files, the newest first, for a look at what they hold before they go.
QStringList leftoverTemporaries(const QString& fileName);

} // namespace tallix::platform
