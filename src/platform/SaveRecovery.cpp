#include "platform/SaveRecovery.h"

#include "platform/AtomicFile.h"
#include "platform/FileStamp.h"

#include <QDir>
#include <QFileInfo>

namespace tallix::platform {

namespace {

// The names the atomic writer gives its temporaries: the file's name, a mark, six characters.
constexpr char kTemporaryPattern[] = ".tallix-??????";

} // namespace

QString recoverCutShortSave(const QString& fileName) {
    const QString target = finalLinkTarget(fileName);
    const FileStamp stamp = fileStamp(target);
    if (stamp.exists && (!stamp.regular || stamp.size > 0))
        return {};
    const QFileInfo targetInfo(target);
    const QDir folder = targetInfo.absoluteDir();
    const QFileInfoList candidates = folder.entryInfoList(
        {targetInfo.fileName() + QLatin1String(kTemporaryPattern)},
        QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks, QDir::Time);
    for (const QFileInfo& candidate : candidates) {
        if (candidate.size() > 0 && QDir().rename(candidate.filePath(), target))
            return candidate.filePath();
        // The rename cannot replace an empty file on every system: take it away first.
        if (candidate.size() > 0 && stamp.exists && QFile::remove(target) &&
            QDir().rename(candidate.filePath(), target))
            return candidate.filePath();
    }
    return {};
}

} // namespace tallix::platform
