#pragma once

#include <QString>

namespace tallix::platform {

// Takes an exclusive lock on an open file so that a second program opening the same file for
// writing (a second Tallix, the archive tool) is refused instead of changing it underneath us.
// The lock belongs to the open file and is released when that file is closed.
// Returns false when another opener already holds the lock.
bool tryLockExclusive(int fileDescriptor);

// A file held open for the lock on it, closed (and so unlocked) when this ends. The file is
// created readable and writable by its owner only. Where it may not be written (left by another
// user, or by a start as root) it is opened for reading, which is enough to lock it; a file
// that cannot be opened at all gives no lock.
class LockFile {
public:
    enum class State { Held, HeldByOther, Unavailable };

    explicit LockFile(const QString& fileName);
    ~LockFile();
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    State state() const { return m_state; }
    // Why no lock could be had, when Unavailable.
    const QString& error() const { return m_error; }

private:
    int m_fd = -1;
    State m_state = State::Unavailable;
    QString m_error;
};

} // namespace tallix::platform
