#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace tallix::platform {

// A new file being written through its open descriptor, which it owns. Writes go to the end,
// gathered into blocks so that many small pieces cost few system calls; whole blocks of zeros
// are skipped rather than written, so that a sparse member or picture
// costs no disk space for its holes. The first failure is kept: every later call does nothing
// and `finish` reports it.
class FileOutput {
public:
    explicit FileOutput(int fileDescriptor) : m_fd(fileDescriptor) {}
    ~FileOutput();
    FileOutput(const FileOutput&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;

    void append(const char* data, std::size_t size);
    // Overwrites bytes already written (a header whose counts are known only at the end).
    void writeAt(std::int64_t offset, const QByteArray& bytes);
    // Gives the file its full length, waits until it has reached the disk (unless `toDisk` is
    // false: a file the user can make again costs no wait per file) and closes it.
    bool finish(bool toDisk = true);

    int fileDescriptor() const { return m_fd; }
    std::int64_t length() const { return m_length + m_pending.size(); }
    bool failed() const { return m_error != 0; }
    // Keeps a failure found outside (a source that ran dry) as this file's own.
    void fail(int errorCode);
    QString errorString() const;

private:
    void flush();
    void putBlock(const char* data, std::size_t size);
    void writeBlock(const char* data, std::size_t size);

    int m_fd;
    QByteArray m_pending;
    std::int64_t m_length = 0;
    std::int64_t m_written = 0; // where the descriptor stands: the end of the last real write
    int m_error = 0;
};

} // namespace tallix::platform
