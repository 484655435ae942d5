#pragma once

#include <QString>

namespace tallix {

// Keeps on every line only the digits 0 to 9 and the full stop; line breaks stay, and lines
// that become empty stay as empty lines. Signs, commas, spaces, letters and every double-width
// character go.
QString keepDigitsAndPoints(const QString& text);

// The text as the document holds it, lines separated by '\n': CR LF, a lone CR or LF and the
// Unicode line, paragraph and next-line separators each become one line break, and NUL, which
// no line of the file can hold, is dropped. Whatever arrives by keyboard, clipboard, drop or file
// passes through here, so the file only ever gets CR LF between its lines.
QString documentText(const QString& text);

// True when the text already is as documentText would make it.
bool isDocumentText(const QString& text);

} // namespace tallix
