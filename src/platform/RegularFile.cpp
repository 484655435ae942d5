#include "platform/RegularFile.h"

#include "platform/NativeFileNames.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallix::platform {

RegularFile::RegularFile(const QString& fileName, Access access) {
    // Not blocking: opening a FIFO would otherwise wait for a writer for ever.
    const int flags =
        (access == Access::Read ? O_RDONLY : O_RDWR) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const int fd = ::open(fileNameToBytes(fileName).constData(), flags);
    if (fd < 0) {
        const int code = errno;
        const Failure failure = code == ENOENT   ? Failure::Missing
                                : code == EISDIR ? Failure::Folder
                                : code == EACCES || code == EPERM || code == EROFS
                                    ? Failure::NoRights
                                    : Failure::Other;
        fail(failure, code);
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int code = errno;
        ::close(fd);
        if (S_ISDIR(info.st_mode))
            fail(Failure::Folder, EISDIR);
        else
            fail(Failure::NotRegular, code);
        return;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_fd = fd;
    m_size = info.st_size;
}

RegularFile::~RegularFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void RegularFile::fail(Failure failure, int errorCode) {
    m_failure = failure;
    m_error = failure == Failure::NotRegular ? QStringLiteral("not a regular file")
                                             : systemErrorText(errorCode);
}

std::int64_t RegularFile::read(char* data, std::int64_t size) {
    for (;;) {
        const ssize_t got = ::read(m_fd, data, static_cast<size_t>(size));
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

int RegularFile::releaseHandle() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

} // namespace tallix::platform
