#include "platform/FileLock.h"

#include "platform/NativeFileNames.h"

#ifdef _WIN32
#include <QFile>
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tallix::platform {

#ifdef _WIN32

bool tryLockExclusive(int fileDescriptor) {
    auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fileDescriptor));
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    OVERLAPPED whole{};
    return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                      MAXDWORD, &whole) != 0;
}

LockFile::LockFile(const QString& fileName) {
    m_fd = ::_wopen(reinterpret_cast<const wchar_t*>(fileName.utf16()), _O_RDWR | _O_CREAT,
                    _S_IREAD | _S_IWRITE);
    if (m_fd < 0) {
        m_error = QStringLiteral("cannot open the lock file");
        return;
    }
    m_state = tryLockExclusive(m_fd) ? State::Held : State::HeldByOther;
}

LockFile::~LockFile() {
    if (m_fd >= 0)
        ::_close(m_fd);
}

#else

bool tryLockExclusive(int fileDescriptor) {
    // flock() rather than fcntl(): its lock belongs to the open file, so a second opener inside
    // the same process is refused too, and closing some other descriptor never drops it. It
    // also needs no right to write the file.
    int result;
    do {
        result = flock(fileDescriptor, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

LockFile::LockFile(const QString& fileName) {
    const QByteArray path = fileNameToBytes(fileName);
    // A link planted in the place of the lock file is never followed.
    constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW;
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | kFlags, S_IRUSR | S_IWUSR);
    if (m_fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
        m_fd = ::open(path.constData(), O_RDONLY | kFlags);
    if (m_fd < 0) {
        m_error = systemErrorText(errno);
        return;
    }
    m_state = tryLockExclusive(m_fd) ? State::Held : State::HeldByOther;
}

LockFile::~LockFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

#endif

} // namespace tallix::platform
