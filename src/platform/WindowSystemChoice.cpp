#include "platform/WindowSystemChoice.h"

#include <QtGlobal>

namespace tallix::platform {

QString preferredPlatformPlugins(const SessionEnvironment& session) {
    if (!session.chosenPlatform.isEmpty() || session.x11Display.isEmpty())
        return QString();
    const bool wayland =
        !session.waylandDisplay.isEmpty() ||
        session.sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
    // Wayland stays the fallback for a session whose X server does not answer.
    return wayland ? QStringLiteral("xcb;wayland") : QString();
}

void choosePlatformPlugin() {
    const SessionEnvironment session{
        qEnvironmentVariable("QT_QPA_PLATFORM"), qEnvironmentVariable("WAYLAND_DISPLAY"),
        qEnvironmentVariable("XDG_SESSION_TYPE"), qEnvironmentVariable("DISPLAY")};
    const QString plugins = preferredPlatformPlugins(session);
    if (!plugins.isEmpty())
        qputenv("QT_QPA_PLATFORM", plugins.toUtf8());
}

} // namespace tallix::platform
