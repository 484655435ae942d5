#pragma once

#include <QString>

#include <memory>
#include <stdexcept>

namespace tallix::platform {
class ProfileFile;
class UserRegistry;
} // namespace tallix::platform

namespace tallix {

// A write to the settings file that could not be done. what() is the message shown to the user,
// in UTF-8.
class EIniFileException : public std::runtime_error {
public:
    explicit EIniFileException(const QString& fileName);
};

// The program's application context: where it is installed and keeps its data, its identity,
// the OS version, the per-user store and the settings file "application.ini". Values are worked
// out on first request and kept for the life of the process. Main thread only.
//
// Folder convention: "Folder" results carry no trailing '/', "Path" results end with exactly
// one; the root "/" is both.
class TkstrGlobal {
public:
    TkstrGlobal();
    ~TkstrGlobal();
    TkstrGlobal(const TkstrGlobal&) = delete;
    TkstrGlobal& operator=(const TkstrGlobal&) = delete;

    QString GetExeDir();
    QString GetExePath();
    QString GetExeName();
    QString GetFileVersion();
    QString GetProductName();
    QString GetInternalName();
    QString GetCompanyName();
    int GetWinMajorVersion();

    // Decided by the default rule on first request, and created (with its parents) then.
    QString GetDataFolder();
    QString GetDataPath();
    // A non-empty folder is created and recorded as this user's data folder; an empty one
    // leaves the data folder to be decided again by the default rule.
    void SetDataFolder(const QString& folder);

    // Write test: creates and deletes the first free "WriteTest<n>.tmp" in the folder.
    bool IsWritableFolder(const QString& path);
    bool IsExeFolderWritable();
    QString GetInstalledAppDir();
    bool HasUserRegistryKey();
    QString RegReadString(const QString& section, const QString& ident, const QString& def);
    void RegWriteString(const QString& section, const QString& ident, const QString& value);

    // Settings in "application.ini" of the data folder. Reads return def when the setting is
    // missing or unusable and never create the file; writes throw EIniFileException when the
    // file cannot be written.
    bool ReadBool(const QString& section, const QString& ident, bool def);
    void WriteBool(const QString& section, const QString& ident, bool value);
    int ReadInteger(const QString& section, const QString& ident, int def);
    void WriteInteger(const QString& section, const QString& ident, int value);
    QString ReadString(const QString& section, const QString& ident, const QString& def);
    void WriteString(const QString& section, const QString& ident, const QString& value);
    void OpenIni();
    void CloseIni();
    // Between these two, settings writes change the file's content in memory, where the reads
    // see them, and the file is rewritten once at the end: for runs of writes such as those of
    // shutdown. A write that would be refused is still refused at once. EndIniBatch throws
    // EIniFileException when the final rewrite fails.
    void BeginIniBatch();
    void EndIniBatch();

private:
    void ReadVersionInfo();
    const QString& VersionInfo(QString TkstrGlobal::*field);
    // The settings file, opened at its first use.
    tallix::platform::ProfileFile& Ini();
    QString GetDefaultDataFolder();
    void OpenRegistry();
    void CloseRegistry();

    bool FVersionInfoLoaded = false;
    int FOsMajorVersion = 0;
    QString FDataFolder;
    QString FExeDir;
    QString FCompanyName;
    QString FExePath;
    QString FFileVersion;
    QString FExeName;
    QString FInternalName;
    QString FProductName;
    std::unique_ptr<tallix::platform::UserRegistry> FRegistry;
    std::unique_ptr<tallix::platform::ProfileFile> FIniFile;
};

extern TkstrGlobal* AppGlobal;

// A batch of settings writes on AppGlobal for the life of a scope. Commit ends it and reports a
// failed rewrite; a scope left without Commit (by an error) still writes what was set, quietly.
class TIniWriteBatch {
public:
    TIniWriteBatch();
    ~TIniWriteBatch();
    TIniWriteBatch(const TIniWriteBatch&) = delete;
    TIniWriteBatch& operator=(const TIniWriteBatch&) = delete;

    void Commit();

private:
    bool FOpen = false;
};

// Start-up and shutdown of this unit, done explicitly by main(): the constructor creates
// AppGlobal unless it exists already, the destructor destroys it and sets it back to nullptr.
class KstrGlobalUnit {
public:
    KstrGlobalUnit();
    ~KstrGlobalUnit();
    KstrGlobalUnit(const KstrGlobalUnit&) = delete;
    KstrGlobalUnit& operator=(const KstrGlobalUnit&) = delete;
};

} // namespace tallix
