#pragma once

#include "platform/TextCodec.h"

#include <QString>

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

// Reads the whole file. Bytes that are valid in the system code set are taken so; otherwise, if
// they are valid Windows Japanese text (CP932), they are read as that; otherwise every byte that
// does not decode is kept as it is. Every CR LF, lone CR and lone LF becomes one line break.
// Throws EFileError when the file cannot be read.
TextFileContent readTextFile(const QString& fileName);

// Writes the text with CR LF line breaks and no line break added at the end, in the given
// encoding, or in the system code set when the text holds characters that encoding lacks. The
// file is replaced atomically: on any failure the previous file stays as it was. Throws
// EFileError when the file cannot be written.
void writeTextFile(const QString& fileName, const TextFileContent& content);

// Decodes file bytes by the rules of readTextFile.
TextFileContent decodeTextFileBytes(const QByteArray& bytes);

// The bytes writeTextFile would write.
QByteArray encodeTextFileBytes(const TextFileContent& content);

} // namespace tallix
