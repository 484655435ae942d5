#include "platform/SpecialFolders.h"

#include "platform/NativeFileNames.h"

#include <QDir>
#include <QtGlobal>

namespace tallix::platform {

namespace {

QString withoutTrailingSeparators(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// Taken as the bytes it holds, so that a home in a Shift-JIS-named folder stays that folder.
QString folderVariable(const char* variable) {
    return fileNameFromBytes(qgetenv(variable));
}

QString absoluteVariableOr(const char* variable, const QString& belowHome) {
    const QString value = folderVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return withoutTrailingSeparators(QDir::cleanPath(value));
    const QString home = folderVariable("HOME");
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
