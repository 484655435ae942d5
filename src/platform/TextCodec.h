#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tallix::platform {

// How the bytes of a text file map to characters. `System` is the locale's code set (UTF-8 on
// any current Linux; a plain "C" locale counts as UTF-8, as Qt itself assumes). `Cp932` is the
// Japanese Windows code page, for text written on Windows. `SystemEscaped` is the system code set
// where every byte that does not decode is kept as a private-use character standing for exactly
// that byte, so that a file with stray bytes survives a load and a save unchanged. `Utf8` is
// UTF-8 whatever the locale. The last three begin with a byte-order mark, which decoding
// requires and takes off and encoding puts in front: UTF-8 (as Windows Notepad writes it) and
// UTF-16 in either byte order (Notepad's "Unicode").
enum class TextEncoding { System, Cp932, SystemEscaped, Utf8, Utf8Bom, Utf16LeBom, Utf16BeBom };

// The byte-order-mark encoding the bytes begin with, if any.
std::optional<TextEncoding> byteOrderMarkOf(const QByteArray& bytes);

// Decodes strictly: nullopt when a byte sequence is not valid in the encoding (for UTF-16 an odd
// byte count or a lone surrogate). With `SystemEscaped` decoding never fails.
std::optional<QString> decodeText(const QByteArray& bytes, TextEncoding encoding);

// Encodes strictly: nullopt when a character has no representation in the encoding.
std::optional<QByteArray> encodeText(const QString& text, TextEncoding encoding);

// The name of the system code set, for messages and tests.
QByteArray systemCodeSet();
bool systemCodeSetIsUtf8();

} // namespace tallix::platform
