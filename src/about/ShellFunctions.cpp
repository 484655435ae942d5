#include "about/ShellFunctions.h"

#include "env/Functions.h"

#include <QDesktopServices>
#include <QUrl>

void OpenLink(const QString& target) {
    QDesktopServices::openUrl(QUrl(LinkTarget(target), QUrl::TolerantMode));
}

void ShellOpen(const QString& fileName) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
}
