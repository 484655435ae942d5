#include "platform/RegistryStores.h"

#include "platform/NativeFileNames.h"
#include "platform/NativeFiles.h"

#include <QDir>
#include <QStringList>
#include <QtGlobal>

namespace tallix::platform {

namespace {

// The maker's folder of the machine-wide record is a fixed word, not the company name.
const QString kMachineMakerFolder = QStringLiteral("kestrow");

// Folders are taken as the bytes the variables hold, like every path the system hands over.
QString folderVariable(const char* variable) {
    return fileNameFromBytes(qgetenv(variable));
}

QString configHome() {
    const QString value = folderVariable("XDG_CONFIG_HOME");
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(folderVariable("HOME") + QStringLiteral("/.config"));
}

QStringList configDirs() {
    QStringList dirs;
    const QStringList listed =
        folderVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& dir : listed) {
        if (QDir::isAbsolutePath(dir))
            dirs.append(QDir::cleanPath(dir));
    }
    if (dirs.isEmpty())
        dirs.append(QStringLiteral("/etc/xdg"));
    return dirs;
}

// The recorded folder as the running program sees its own: with every link resolved, since the
// kernel names the running executable that way. A trailing '/' is kept as recorded; a folder
// that does not exist stays as written.
QString resolvedFolder(const QString& folder) {
    if (!QDir::isAbsolutePath(folder))
        return folder;
    const QString canonical = canonicalPath(folder);
    if (canonical.isEmpty())
        return folder;
    return folder.endsWith(QLatin1Char('/')) && !canonical.endsWith(QLatin1Char('/'))
               ? canonical + QLatin1Char('/')
               : canonical;
}

} // namespace

QString userRegistryFile(const QString& companyName, const QString& internalName) {
    return configHome() + QLatin1Char('/') + companyName + QLatin1Char('/') + internalName +
           QStringLiteral(".ini");
}

bool userRegistryKeyExists(const QString& companyName, const QString& internalName) {
    return fileKind(userRegistryFile(companyName, internalName)) == FileKind::Regular;
}

UserRegistry::UserRegistry(const QString& companyName, const QString& internalName)
    : m_file(userRegistryFile(companyName, internalName)) {}

QString UserRegistry::readString(const QString& section, const QString& ident,
                                 const QString& def) const {
    return m_file.readString(section, ident).value_or(def);
}

bool UserRegistry::writeString(const QString& section, const QString& ident, const QString& value) {
    if (m_file.readString(section, ident) == value)
        return true; // unchanged: spare the file a rewrite at every start
    const QString& fileName = m_file.fileName();
    makeFolders(fileName.left(fileName.lastIndexOf(QLatin1Char('/'))), nullptr,
                FolderAccess::Everyone);
    return m_file.writeString(section, ident, value);
}

QString installedAppDir(const QString& internalName) {
    for (const QString& dir : configDirs()) {
        const QString fileName = dir + QLatin1Char('/') + kMachineMakerFolder + QLatin1Char('/') +
                                 internalName + QStringLiteral(".ini");
        if (fileKind(fileName) == FileKind::Regular)
            return resolvedFolder(ProfileFile(fileName)
                                      .readString(QString(), QStringLiteral("AppDir"))
                                      .value_or(QString()));
    }
    return QString();
}

} // namespace tallix::platform
