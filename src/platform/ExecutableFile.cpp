#include "platform/ExecutableFile.h"

#include <QDir>
#include <QFileInfo>
#include <QtGlobal>

namespace tallix::platform {

QString runningExecutableFile() {
    const QString overridden = qEnvironmentVariable("TALLIX_EXE_FILE");
    if (!overridden.isEmpty()) {
        // Links resolved as the kernel resolves them for a real executable, so that folders
        // compared with this one compare alike.
        const QFileInfo file(QDir::cleanPath(QFileInfo(overridden).absoluteFilePath()));
        const QString folder = QFileInfo(file.path()).canonicalFilePath();
        return folder.isEmpty() ? file.filePath() : QDir(folder).filePath(file.fileName());
    }
    // The kernel's link always names the binary that is running, whatever argv[0] says.
    const QString target = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return target.isEmpty() ? QString() : QDir::cleanPath(target);
}

} // namespace tallix::platform
