#pragma once

#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Archive files assembled byte by byte, independently of the writer, so that the reader is
// checked against the layout itself.
namespace archive_bytes {

using Members = std::vector<std::pair<std::string, std::string>>;

std::string int32(std::int32_t value);
std::string int64(std::int64_t value);
std::string record(std::int32_t id, std::int64_t nameLength, std::int64_t dataOffset,
                   std::int64_t dataSize, std::uint8_t flag = 1);
// The header up to and including "ADAT"; `bodyExtra` lengthens the header body.
std::string header(std::int64_t count, const std::string& bodyExtra = {});
// A consistent archive: each DataOffset is the position right after the member's name.
std::string archive(const Members& members, const std::string& bodyExtra = {});

QString writeFile(const QTemporaryDir& dir, const QString& name, const std::string& bytes);
std::string readFile(const QString& path);

} // namespace archive_bytes
