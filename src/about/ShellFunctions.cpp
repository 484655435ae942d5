#include "about/ShellFunctions.h"

#include "env/Functions.h"

#include <QDesktopServices>
#include <QUrl>

namespace tallix {

void openLink(const QString& target) {
    QDesktopServices::openUrl(QUrl(linkTarget(target), QUrl::TolerantMode));
}

void shellOpen(const QString& fileName) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
}

} // namespace tallix
