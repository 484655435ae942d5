#pragma once

#include <QString>

namespace tallix::platform {

// True when the program at the other end of a connected local socket runs as the same user as
// this one: a socket name can be taken, or connected to, by anyone who can reach its folder.
bool peerIsSameUser(qintptr socketDescriptor);

// True for a folder of this user's that no one else may enter or change, such as the session's
// runtime folder ought to be.
bool isOwnPrivateFolder(const QString& folder);

} // namespace tallix::platform
