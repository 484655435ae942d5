#pragma once

#include "platform/TextCodec.h"

#include <QString>

#include <optional>
#include <stdexcept>

namespace tallix {

// A file error, carrying the message shown to the user (it names the file).
class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text as the editor holds it: lines separated by '\n', plus the encoding its file had, so
// that saving writes the same kind of bytes back.
struct TextFileContent {
    QString text;
    platform::TextEncoding encoding = platform::TextEncoding::System;
};

// The largest file read as a text: the text box needs some forty times a text's size in memory,
// so a larger file would take the machine's memory rather than show.
inline constexpr qint64 kMaxTextFileBytes = 32 * 1024 * 1024;

// Reads the whole file, which must be a regular file of at most kMaxTextFileBytes: a FIFO, a
// device or a link to one is refused at once, never waited on or read without end. The encoding
// is found as decodeTextFileBytes finds it. Throws EFileError (naming the file and the reason)
// when the file cannot be read or holds no text.
TextFileContent readTextFile(const QString& fileName);

// As readTextFile, but nothing when the file does not exist. `bytes`, when given, receives the
// file's bytes as read.
std::optional<TextFileContent> readTextFileIfPresent(const QString& fileName,
                                                     QByteArray* bytes = nullptr);

// Writes the text with CR LF line breaks and no line break added at the end, in the given
// encoding; a text that encoding cannot hold (a character Windows Japanese text lacks, typed
// into a Shift-JIS file) is written as UTF-8 with a byte-order mark instead, which keeps every
// character and which Windows programs and this one recognise. The file is replaced atomically:
// on any failure the previous file stays as it was. Throws EFileError when the file cannot be
// written.
void writeTextFile(const QString& fileName, const TextFileContent& content);

// Decodes file bytes. A byte-order mark (UTF-8, UTF-16 LE or BE) decides the encoding; else
// UTF-8, then Windows Japanese text (CP932), then the locale's code set if it is another, each
// taken only where it gives the same bytes back; else every byte that does not decode is kept as
// it is. Every CR LF, lone CR and lone LF becomes one line break. Nothing when the bytes are no
// text (NUL characters and bytes that decode in nothing outweigh the rest): such a file is kept
// as it is.
std::optional<TextFileContent> decodeTextFileBytes(const QByteArray& bytes);

// The bytes writeTextFile would write.
QByteArray encodeTextFileBytes(const TextFileContent& content);

} // namespace tallix
