#include "Functions.h"

#include "SpecialFolders.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QChar Separator = QLatin1Char('/');

static_assert(CsidlAppData == tallix::platform::CsidlAppData);
static_assert(CsidlDesktopDirectory == tallix::platform::CsidlDesktopDirectory);

} // namespace

void ForceFolder(const QString& folder) {
    if (folder.isEmpty() || QFileInfo(folder).isDir())
        return;
    const qsizetype lastSeparator = folder.lastIndexOf(Separator);
    if (lastSeparator < 0)
        return;
    const QString parent = lastSeparator == 0 ? QString(Separator) : folder.left(lastSeparator);
    // The root is its own parent; stopping there is what keeps this from looping.
    if (parent == folder)
        return;
    ForceFolder(parent);
    QDir().mkdir(folder);
}

QString GetSpecialFolder(int csidl) {
    const QString folder = tallix::platform::specialFolderPath(csidl);
    if (!folder.isEmpty())
        return folder;
    return tallix::platform::specialFolderPath(CsidlDesktopDirectory);
}

QString StripTrailingBackslashes(const QString& path) {
    qsizetype length = path.size();
    while (length > 0 && path.at(length - 1) == Separator)
        --length;
    if (length == 0 && !path.isEmpty())
        return QString(Separator);
    return path.left(length);
}
