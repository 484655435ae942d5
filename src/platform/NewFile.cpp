#include "platform/NewFile.h"

#include "platform/NativeFileNames.h"

#include <QFile>

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tallix::platform {

#ifndef _WIN32

namespace {

bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    size_t left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

} // namespace

NewFileResult createNewFile(const QString& fileName, const QByteArray& bytes, QString* error) {
    const QByteArray path = fileNameToBytes(fileName);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0) {
        const int code = errno;
        if (error)
            *error = systemErrorText(code);
        return code == EEXIST ? NewFileResult::NameTaken : NewFileResult::Failed;
    }
    bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int code = written ? 0 : errno;
    if (::close(fd) != 0 && written) {
        written = false;
        code = errno;
    }
    if (written)
        return NewFileResult::Created;
    ::unlink(path.constData());
    if (error)
        *error = systemErrorText(code);
    return NewFileResult::Failed;
}

#else

NewFileResult createNewFile(const QString& fileName, const QByteArray& bytes, QString* error) {
    QFile file(fileName);
    if (file.exists())
        return NewFileResult::NameTaken;
    if (file.open(QIODevice::NewOnly) && file.write(bytes) == bytes.size() && file.flush())
        return NewFileResult::Created;
    if (error)
        *error = file.errorString();
    file.remove();
    return NewFileResult::Failed;
}

#endif

} // namespace tallix::platform
