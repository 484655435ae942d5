#include "ExecutableFile.h"

#include <QDir>
#include <QFileInfo>
#include <QtGlobal>

namespace tallix::platform {

QString runningExecutableFile() {
    const QString overridden = qEnvironmentVariable("TALLIX_EXE_FILE");
    if (!overridden.isEmpty())
        return QDir::cleanPath(QFileInfo(overridden).absoluteFilePath());
    // The kernel's link always names the binary that is running, whatever argv[0] says.
    const QString target = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return target.isEmpty() ? QString() : QDir::cleanPath(target);
}

} // namespace tallix::platform
