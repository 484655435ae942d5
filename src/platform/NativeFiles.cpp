#include "platform/NativeFiles.h"

#include "platform/NativeFileNames.h"

#ifdef _WIN32
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <utility>

namespace tallix::platform {

#ifndef _WIN32

namespace {

// A descriptor closed with its owner.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

FileRead failure(FileRead::Status status, int code) {
    FileRead read;
    read.status = status;
    read.reason = systemErrorText(code);
    return read;
}

} // namespace

FileKind fileKind(const QString& path) {
    struct stat info {};
    if (::stat(fileNameToBytes(path).constData(), &info) != 0)
        return FileKind::Missing;
    if (S_ISREG(info.st_mode))
        return FileKind::Regular;
    return S_ISDIR(info.st_mode) ? FileKind::Folder : FileKind::Other;
}

bool isWritableFile(const QString& path) {
    return ::access(fileNameToBytes(path).constData(), W_OK) == 0;
}

QString canonicalPath(const QString& path) {
    char resolved[PATH_MAX];
    if (!::realpath(fileNameToBytes(path).constData(), resolved))
        return QString();
    return fileNameFromBytes(QByteArray(resolved));
}

QString symbolicLinkTarget(const QString& path) {
    QByteArray target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(fileNameToBytes(path).constData(), target.data(),
                                      static_cast<size_t>(target.size()));
    if (length <= 0 || length >= target.size())
        return QString();
    target.truncate(length);
    return fileNameFromBytes(target);
}

QStringList folderEntries(const QString& folder) {
    QStringList names;
    DIR* dir = ::opendir(fileNameToBytes(folder).constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(fileNameFromBytes(name));
    }
    ::closedir(dir);
    return names;
}

bool removeFile(const QString& path) {
    return ::unlink(fileNameToBytes(path).constData()) == 0;
}

int openFileDescriptor(const QString& path, OpenMode mode, QString* error) {
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    flags |= mode == OpenMode::ReadOnly          ? O_RDONLY
             : mode == OpenMode::ReadWriteCreate ? O_RDWR | O_CREAT
                                                 : O_RDWR;
    Descriptor fd(::open(fileNameToBytes(path).constData(), flags, 0600));
    if (fd.get() < 0) {
        if (error)
            *error = systemErrorText(errno);
        return -1;
    }
    // Non-blocking was only for the open; reads and writes wait as a file's do.
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd.release();
}

FileRead readRegularFile(const QString& path, qint64 maxBytes) {
    // Non-blocking, so that a FIFO nobody writes to is opened and then refused at once.
    Descriptor fd(
        ::open(fileNameToBytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    // A path through something that is no folder names no file either.
    if (fd.get() < 0)
        return failure(errno == ENOENT || errno == ENOTDIR ? FileRead::Status::Missing
                                                           : FileRead::Status::Failed,
                       errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return failure(FileRead::Status::Failed, errno);
    FileRead read;
    if (!S_ISREG(info.st_mode)) {
        read.status = FileRead::Status::NotRegular;
        return read;
    }
    if (info.st_size > maxBytes) {
        read.status = FileRead::Status::TooLarge;
        return read;
    }
    read.bytes.reserve(static_cast<qsizetype>(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return failure(FileRead::Status::Failed, errno);
        if (got == 0)
            break;
        // The file may grow while it is read.
        if (read.bytes.size() + got > maxBytes) {
            read.bytes.clear();
            read.status = FileRead::Status::TooLarge;
            return read;
        }
        read.bytes.append(buffer, got);
    }
    read.status = FileRead::Status::Read;
    return read;
}

#else

FileKind fileKind(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return FileKind::Missing;
    return info.isFile() ? FileKind::Regular : info.isDir() ? FileKind::Folder : FileKind::Other;
}

bool isWritableFile(const QString& path) {
    return QFileInfo(path).isWritable();
}

QString canonicalPath(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

QString symbolicLinkTarget(const QString& path) {
    return QFileInfo(path).symLinkTarget();
}

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

bool removeFile(const QString& path) {
    return QFile::remove(path);
}

int openFileDescriptor(const QString& path, OpenMode mode, QString* error) {
    const int flags = mode == OpenMode::ReadOnly          ? _O_RDONLY
                      : mode == OpenMode::ReadWriteCreate ? _O_RDWR | _O_CREAT
                                                          : _O_RDWR;
    const int fd = _wopen(reinterpret_cast<const wchar_t*>(path.utf16()), flags | _O_BINARY,
                          _S_IREAD | _S_IWRITE);
    if (fd < 0 && error)
        *error = QStringLiteral("cannot open the file");
    return fd;
}

FileRead readRegularFile(const QString& path, qint64 maxBytes) {
    FileRead read;
    const QFileInfo info(path);
    if (!info.exists()) {
        read.status = FileRead::Status::Missing;
        return read;
    }
    if (!info.isFile()) {
        read.status = FileRead::Status::NotRegular;
        return read;
    }
    if (info.size() > maxBytes) {
        read.status = FileRead::Status::TooLarge;
        return read;
    }
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        read.bytes = file.read(maxBytes + 1);
        if (file.error() == QFileDevice::NoError) {
            read.status =
                read.bytes.size() > maxBytes ? FileRead::Status::TooLarge : FileRead::Status::Read;
            return read;
        }
    }
    read.reason = file.errorString();
    return read;
}

#endif

} // namespace tallix::platform
