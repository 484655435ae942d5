#include "platform/NativeFileNames.h"

#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>

#include <cstring>

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tallix::platform {

QString fileNameFromBytes(const QByteArray& bytes) {
    return *decodeText(bytes, TextEncoding::SystemEscaped);
}

QByteArray fileNameToBytes(const QString& fileName) {
    const std::optional<QByteArray> bytes = encodeText(fileName, TextEncoding::SystemEscaped);
    return bytes ? *bytes : QFile::encodeName(fileName);
}

QString systemErrorText(int errorCode) {
    return QString::fromLocal8Bit(std::strerror(errorCode));
}

#ifndef _WIN32

namespace {

bool fail(QString* error, int code) {
    if (error)
        *error = systemErrorText(code);
    return false;
}

} // namespace

bool readWholeFile(const QString& fileName, QByteArray& bytes, QString* error) {
    const int fd = ::open(fileNameToBytes(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(error, errno);
    bytes.clear();
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int code = errno;
            ::close(fd);
            return fail(error, code);
        }
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    ::close(fd);
    return true;
}

bool makeFolders(const QString& folder, QString* error, FolderAccess access) {
    const QByteArray path = fileNameToBytes(QDir::cleanPath(folder));
    const mode_t mode = access == FolderAccess::OwnerOnly ? S_IRWXU : 0777;
    // Each prefix that ends before a separator, then the whole path.
    for (qsizetype end = 1; end <= path.size(); ++end) {
        if (end < path.size() && path[end] != '/')
            continue;
        const QByteArray prefix = path.left(end);
        if (::mkdir(prefix.constData(), mode) == 0 || errno == EEXIST)
            continue;
        return fail(error, errno);
    }
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return fail(error, errno);
    return S_ISDIR(info.st_mode) || fail(error, ENOTDIR);
}

#else

bool readWholeFile(const QString& fileName, QByteArray& bytes, QString* error) {
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    if (error)
        *error = file.errorString();
    return false;
}

bool makeFolders(const QString& folder, QString* error, FolderAccess) {
    if (QDir().mkpath(folder))
        return true;
    if (error)
        *error = QStringLiteral("cannot create the folder");
    return false;
}

#endif

} // namespace tallix::platform
