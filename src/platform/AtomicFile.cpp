#include "platform/AtomicFile.h"

#include "platform/NativeFileNames.h"
#include "platform/NativeFiles.h"

#include <optional>

#ifdef _WIN32
#include <QSaveFile>
#else
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tallix::platform {

#ifndef _WIN32

namespace {

// Our temporary files carry a mark of their own, so that clearing up after a cut-short save can
// never take a file of the user's such as "nums.txt.backup".
constexpr char kTemporaryMark[] = ".tallix-";
constexpr int kTemporaryRandomLength = 6;
// As deep as the system itself follows a chain of links.
constexpr int kMaxLinkDepth = 40;

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

// An existing file we have no right to write must keep its content.
bool mayReplace(const QByteArray& path) {
    return ::access(path.constData(), F_OK) != 0 || ::access(path.constData(), W_OK) == 0;
}

// Makes a finished rename durable: until the folder itself reaches the disk, a power cut can
// bring back the old name. Some file systems cannot flush a folder; the file is in place all the
// same, so that is no failure of the save.
void syncFolderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0    ? QByteArray(".")
                              : slash == 0 ? QByteArray("/")
                                           : path.left(slash);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool isLink(const QByteArray& path) {
    struct stat link {};
    return ::lstat(path.constData(), &link) == 0 && S_ISLNK(link.st_mode);
}

std::optional<QByteArray> readLink(const QByteArray& path) {
    QByteArray target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.constData(), target.data(), target.size());
    if (length < 0 || length >= target.size())
        return std::nullopt;
    target.truncate(length);
    return target;
}

// A temporary file beside the target, removed again unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const QByteArray& target)
        : m_path(target + kTemporaryMark + QByteArray(kTemporaryRandomLength, 'X')) {
        m_fd = ::mkostemp(m_path.data(), O_CLOEXEC);
    }
    ~TemporaryFile() {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_renamed)
            ::unlink(m_path.constData());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool valid() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    bool closeFile() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }
    bool renameTo(const QByteArray& target) {
        m_renamed = ::rename(m_path.constData(), target.constData()) == 0;
        return m_renamed;
    }

private:
    QByteArray m_path;
    int m_fd = -1;
    bool m_renamed = false;
};

} // namespace

QString finalLinkTarget(const QString& fileName) {
    QByteArray path = fileNameToBytes(fileName);
    for (int depth = 0; depth < kMaxLinkDepth && isLink(path); ++depth) {
        const std::optional<QByteArray> target = readLink(path);
        if (!target)
            break;
        if (target->startsWith('/'))
            path = *target;
        else
            path = path.left(path.lastIndexOf('/') + 1) + *target;
    }
    return fileNameFromBytes(path);
}

bool writeFileAtomically(const QString& fileName, const QByteArray& bytes, QString* error) {
    const QByteArray target = fileNameToBytes(finalLinkTarget(fileName));
    // Still a link: the chain loops or runs too deep, and no file at its end can be written.
    const int refusal = isLink(target) ? ELOOP : !mayReplace(target) ? EACCES : 0;
    if (refusal != 0) {
        if (error)
            *error = systemError(refusal);
        return false;
    }
    TemporaryFile temporary(target);
    const bool done = temporary.valid() && ::fchmod(temporary.fd(), modeForNewFile(target)) == 0 &&
                      writeAll(temporary.fd(), bytes) && ::fsync(temporary.fd()) == 0 &&
                      temporary.closeFile() && temporary.renameTo(target);
    if (!done && error)
        *error = systemError(errno);
    if (done)
        syncFolderOf(target);
    return done;
}

void removeStaleTemporaries(const QString& fileName) {
    // Listed and removed by the file-name layer: the folder's name may hold bytes that are no
    // text.
    const QString target = finalLinkTarget(fileName);
    const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash <= 0 ? QStringLiteral("/") : target.left(slash);
    const QString prefix = target.mid(slash + 1) + QLatin1String(kTemporaryMark);
    for (const QString& name : folderEntries(folder)) {
        const QString path = folder + QLatin1Char('/') + name;
        if (name.startsWith(prefix) && name.size() == prefix.size() + kTemporaryRandomLength &&
            fileKind(path) == FileKind::Regular && symbolicLinkTarget(path).isEmpty())
            removeFile(path);
    }
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

QString finalLinkTarget(const QString& fileName) {
    return fileName;
}

void removeStaleTemporaries(const QString&) {}

#endif

} // namespace tallix::platform
