#pragma once

#include "platform/FileOutput.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace tallix::platform {

// A folder that files are unpacked into, opened once so that every file lands in that very
// folder even if its path is changed meanwhile (a parent renamed, the folder swapped for a
// link). Nothing is ever written through a link: the folder itself must be no link, each file
// is created new under a temporary name and then given its name, and an existing name is either
// refused or, when replacing is asked for, replaced as a name (a link there is replaced, not
// followed). New files get the rights the umask leaves of 0666, never more.
class TargetFolder {
public:
    // Opens the folder, creating it (and the folders above it) when it is missing. Check
    // `isOpen`; `errorString` says why it failed.
    explicit TargetFolder(const QString& folder);
    ~TargetFolder();
    TargetFolder(const TargetFolder&) = delete;
    TargetFolder& operator=(const TargetFolder&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    QString errorString() const { return m_error; }

    // A file being written under a temporary name; removed again unless `commit` named it.
    class NewFile {
    public:
        NewFile(int folderFd, QByteArray temporaryName, int fd);
        ~NewFile();
        NewFile(const NewFile&) = delete;
        NewFile& operator=(const NewFile&) = delete;

        FileOutput& output() { return m_output; }
        enum class Outcome { Done, NameTaken, Failed };
        // Gives the file its name (bytes, no folder). Without `replace` an existing name of any
        // kind is left alone and NameTaken returned.
        Outcome commit(const QByteArray& name, bool replace);
        QString errorString() const;

    private:
        int m_folderFd;
        QByteArray m_temporaryName;
        FileOutput m_output;
        int m_error = 0;
        bool m_named = false;
    };

    // Null, with the reason in `error`, when no file can be created in the folder.
    std::unique_ptr<NewFile> createFile(QString* error) const;

private:
    int m_fd = -1;
    QString m_error;
};

} // namespace tallix::platform
