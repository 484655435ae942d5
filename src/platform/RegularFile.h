#pragma once

#include <QString>

#include <cstdint>

namespace tallix::platform {

// An existing regular file opened by its exact name bytes. Anything else (a FIFO, a device such
// as /dev/zero, a folder) is refused without blocking and without reading from it.
class RegularFile {
public:
    enum class Access { Read, ReadWrite };
    enum class Failure { None, Missing, Folder, NotRegular, NoRights, Other };

    RegularFile(const QString& fileName, Access access);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    Failure failure() const { return m_failure; }
    QString errorString() const { return m_error; }

    // The size when the file was opened.
    std::int64_t size() const { return m_size; }
    // Up to `size` bytes from the current position; 0 at the end, -1 on an error.
    std::int64_t read(char* data, std::int64_t size);
    // Hands the descriptor over to a new owner (a QFile); this object no longer closes it.
    int releaseHandle();

private:
    void fail(Failure failure, int errorCode);

    int m_fd = -1;
    std::int64_t m_size = 0;
    Failure m_failure = Failure::None;
    QString m_error;
};

} // namespace tallix::platform
