#include "platform/SpecialFolders.h"

#include <QDir>
#include <QtGlobal>

namespace tallix::platform {

namespace {

QString withoutTrailingSeparators(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString absoluteVariableOr(const char* variable, const QString& belowHome) {
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return withoutTrailingSeparators(QDir::cleanPath(value));
    const QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home))
        return QString();
    return withoutTrailingSeparators(QDir::cleanPath(home + QLatin1Char('/') + belowHome));
}

} // namespace

QString specialFolderPath(int csidl) {
    switch (csidl) {
    case kCsidlAppData:
        return absoluteVariableOr("XDG_DATA_HOME", QStringLiteral(".local/share"));
    case kCsidlDesktopDirectory:
        return absoluteVariableOr("XDG_DESKTOP_DIR", QStringLiteral("Desktop"));
    default:
        return QString();
    }
}

} // namespace tallix::platform
