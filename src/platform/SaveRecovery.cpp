#include "platform/SaveRecovery.h"

#include "platform/AtomicFile.h"
#include "platform/FileStamp.h"
#include "platform/NativeFileNames.h"

#ifdef _WIN32
#include <QFile>
#else
#include <cstdio>
#endif

namespace tallix::platform {

namespace {

bool renameOver(const QString& from, const QString& to) {
#ifdef _WIN32
    QFile::remove(to);
    return QFile::rename(from, to);
#else
    return std::rename(fileNameToBytes(from).constData(), fileNameToBytes(to).constData()) == 0;
#endif
}

} // namespace

QString recoverCutShortSave(const QString& fileName) {
    const QString target = finalLinkTarget(fileName);
    const FileStamp stamp = fileStamp(target);
    if (stamp.exists && (!stamp.regular || stamp.size > 0))
        return {};
    for (const QString& candidate : leftoverTemporaries(fileName)) {
        if (fileStamp(candidate).size > 0 && renameOver(candidate, target))
            return candidate;
    }
    return {};
}

} // namespace tallix::platform
