#include "AtomicFile.h"

#include "NativeFileNames.h"

#include <QFile>
#include <QFileInfo>

#ifdef _WIN32
#include <QSaveFile>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tallix::platform {

#ifndef _WIN32

namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// Writes every byte or fails: a short write is retried, and a write that then fails is an error.
bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    size_t left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

mode_t modeForNewFile(const QByteArray& path) {
    struct stat existing {};
    if (::stat(path.constData(), &existing) == 0)
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A temporary file beside the target, removed again unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const QByteArray& target) : path_(target + ".XXXXXX") {
        fd_ = ::mkstemp(path_.data());
    }
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!renamed_)
            ::unlink(path_.constData());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    bool closeFile() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }
    bool renameTo(const QByteArray& target) {
        renamed_ = ::rename(path_.constData(), target.constData()) == 0;
        return renamed_;
    }

private:
    QByteArray path_;
    int fd_ = -1;
    bool renamed_ = false;
};

} // namespace

bool writeFileAtomically(const QString& fileName, const QByteArray& bytes, QString* error) {
    // Write through a symbolic link to the file it names, as an editor would.
    const QString resolved =
        QFileInfo(fileName).isSymLink() ? QFileInfo(fileName).symLinkTarget() : fileName;
    const QByteArray target = fileNameToBytes(resolved);
    TemporaryFile temporary(target);
    const bool done = temporary.valid() && ::fchmod(temporary.fd(), modeForNewFile(target)) == 0 &&
                      writeAll(temporary.fd(), bytes) && ::fsync(temporary.fd()) == 0 &&
                      temporary.closeFile() && temporary.renameTo(target);
    if (!done && error)
        *error = systemError(errno);
    return done;
}

#else

bool writeFileAtomically(const QString& fileName, const QByteArray& bytes, QString* error) {
    QSaveFile file(fileName);
    const bool done =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!done && error)
        *error = file.errorString();
    return done;
}

#endif

} // namespace tallix::platform
