#pragma once

#include <QString>

namespace tallix::platform {

// Shell folder numbers the program asks for, with the values Windows gives them.
inline constexpr int kCsidlDesktopDirectory = 16;
inline constexpr int kCsidlAppData = 26;

// The folder behind a shell folder number, without trailing '/', or empty when the number is
// unknown or the folder cannot be determined:
//   kCsidlAppData          -> $XDG_DATA_HOME, else $HOME/.local/share
//   kCsidlDesktopDirectory -> $XDG_DESKTOP_DIR, else $HOME/Desktop
// Relative values of the XDG variables are ignored, as the XDG base directory rules require.
QString specialFolderPath(int csidl);

} // namespace tallix::platform
