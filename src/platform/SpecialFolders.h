#pragma once

#include <QString>

namespace tallix::platform {

// Shell folder numbers the program asks for, with the values Windows gives them.
inline constexpr int CsidlDesktopDirectory = 16;
inline constexpr int CsidlAppData = 26;

// The folder behind a shell folder number, without trailing '/', or empty when the number is
// unknown or the folder cannot be determined:
//   CsidlAppData          -> $XDG_DATA_HOME, else $HOME/.local/share
//   CsidlDesktopDirectory -> $XDG_DESKTOP_DIR, else $HOME/Desktop
// Relative values of the XDG variables are ignored, as the XDG base directory rules require.
QString specialFolderPath(int csidl);

} // namespace tallix::platform
