#pragma once

#include <QByteArray>
#include <QString>

namespace tallix::platform {

// File names are bytes to the system. Qt turns bytes that are not text in the locale's code set
// (a Shift-JIS name on a UTF-8 system) into U+FFFD, so two names can become one and a name can
// never be opened again. These functions keep such bytes as escape characters of the
// byte-keeping text encoding and hand the system back the exact bytes.
QString fileNameFromBytes(const QByteArray& bytes);
QByteArray fileNameToBytes(const QString& fileName);

// The system's text for an error number, in the locale's language.
QString systemErrorText(int errorCode);

// Reads a whole file named by fileNameFromBytes; false, with the reason in `error`, on failure.
bool readWholeFile(const QString& fileName, QByteArray& bytes, QString* error);

// Who may enter the folders makeFolders creates: whoever the umask lets in, or their owner only.
enum class FolderAccess { Everyone, OwnerOnly };

// Creates a folder and the folders above it that are missing; existing ones are left as they
// are. False, with the reason in `error`, when there is no folder at the end.
bool makeFolders(const QString& folder, QString* error, FolderAccess access);

} // namespace tallix::platform
