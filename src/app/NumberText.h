#pragma once

#include <QString>

namespace tallix {

// Keeps on every line only the digits 0 to 9 and the full stop; line breaks stay, and lines
// that become empty stay as empty lines. Signs, commas, spaces, letters and every double-width
// character go.
QString KeepDigitsAndPoints(const QString& text);

} // namespace tallix
