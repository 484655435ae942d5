#pragma once

namespace tallix::platform {

// Takes an exclusive lock on an open file so that a second program opening the same file for
// writing (a second Tallix, the archive tool) is refused instead of changing it underneath us.
// The lock belongs to the open file and is released when that file is closed.
// Returns false when another opener already holds the lock.
bool tryLockExclusive(int fileDescriptor);

} // namespace tallix::platform
