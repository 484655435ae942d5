#pragma once

#include "platform/ProfileFile.h"

#include <QString>

namespace tallix::platform {

// Stand-ins for the two registry keys of the program, kept as small INI files in the XDG
// configuration folders.
//
// Per-user key "software\<company>\<internal name>": the file
//   $XDG_CONFIG_HOME/<company>/<internal name>.ini   ($XDG_CONFIG_HOME defaults to ~/.config)
// in which each subkey is an INI section and each string value an "ident=value" line.
//
// Machine-wide, read-only key "software\kestrow\<internal name>": the first existing file
//   <dir>/kestrow/<internal name>.ini   for <dir> in $XDG_CONFIG_DIRS (default /etc/xdg)
// whose line "AppDir=<folder>", before any section header, records the installed program folder.

QString userRegistryFile(const QString& companyName, const QString& internalName);

// Whether the per-user key exists, that is, whether its file does.
bool userRegistryKeyExists(const QString& companyName, const QString& internalName);

// The per-user key, opened for reading and writing. Writing creates the file and its folder.
class UserRegistry {
public:
    UserRegistry(const QString& companyName, const QString& internalName);

    QString readString(const QString& section, const QString& ident, const QString& def) const;
    // False when the store could not be written.
    bool writeString(const QString& section, const QString& ident, const QString& value);

private:
    ProfileFile m_file;
};

// "AppDir" of the machine-wide installation record, or empty when there is none. An existing
// folder comes with its links resolved, as the running executable's folder does.
QString installedAppDir(const QString& internalName);

} // namespace tallix::platform
