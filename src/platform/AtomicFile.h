#pragma once

#include <QByteArray>
#include <QString>

namespace tallix::platform {

// Replaces a file by the given bytes in one step: the bytes go to a new file beside it, are
// checked to have reached the disk in full, and only then take the old file's name. On any
// failure (full disk, no rights, a file size limit) the old file stays exactly as it was, no
// temporary file is left behind, and `error` tells why.
//
// Qt's QSaveFile is not used because it reports success after a short write (a disk that fills
// up half-way), committing a truncated file.
bool writeFileAtomically(const QString& fileName, const QByteArray& bytes, QString* error);

} // namespace tallix::platform
