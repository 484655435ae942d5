#include "platform/AtomicFile.h"

#include "platform/NativeFileNames.h"

#ifdef _WIN32
#include <QSaveFile>
#else
#include "platform/FileOutput.h"

#include <QRandomGenerator>

#include <algorithm>

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>
#endif

namespace tallix::platform {

#ifndef _WIN32

namespace {

// Our temporary files carry a mark of their own, so that clearing up after a cut-short save can
// never take a file of the user's such as "nums.txt.backup".
constexpr char kTemporaryMark[] = ".tallix-";
constexpr int kTemporaryRandomLength = 6;
constexpr char kRandomCharacters[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// The longest file name most file systems take; a long name is shortened in its temporary's
// name so that mark and random part still fit.
constexpr qsizetype kMaxNameLength = 255;
constexpr qsizetype kMaxTemporaryBase =
    kMaxNameLength - static_cast<qsizetype>(sizeof kTemporaryMark - 1) - kTemporaryRandomLength;
// As deep as the system itself follows a chain of links.
constexpr int kMaxLinkDepth = 40;
constexpr char kAccessAclName[] = "system.posix_acl_access";

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray temporaryPrefix(const QByteArray& target) {
    const qsizetype slash = target.lastIndexOf('/');
    return target.mid(slash + 1).left(kMaxTemporaryBase) + kTemporaryMark;
}

std::optional<QByteArray> readLink(const QByteArray& path) {
    QByteArray target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.constData(), target.data(), target.size());
    if (length < 0 || length >= target.size())
        return std::nullopt;
    target.truncate(length);
    return target;
}

// The system's own rule for links in shared folders (fs.protected_symlinks): inside a sticky
// folder that everyone may write, a link is followed only when its owner is the follower or the
// folder's owner.
bool mayFollow(const QByteArray& link, const struct stat& linkInfo) {
    struct stat folder {};
    if (::stat(folderOf(link).constData(), &folder) != 0)
        return false;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || linkInfo.st_uid == ::geteuid() || linkInfo.st_uid == folder.st_uid;
}

struct Resolution {
    QByteArray path;
    int error = 0; // the path is still a link: ELOOP for a loop, EACCES for a refused link
};

Resolution resolveLinks(QByteArray path) {
    for (int depth = 0; depth <= kMaxLinkDepth; ++depth) {
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return {path, 0};
        if (!mayFollow(path, info))
            return {path, EACCES};
        const std::optional<QByteArray> target = readLink(path);
        if (!target || depth == kMaxLinkDepth)
            return {path, ELOOP};
        path = target->startsWith('/') ? *target : path.left(path.lastIndexOf('/') + 1) + *target;
    }
    return {path, ELOOP};
}

// An existing file we have no right to write must keep its content.
bool mayReplace(const QByteArray& path) {
    return ::access(path.constData(), F_OK) != 0 || ::access(path.constData(), W_OK) == 0;
}

// Makes a finished rename durable: until the folder itself reaches the disk, a power cut can
// bring back the old name. Some file systems cannot flush a folder; the file is in place all the
// same, so that is no failure of the save.
void syncFolderOf(const QByteArray& path) {
    const int fd = ::open(folderOf(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

QByteArray randomPart() {
    QByteArray part(kTemporaryRandomLength, 'X');
    for (char& c : part)
        c = kRandomCharacters[QRandomGenerator::system()->bounded(
            static_cast<int>(sizeof kRandomCharacters - 1))];
    return part;
}

// A new file of our own beside the target, never through a link: created exclusively, mode
// 0600 while the old file's rights are still to be copied, else what the umask leaves of 0666.
int createTemporary(const QByteArray& target, bool replacing, QByteArray& path) {
    const QByteArray prefix = folderOf(target) + '/' + temporaryPrefix(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = prefix + randomPart();
        const int fd =
            ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                   replacing ? 0600 : 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Owner, group, rights and access list of the old file, as far as we may give them. A failure
// leaves the new file at 0600, never more open than the old one was.
void copyAttributes(const QByteArray& from, const struct stat& old, int fd) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    (void)::fchmod(fd, old.st_mode & 0777);
    QByteArray acl(4096, '\0');
    const ssize_t length = ::lgetxattr(from.constData(), kAccessAclName, acl.data(), acl.size());
    if (length > 0)
        (void)::fsetxattr(fd, kAccessAclName, acl.constData(), static_cast<size_t>(length), 0);
}

bool isTemporaryName(const QByteArray& name, const QByteArray& prefix) {
    if (name.size() != prefix.size() + kTemporaryRandomLength || !name.startsWith(prefix))
        return false;
    for (const char c : name.mid(prefix.size()))
        if (QByteArray(kRandomCharacters).indexOf(c) < 0)
            return false;
    return true;
}

} // namespace

struct AtomicFileWriter::Temporary {
    QByteArray target;
    QByteArray path;
    std::optional<FileOutput> output;
    int error = 0;
    bool renamed = false;

    ~Temporary() {
        if (output && !renamed)
            ::unlink(path.constData());
    }
};

AtomicFileWriter::AtomicFileWriter(const QString& fileName)
    : m_temporary(std::make_unique<Temporary>()) {
    Temporary& temporary = *m_temporary;
    const Resolution resolution = resolveLinks(fileNameToBytes(fileName));
    temporary.target = resolution.path;
    temporary.error = resolution.error != 0          ? resolution.error
                      : !mayReplace(resolution.path) ? EACCES
                                                     : 0;
    if (temporary.error != 0)
        return;
    struct stat old {};
    const bool replacing = ::lstat(temporary.target.constData(), &old) == 0;
    const int fd = createTemporary(temporary.target, replacing, temporary.path);
    if (fd < 0) {
        temporary.error = errno;
        return;
    }
    temporary.output.emplace(fd);
    if (replacing)
        copyAttributes(temporary.target, old, fd);
}

AtomicFileWriter::~AtomicFileWriter() = default;

void AtomicFileWriter::append(const char* data, std::size_t size) {
    if (m_temporary->output)
        m_temporary->output->append(data, size);
}

void AtomicFileWriter::writeAt(std::int64_t offset, const QByteArray& bytes) {
    if (m_temporary->output)
        m_temporary->output->writeAt(offset, bytes);
}

bool AtomicFileWriter::commit(QString* error) {
    Temporary& temporary = *m_temporary;
    if (temporary.error == 0 && !temporary.output->finish())
        temporary.error = -1;
    if (temporary.error == 0) {
        temporary.renamed = ::rename(temporary.path.constData(), temporary.target.constData()) == 0;
        if (!temporary.renamed)
            temporary.error = errno;
    }
    if (temporary.renamed) {
        syncFolderOf(temporary.target);
        return true;
    }
    if (error)
        *error = temporary.error == -1 ? temporary.output->errorString()
                                       : systemErrorText(temporary.error);
    return false;
}

QString finalLinkTarget(const QString& fileName) {
    return fileNameFromBytes(resolveLinks(fileNameToBytes(fileName)).path);
}

void removeStaleTemporaries(const QString& fileName) {
    const QByteArray target = resolveLinks(fileNameToBytes(fileName)).path;
    const QByteArray prefix = temporaryPrefix(target);
    DIR* folder = ::opendir(folderOf(target).constData());
    if (!folder)
        return;
    const int folderFd = ::dirfd(folder);
    while (const dirent* entry = ::readdir(folder)) {
        struct stat info {};
        if (isTemporaryName(entry->d_name, prefix) &&
            ::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode))
            ::unlinkat(folderFd, entry->d_name, 0);
    }
    ::closedir(folder);
}

QStringList leftoverTemporaries(const QString& fileName) {
    const QByteArray target = resolveLinks(fileNameToBytes(fileName)).path;
    const QByteArray prefix = temporaryPrefix(target);
    const QByteArray folderName = folderOf(target);
    DIR* folder = ::opendir(folderName.constData());
    if (!folder)
        return {};
    std::vector<std::pair<qint64, QByteArray>> found;
    while (const dirent* entry = ::readdir(folder)) {
        struct stat info {};
        if (isTemporaryName(entry->d_name, prefix) &&
            ::fstatat(::dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode))
            found.emplace_back(static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 +
                                   info.st_mtim.tv_nsec,
                               folderName + '/' + entry->d_name);
    }
    ::closedir(folder);
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    QStringList names;
    for (const auto& [time, path] : found)
        names.append(fileNameFromBytes(path));
    return names;
}

#else

struct AtomicFileWriter::Temporary {
    explicit Temporary(const QString& fileName) : file(fileName) {}
    QSaveFile file;
};

AtomicFileWriter::AtomicFileWriter(const QString& fileName)
    : m_temporary(std::make_unique<Temporary>(fileName)) {
    m_temporary->file.open(QIODevice::WriteOnly);
}

AtomicFileWriter::~AtomicFileWriter() = default;

void AtomicFileWriter::append(const char* data, std::size_t size) {
    if (m_temporary->file.write(data, static_cast<qint64>(size)) != static_cast<qint64>(size))
        m_temporary->file.cancelWriting();
}

void AtomicFileWriter::writeAt(std::int64_t offset, const QByteArray& bytes) {
    const qint64 end = m_temporary->file.pos();
    if (!m_temporary->file.seek(offset) || m_temporary->file.write(bytes) != bytes.size() ||
        !m_temporary->file.seek(end))
        m_temporary->file.cancelWriting();
}

bool AtomicFileWriter::commit(QString* error) {
    const bool done = m_temporary->file.commit();
    if (!done && error)
        *error = m_temporary->file.errorString();
    return done;
}

QString finalLinkTarget(const QString& fileName) {
    return fileName;
}

void removeStaleTemporaries(const QString&) {}

QStringList leftoverTemporaries(const QString&) {
    return {};
}

#endif

bool writeFileAtomically(const QString& fileName, const QByteArray& bytes, QString* error) {
    AtomicFileWriter writer(fileName);
    writer.append(bytes);
    return writer.commit(error);
}

} // namespace tallix::platform
