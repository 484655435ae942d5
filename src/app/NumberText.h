#pragma once

#include <QString>

namespace tallix {

// The plain digit or point a character stands for. An input method in its Japanese modes types
// the double-width digits ０ to ９ and the point ．; they are numbers as much as 0 to 9 and '.',
// so they become those. Every other character stays as it is.
QChar plainNumberChar(QChar c);

// True for the digits 0 to 9 and the full stop, in either width.
bool isNumberChar(QChar c);

// Keeps on every line only the digits and the full stop, double-width ones made plain; line
// breaks stay, and lines that become empty stay as empty lines. Signs, commas, spaces, letters
// and every other double-width character go.
QString keepDigitsAndPoints(const QString& text);

// What one step of an input method's composition adds to what the user typed. Keys the input
// method takes in never reach the text box as key presses: they show in its composition, which
// `before` and `after` hold around the step, and `commit` is the text the step puts into the
// document. The result is the characters newly typed, in order: those inserted into the
// composition, and of a commit only what was not heard while composing it (a commit with the
// same digits and points as the composition adds nothing, one without composition adds itself).
QString newlyComposed(const QString& before, const QString& commit, const QString& after);

// The text as the document holds it, lines separated by '\n': CR LF, a lone CR or LF, the
// Unicode line, paragraph and next-line separators and the two frame marks of a text document
// (U+FDD0, U+FDD1) each become one line break, and NUL, which no line of the file can hold, is
// dropped. Whatever arrives by keyboard, clipboard, drop or file passes through here, so the
// file only ever gets CR LF between its lines.
QString documentText(const QString& text);

// True when the text already is as documentText would make it.
bool isDocumentText(const QString& text);

} // namespace tallix
