#include "platform/FileStamp.h"

#include "platform/NativeFileNames.h"

#include <QFileInfo>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tallix::platform {

#ifndef _WIN32

FileStamp fileStamp(const QString& fileName) {
    struct stat info {};
    if (::stat(fileNameToBytes(fileName).constData(), &info) != 0)
        return {};
    constexpr long long kNsPerSecond = 1000000000LL;
    return {true,
            S_ISREG(info.st_mode),
            static_cast<unsigned long long>(info.st_dev),
            static_cast<unsigned long long>(info.st_ino),
            static_cast<long long>(info.st_size),
            info.st_mtim.tv_sec * kNsPerSecond + info.st_mtim.tv_nsec,
            info.st_ctim.tv_sec * kNsPerSecond + info.st_ctim.tv_nsec};
}

#else

FileStamp fileStamp(const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.exists())
        return {};
    return {true, info.isFile(), 0,
            0,    info.size(),   info.lastModified().toMSecsSinceEpoch() * 1000000LL,
            0};
}

#endif

} // namespace tallix::platform
