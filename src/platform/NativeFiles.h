#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace tallix::platform {

// The file-system calls for paths named as fileNameFromBytes names them. A folder named in
// Shift-JIS bytes on a UTF-8 system holds characters that Qt's own file classes would turn into
// other bytes, so that they look in, or create, another folder than the one meant. Every path
// that came from the system as bytes (the executable's folder, environment variables, a folder
// recorded in a settings file, a dropped file's name) goes through these calls, never through
// QFile, QFileInfo or QDir. Folders are created by makeFolders (NativeFileNames.h), new files
// by createNewFile (NewFile.h).

enum class FileKind { Missing, Regular, Folder, Other };

// What the path names, links followed; Missing also for a link that leads nowhere.
FileKind fileKind(const QString& path);

inline bool fileExists(const QString& path) {
    return fileKind(path) != FileKind::Missing;
}

// True when this process may write the existing file.
bool isWritableFile(const QString& path);

// The path with every link and "." or ".." resolved, or empty when it does not exist.
QString canonicalPath(const QString& path);

// The target of a symbolic link as written in it, or empty when the path is no link.
QString symbolicLinkTarget(const QString& path);

// The names in a folder ("." and ".." left out), empty when it cannot be read.
QStringList folderEntries(const QString& folder);

bool removeFile(const QString& path);

// Opens a file for a QFile to take over (QFile::open with a descriptor): read-only, read-write,
// or read-write creating it (mode 0600) when it is missing. The open never blocks (a FIFO with no
// writer) and never makes a terminal the controlling one. -1 on failure, with the reason in
// `error` when given.
enum class OpenMode { ReadOnly, ReadWrite, ReadWriteCreate };
int openFileDescriptor(const QString& path, OpenMode mode, QString* error = nullptr);

// Reading a whole file that the user handed over (a text, a setting): only a regular file is
// read, so that a FIFO, a device or a link to one never blocks or floods the program, and only
// up to a size limit.
struct FileRead {
    enum class Status { Read, Missing, NotRegular, TooLarge, Failed };
    Status status = Status::Failed;
    QByteArray bytes;
    QString reason; // the system's reason, for Failed and Missing
};
FileRead readRegularFile(const QString& path, qint64 maxBytes);

} // namespace tallix::platform
