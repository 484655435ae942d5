#include "platform/FileOutput.h"

#include "platform/NativeFileNames.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tallix::platform {

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

// Each byte equals the one after it and the first is zero: memcmp runs at memory speed.
bool allZero(const char* data, std::size_t size) {
    return size > 0 && data[0] == 0 && std::memcmp(data, data + 1, size - 1) == 0;
}

} // namespace

FileOutput::~FileOutput() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void FileOutput::fail(int errorCode) {
    if (m_error == 0)
        m_error = errorCode;
}

QString FileOutput::errorString() const {
    return systemErrorText(m_error);
}

void FileOutput::append(const char* data, std::size_t size) {
    if (!m_pending.isEmpty()) {
        const std::size_t taken =
            std::min(size, kBlockSize - static_cast<std::size_t>(m_pending.size()));
        m_pending.append(data, static_cast<qsizetype>(taken));
        data += taken;
        size -= taken;
        if (static_cast<std::size_t>(m_pending.size()) == kBlockSize)
            flush();
    }
    for (; size >= kBlockSize && !failed(); data += kBlockSize, size -= kBlockSize)
        putBlock(data, kBlockSize);
    if (size > 0)
        m_pending.append(data, static_cast<qsizetype>(size));
}

void FileOutput::flush() {
    if (m_pending.isEmpty())
        return;
    putBlock(m_pending.constData(), static_cast<std::size_t>(m_pending.size()));
    m_pending.clear();
}

void FileOutput::putBlock(const char* data, std::size_t size) {
    if (failed())
        return;
    if (size == kBlockSize && allZero(data, size))
        m_length += static_cast<std::int64_t>(size);
    else
        writeBlock(data, size);
}

// Writes every byte at the current length or fails: a short write is retried, and a write that
// then fails is an error.
void FileOutput::writeBlock(const char* data, std::size_t size) {
    if (m_written != m_length && ::lseek(m_fd, m_length, SEEK_SET) < 0)
        return fail(errno);
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return fail(written < 0 ? errno : ENOSPC);
        data += written;
        size -= static_cast<std::size_t>(written);
        m_length += written;
    }
    m_written = m_length;
}

void FileOutput::writeAt(std::int64_t offset, const QByteArray& bytes) {
    flush();
    const char* data = bytes.constData();
    std::size_t left = static_cast<std::size_t>(bytes.size());
    while (left > 0 && !failed()) {
        const ssize_t written = ::pwrite(m_fd, data, left, offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return fail(written < 0 ? errno : ENOSPC);
        data += written;
        offset += written;
        left -= static_cast<std::size_t>(written);
    }
}

bool FileOutput::finish(bool toDisk) {
    flush();
    if (!failed() && m_written != m_length && ::ftruncate(m_fd, m_length) != 0)
        fail(errno);
    if (!failed() && toDisk && ::fsync(m_fd) != 0)
        fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        fail(errno);
    return !failed();
}

} // namespace tallix::platform
