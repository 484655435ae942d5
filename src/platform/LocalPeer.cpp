#include "platform/LocalPeer.h"

#include "platform/NativeFileNames.h"

#include <QFileInfo>

#ifdef __linux__
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tallix::platform {

#ifdef __linux__

bool peerIsSameUser(qintptr socketDescriptor) {
    struct ucred peer {};
    socklen_t length = sizeof peer;
    if (::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer, &length) !=
            0 ||
        length != sizeof peer)
        return false;
    return peer.uid == ::geteuid();
}

bool isOwnPrivateFolder(const QString& folder) {
    struct stat info {};
    return ::stat(fileNameToBytes(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

#else

bool peerIsSameUser(qintptr) {
    return true;
}

bool isOwnPrivateFolder(const QString& folder) {
    return QFileInfo(folder).isDir();
}

#endif

} // namespace tallix::platform
