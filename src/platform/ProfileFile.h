#pragma once

#include <QByteArray>
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
// other settings) are kept byte for byte. Text is in the system code set (UTF-8); bytes that do
// not decode in it are kept as they are, also in values the program reads and writes back.
//
// A batch keeps the file's content in memory between beginBatch and endBatch: reads and writes
// see each other as before, and the file is rewritten once at the end instead of at each write.
class ProfileFile {
public:
    explicit ProfileFile(QString fileName);
    ~ProfileFile();
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

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

    // Starts a batch, reading the file once; nothing happens when one is running already.
    void beginBatch();
    // Ends the batch, writing the file once if anything was written; false when that write
    // fails, and the file then stays as it was before the batch.
    bool endBatch();

private:
    struct Batch {
        std::optional<QByteArray> content;
        bool changed = false;
    };

    std::optional<QByteArray> currentContent() const;

    QString m_fileName;
    std::optional<Batch> m_batch;
};

} // namespace tallix::platform
