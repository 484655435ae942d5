#pragma once

#include <QString>

// Shell folder numbers understood by GetSpecialFolder.
inline constexpr int CsidlDesktopDirectory = 16;
inline constexpr int CsidlAppData = 26;

// Creates folder together with its missing parents, outermost first. Reports nothing: a folder
// that cannot be created shows up when something is written into it.
void ForceFolder(const QString& folder);

// Path of a shell special folder; falls back once to the desktop folder when it is empty.
QString GetSpecialFolder(int csidl);

// The path without trailing '/'. The root folder "/" has no shorter spelling and stays "/".
QString StripTrailingBackslashes(const QString& path);
