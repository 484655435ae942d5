#include "platform/FileLock.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <sys/file.h>
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

#else

bool tryLockExclusive(int fileDescriptor) {
    // flock() rather than fcntl(): its lock belongs to the open file, so a second opener inside
    // the same process is refused too, and closing some other descriptor never drops it.
    int result;
    do {
        result = flock(fileDescriptor, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

#endif

} // namespace tallix::platform
