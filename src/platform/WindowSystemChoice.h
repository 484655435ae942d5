#pragma once

#include <QString>

namespace tallix::platform {

// The session the program starts in, as its environment tells it.
struct SessionEnvironment {
    QString chosenPlatform; // QT_QPA_PLATFORM: the user's own choice wins
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString sessionType;    // XDG_SESSION_TYPE
    QString x11Display;     // DISPLAY
};

// The Qt platform plugins to try in this session, or empty to leave Qt its own choice. A native
// Wayland window cannot place itself on the screen, so where an X server (XWayland) is at hand
// the program runs through it and keeps its window where the user left it.
QString preferredPlatformPlugins(const SessionEnvironment& session);

// Applies the preference above to the process; to be called before the application object
// exists.
void choosePlatformPlugin();

} // namespace tallix::platform
