#include "ArchiveTool.h"

#include "ArchiveWriter.h"
#include "ClassArchiveStream.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tallix::archive::tool {

namespace {

class ToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr std::string_view usage =
    "usage: tallix-archive list ARCHIVE\n"
    "       tallix-archive add ARCHIVE FILE...\n"
    "       tallix-archive extract ARCHIVE FOLDER [MEMBER...]\n"
    "\n"
    "list     prints number, size and name of every member\n"
    "add      adds files as members named after the file (without its folder); a member of\n"
    "         the same name is replaced; a missing ARCHIVE is created\n"
    "extract  writes the named members (all when none is named) into FOLDER\n";

std::string toBytes(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

// Member names may hold any bytes; control characters are shown escaped so that each member
// stays on one line.
std::string printable(std::string_view name) {
    std::string shown;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string readWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ToolError("cannot read \"" + toBytes(path) + "\": " + toBytes(file.errorString()));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ToolError("cannot read \"" + toBytes(path) + "\": " + toBytes(file.errorString()));
    return data.toStdString();
}

std::string readMember(TArchiveStream& archive, int index) {
    archive.SelectMember(index);
    const std::int64_t size = archive.Files().GetEntrySize(index);
    std::string data(static_cast<std::size_t>(size), '\0');
    std::int64_t done = 0;
    while (done < size) {
        const auto chunk = static_cast<std::int32_t>(std::min<std::int64_t>(size - done, 1 << 20));
        const std::int32_t got = archive.Read(data.data() + done, chunk);
        if (got <= 0)
            throw ToolError("member \"" + printable(archive.Files().Strings(index)) +
                            "\" ends early");
        done += got;
    }
    return data;
}

int listMembers(const QString& archivePath, std::ostream& out) {
    TArchiveStream archive(archivePath);
    const TfilesList& files = archive.Files();
    for (int i = 0; i < files.Count(); ++i)
        out << files.GetEntryID(i) << '\t' << files.GetEntrySize(i) << '\t'
            << printable(files.Strings(i)) << '\n';
    return 0;
}

std::map<std::string, std::string> readNewMembers(const QStringList& paths) {
    std::map<std::string, std::string> members;
    for (const QString& path : paths) {
        const std::string name = toBytes(QFileInfo(path).fileName());
        if (members.count(name) != 0)
            throw ToolError("two files are named \"" + name + "\"");
        members.emplace(name, readWholeFile(path));
    }
    return members;
}

int addMembers(const QString& archivePath, const QStringList& paths, std::ostream& out) {
    std::map<std::string, std::string> added = readNewMembers(paths);
    // The existing archive stays open (and locked against other writers) until the new file
    // has replaced it.
    std::unique_ptr<TArchiveStream> existing;
    if (QFileInfo::exists(archivePath))
        existing = std::make_unique<TArchiveStream>(archivePath);
    ArchiveWriter writer(archivePath);
    for (int i = 0; existing && i < existing->Files().Count(); ++i) {
        const std::string& name = existing->Files().Strings(i);
        const TFileEntry& record = *existing->Files().Objects(i);
        auto replacement = added.find(name);
        if (replacement == added.end()) {
            writer.AddMember(name, readMember(*existing, i), record);
            continue;
        }
        writer.AddMember(name, replacement->second, record);
        out << "replaced " << printable(name) << '\n';
        added.erase(replacement);
    }
    for (const QString& path : paths) {
        auto member = added.find(toBytes(QFileInfo(path).fileName()));
        if (member == added.end())
            continue;
        writer.AddMember(member->first, member->second);
        out << "added " << printable(member->first) << '\n';
        added.erase(member);
    }
    writer.Commit();
    return 0;
}

// A member name becomes a file name inside the target folder only when it cannot point
// anywhere else.
void requireSafeFileName(std::string_view name) {
    const bool unsafe = name.empty() || name == "." || name == ".." ||
                        name.find_first_of(std::string_view("/\\\0:", 4)) != std::string::npos;
    if (unsafe)
        throw ToolError("member \"" + printable(name) + "\" has no usable file name");
}

void writeFile(const QString& path, std::string_view data) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(data.data(), static_cast<qint64>(data.size())) !=
            static_cast<qint64>(data.size()) ||
        !file.commit())
        throw ToolError("cannot write \"" + toBytes(path) + "\": " + toBytes(file.errorString()));
}

std::vector<int> chosenMembers(const TfilesList& files, const QStringList& names) {
    std::vector<int> indices;
    for (const QString& name : names) {
        const int index = files.IndexOf(toBytes(name));
        if (index == -1)
            throw ToolError("no member named \"" + toBytes(name) + "\"");
        indices.push_back(index);
    }
    if (names.isEmpty())
        for (int i = 0; i < files.Count(); ++i)
            indices.push_back(i);
    return indices;
}

int extractMembers(const QString& archivePath, const QString& folder, const QStringList& names,
                   std::ostream& out) {
    TArchiveStream archive(archivePath);
    const std::vector<int> indices = chosenMembers(archive.Files(), names);
    for (const int index : indices)
        requireSafeFileName(archive.Files().Strings(index));
    if (!QDir().mkpath(folder))
        throw ToolError("cannot create the folder \"" + toBytes(folder) + "\"");
    for (const int index : indices) {
        const std::string& name = archive.Files().Strings(index);
        writeFile(QDir(folder).filePath(QFile::decodeName(QByteArray::fromStdString(name))),
                  readMember(archive, index));
        out << "extracted " << printable(name) << '\n';
    }
    return 0;
}

int runCommand(const QStringList& arguments, std::ostream& out) {
    const QString command = arguments.value(0);
    const qsizetype count = arguments.size();
    if (command == "list" && count == 2)
        return listMembers(arguments[1], out);
    if (command == "add" && count >= 3)
        return addMembers(arguments[1], arguments.mid(2), out);
    if (command == "extract" && count >= 3)
        return extractMembers(arguments[1], arguments[2], arguments.mid(3), out);
    return -1;
}

} // namespace

int runArchiveTool(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    try {
        if (runCommand(arguments, out) == 0)
            return 0;
        err << usage;
        return 2;
    } catch (const std::exception& error) {
        err << "tallix-archive: " << error.what() << '\n';
        return 1;
    }
}

} // namespace tallix::archive::tool
