#include "platform/TargetFolder.h"

#include "platform/NativeFileNames.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallix::platform {

namespace {

// Short and fixed in length, so that members whose names use up the 255 bytes a name may have
// still get a temporary.
QByteArray temporaryName() {
    return ".tallix-part-" + QByteArray::number(QRandomGenerator::system()->generate64(), 36);
}

} // namespace

TargetFolder::TargetFolder(const QString& folder) {
    if (!makeFolders(folder, &m_error, FolderAccess::Everyone))
        return;
    m_fd = ::open(fileNameToBytes(folder).constData(),
                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_fd < 0)
        m_error = errno == ELOOP || errno == ENOTDIR
                      ? QStringLiteral("it is a link or no folder; give the folder itself")
                      : systemErrorText(errno);
}

TargetFolder::~TargetFolder() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::unique_ptr<TargetFolder::NewFile> TargetFolder::createFile(QString* error) const {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = temporaryName();
        const int fd = ::openat(m_fd, name.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0)
            return std::make_unique<NewFile>(m_fd, name, fd);
        if (errno != EEXIST)
            break;
    }
    if (error)
        *error = systemErrorText(errno);
    return nullptr;
}

TargetFolder::NewFile::NewFile(int folderFd, QByteArray temporaryName, int fd)
    : m_folderFd(folderFd), m_temporaryName(std::move(temporaryName)), m_output(fd) {}

TargetFolder::NewFile::~NewFile() {
    if (!m_named)
        ::unlinkat(m_folderFd, m_temporaryName.constData(), 0);
}

// Without replacing, the name is taken only if nothing of that name exists: renameat2 refuses
// an existing name itself; where a file system lacks it, a hard link does the same.
TargetFolder::NewFile::Outcome TargetFolder::NewFile::commit(const QByteArray& name, bool replace) {
    // Unpacked files can be unpacked again: no wait for the disk per file, which would make
    // thousands of small members take minutes.
    if (!m_output.finish(false))
        return Outcome::Failed;
    const char* from = m_temporaryName.constData();
    int result = 0;
    if (replace) {
        result = ::renameat(m_folderFd, from, m_folderFd, name.constData());
    } else {
        result = ::renameat2(m_folderFd, from, m_folderFd, name.constData(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            result = ::linkat(m_folderFd, from, m_folderFd, name.constData(), 0);
            if (result == 0)
                ::unlinkat(m_folderFd, from, 0);
        }
    }
    if (result == 0) {
        m_named = true;
        return Outcome::Done;
    }
    m_error = errno;
    return m_error == EEXIST && !replace ? Outcome::NameTaken : Outcome::Failed;
}

QString TargetFolder::NewFile::errorString() const {
    return m_error != 0 ? systemErrorText(m_error) : m_output.errorString();
}

} // namespace tallix::platform
