#pragma once

#include <QIODevice>
#include <QList>
#include <QRect>
#include <QString>
#include <QUrl>

#include <memory>

namespace tallix {

// Shell folder numbers understood by getSpecialFolder.
inline constexpr int kCsidlDesktopDirectory = 16;
inline constexpr int kCsidlAppData = 26;

// Creates folder together with its missing parents, outermost first. Reports nothing: a folder
// that cannot be created shows up when something is written into it.
void forceFolder(const QString& folder);

// The file a "file:" address names, its bytes kept as they are (fileNameFromBytes); empty for
// any other address.
QString localFileNameOf(const QUrl& url);

// Whether the path names a regular file (links followed), the name taken as localFileNameOf
// gives it.
bool isRegularFile(const QString& path);

// Path of a shell special folder; falls back once to the desktop folder when it is empty.
QString getSpecialFolder(int csidl);

// The path without trailing '/'. The root folder "/" has no shorter spelling and stays "/".
QString stripTrailingBackslashes(const QString& path);

// The address a link opens: "http:" targets (exactly so, case-sensitive) stay as they are, every
// other target is taken for a mail address and gets "mailto:" in front.
QString linkTarget(const QString& target);

// Where a window whose stored rectangle may lie off every screen ends up. The window stays where
// it is if its top edge lies in [T - 8, B - 8) of some work area and either its left edge lies in
// [L - 4, R) or its right edge in [L, R - 4) (right and bottom edges exclusive). Otherwise it is
// cut to the primary screen's size where larger and centred on the primary screen.
QRect keepOnScreen(const QRect& window, const QList<QRect>& workAreas, const QRect& primaryScreen);

// A read-only stream over the program's embedded data resource of that name, or none. The
// program embeds no such data, so the caller always draws what it would have shown.
std::unique_ptr<QIODevice> loadResourceStream(const QString& name);

// Whether any character of the text takes more than one byte in the system's code set; always
// false where the code set has no multi-byte characters.
bool hasDoubleByteChar(const QString& text);

} // namespace tallix
