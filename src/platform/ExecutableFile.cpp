#include "platform/ExecutableFile.h"

#include "platform/NativeFileNames.h"
#include "platform/NativeFiles.h"

#include <QDir>
#include <QtGlobal>

namespace tallix::platform {

namespace {

// Folder and name kept apart: only the folder is resolved, the name stays as given.
QString withResolvedFolder(const QString& file) {
    const qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
    const QString folder = canonicalPath(slash <= 0 ? QStringLiteral("/") : file.left(slash));
    return folder.isEmpty() ? file : QDir(folder).filePath(file.mid(slash + 1));
}

} // namespace

QString runningExecutableFile() {
    // Names are taken as the bytes they are: a folder named in Shift-JIS must stay that folder.
    const QByteArray overridden = qgetenv("TALLIX_EXE_FILE");
    if (!overridden.isEmpty()) {
        // Links resolved as the kernel resolves them for a real executable, so that folders
        // compared with this one compare alike.
        QString file = fileNameFromBytes(overridden);
        if (!QDir::isAbsolutePath(file))
            file = canonicalPath(QStringLiteral(".")) + QLatin1Char('/') + file;
        return withResolvedFolder(QDir::cleanPath(file));
    }
    // The kernel's link always names the binary that is running, whatever argv[0] says.
    const QString target = symbolicLinkTarget(QStringLiteral("/proc/self/exe"));
    return target.isEmpty() ? QString() : QDir::cleanPath(target);
}

} // namespace tallix::platform
