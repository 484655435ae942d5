#include "ArchiveBytes.h"

#include <QFile>

#include <stdexcept>

namespace archive_bytes {

namespace {
template <typename Int> std::string littleEndian(Int value) {
    auto bits = static_cast<std::uint64_t>(value);
    std::string bytes;
    for (std::size_t i = 0; i < sizeof(Int); ++i, bits >>= 8)
        bytes += static_cast<char>(bits & 0xFF);
    return bytes;
}
} // namespace

std::string int32(std::int32_t value) {
    return littleEndian(value);
}

std::string int64(std::int64_t value) {
    return littleEndian(value);
}

std::string record(std::int32_t id, std::int64_t nameLength, std::int64_t dataOffset,
                   std::int64_t dataSize, std::uint8_t flag) {
    return int32(id) + int32(static_cast<std::int32_t>(nameLength)) + int64(dataOffset) +
           static_cast<char>(flag) + int64(dataSize) + std::string(12, '\0');
}

std::string header(std::int64_t count, const std::string& bodyExtra) {
    return "FARC" + int64(4) + "AHDR" + int32(static_cast<std::int32_t>(24 + bodyExtra.size())) +
           int64(count) + "2026120805300045" + bodyExtra + "ADAT";
}

std::string archive(const Members& members, const std::string& bodyExtra) {
    std::string bytes = header(static_cast<std::int64_t>(members.size()), bodyExtra);
    std::int32_t id = 1;
    for (const auto& [name, data] : members) {
        const auto dataOffset = static_cast<std::int64_t>(bytes.size() + 37 + name.size());
        bytes += record(id++, static_cast<std::int64_t>(name.size()), dataOffset,
                        static_cast<std::int64_t>(data.size())) +
                 name + data;
    }
    return bytes;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const std::string& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()))
        throw std::runtime_error("cannot write test file " + path.toStdString());
    return path;
}

std::string readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read test file " + path.toStdString());
    return file.readAll().toStdString();
}

} // namespace archive_bytes
