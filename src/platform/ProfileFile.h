#pragma once

#include <QString>
#include <optional>

namespace tallix::platform {

// An INI profile file: "[section]" lines open sections, "ident=value" lines inside them hold
// the settings, lines before the first section header form the section with the empty name.
// Section and ident names match without regard to letter case; the first match wins.
//
// Nothing is cached: every read parses the file anew, so each write is visible to the next read.
// A write rewrites the whole file through a temporary file that is renamed over the old one, so
// the file is never left half written. Lines the write does not touch (comments, blank lines,
// other settings) are kept byte for byte. Text is UTF-8.
class ProfileFile {
public:
    explicit ProfileFile(QString fileName);

    const QString& fileName() const { return m_fileName; }

    // The value stored under section/ident, or nothing when the file, the section or the ident
    // is missing or the file cannot be read. Whitespace around the value is not part of it; one
    // pair of double quotes around it is removed (the writer quotes values that need it).
    std::optional<QString> readString(const QString& section, const QString& ident) const;

    // Stores value under section/ident, creating the file, the section and the ident as needed.
    // False when the write is refused: the folder or file cannot be written, an existing file
    // cannot be read (rewriting it would lose its content), or the names or the value cannot be
    // represented in the format (line breaks; '=' or a leading '[', ';' or '#' in an ident;
    // ']' in a section; an empty ident).
    bool writeString(const QString& section, const QString& ident, const QString& value);

private:
    QString m_fileName;
};

} // namespace tallix::platform
