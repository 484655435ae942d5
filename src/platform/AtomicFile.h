#pragma once

#include <QByteArray>
#include <QString>

namespace tallix::platform {

// Replaces a file by the given bytes in one step: the bytes go to a new file beside it, are
// checked to have reached the disk in full, and only then take the old file's name; the folder
// is then flushed too, so the new name survives a power cut. On any failure (full disk, no
// rights, a file size limit) the old file stays exactly as it was, no temporary file is left
// behind, and `error` tells why.
//
// A file that may not be written (read-only for us) is refused as an in-place write would be,
// although the rename would only need the folder's rights. A symbolic link is followed to the
// end of its chain, and the file found there is the one replaced; the links stay as they are.
//
// Qt's QSaveFile is not used because it reports success after a short write (a disk that fills
// up half-way), committing a truncated file.
bool writeFileAtomically(const QString& fileName, const QByteArray& bytes, QString* error);

// The file a path finally names: each symbolic link of a chain is followed, relative targets
// from the link's own folder. A path that is no link is returned as it is; so is the last link
// of a chain that loops or runs too deep.
QString finalLinkTarget(const QString& fileName);

// Removes what a save of this file that was cut short (killed, power cut) left behind: the
// temporary files beside the file's final target that only writeFileAtomically names so.
// Only safe while no other save of the same file can be running.
void removeStaleTemporaries(const QString& fileName);

} // namespace tallix::platform
