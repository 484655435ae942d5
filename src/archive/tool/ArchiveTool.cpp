#include "archive/tool/ArchiveTool.h"

#include "archive/ArchiveWriter.h"
#include "archive/ClassArchiveStream.h"
#include "platform/AtomicFile.h"
#include "platform/NativeFileNames.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFileInfo>

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

constexpr std::string_view kUsage =
    "usage: tallix-archive list ARCHIVE\n"
    "       tallix-archive add ARCHIVE FILE...\n"
    "       tallix-archive extract ARCHIVE FOLDER [MEMBER...]\n"
    "\n"
    "list     prints number, size and name of every member\n"
    "add      adds files as members named after the file (without its folder); a member of\n"
    "         the same name is replaced; a missing ARCHIVE is created\n"
    "extract  writes the named members (all when none is named) into FOLDER; a member whose\n"
    "         name an earlier one already took is written under a numbered name\n";

constexpr int kExitIncomplete = 1;

// Arguments and member names keep their exact bytes, whatever the system's code set.
std::string toBytes(const QString& text) {
    return platform::fileNameToBytes(text).toStdString();
}

QString fromBytes(std::string_view bytes) {
    return platform::fileNameFromBytes(
        QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

bool isSystemText(std::string_view bytes) {
    const QByteArray array(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return platform::decodeText(array, platform::TextEncoding::System).has_value();
}

// Member names may hold any bytes; control characters, and in a name that is not text in the
// system's code set every byte above ASCII, are shown escaped so that each member stays on one
// line and two different names never look alike.
std::string printable(std::string_view name) {
    const bool text = isSystemText(name);
    std::string shown;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\' || (!text && byte >= 0x80)) {
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
    QByteArray data;
    QString reason;
    if (!platform::readWholeFile(path, data, &reason))
        throw ToolError("cannot read \"" + printable(toBytes(path)) +
                        "\": " + reason.toStdString());
    return data.toStdString();
}

// Opening an archive turns an empty file into an empty archive; a command that only reads must
// not change the file.
void requireArchiveToRead(const QString& archivePath) {
    const QFileInfo info(archivePath);
    if (info.isFile() && info.size() == 0)
        throw ToolError("\"" + printable(toBytes(archivePath)) +
                        "\" is not an archive (the file is empty)");
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
    requireArchiveToRead(archivePath);
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
            throw ToolError("two files are named \"" + printable(name) + "\"");
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
            writer.addMember(name, readMember(*existing, i), record);
            continue;
        }
        writer.addMember(name, replacement->second, record);
        out << "replaced " << printable(name) << '\n';
        added.erase(replacement);
    }
    for (const QString& path : paths) {
        auto member = added.find(toBytes(QFileInfo(path).fileName()));
        if (member == added.end())
            continue;
        writer.addMember(member->first, member->second);
        out << "added " << printable(member->first) << '\n';
        added.erase(member);
    }
    writer.commit();
    return 0;
}

// Whether a name holds a backslash as a character. Archives made on Windows hold Shift-JIS
// names, whose second bytes may be 0x5C without being a backslash ("表" is 0x95 0x5C).
bool holdsBackslash(std::string_view name) {
    const QByteArray bytes(name.data(), static_cast<qsizetype>(name.size()));
    for (const auto encoding : {platform::TextEncoding::System, platform::TextEncoding::Cp932})
        if (const auto text = platform::decodeText(bytes, encoding))
            return text->contains(QLatin1Char('\\'));
    return name.find('\\') != std::string_view::npos;
}

// A member name becomes a file name inside the target folder only when it cannot point
// anywhere else.
void requireSafeFileName(std::string_view name) {
    const bool unsafe = name.empty() || name == "." || name == ".." ||
                        name.find_first_of(std::string_view("/\0:", 3)) != std::string::npos ||
                        holdsBackslash(name);
    if (unsafe)
        throw ToolError("member \"" + printable(name) + "\" has no usable file name");
}

void writeFile(const QString& path, std::string_view data) {
    QString reason;
    if (!platform::writeFileAtomically(
            path, QByteArray(data.data(), static_cast<qsizetype>(data.size())), &reason))
        throw ToolError("cannot write \"" + printable(toBytes(path)) +
                        "\": " + reason.toStdString());
}

// The named members (every member of each name), in archive order; all when none is named.
std::vector<int> chosenMembers(const TfilesList& files, const QStringList& names) {
    std::set<std::string> wanted;
    for (const QString& name : names) {
        if (files.IndexOf(toBytes(name)) == -1)
            throw ToolError("no member named \"" + printable(toBytes(name)) + "\"");
        wanted.insert(toBytes(name));
    }
    std::vector<int> indices;
    for (int i = 0; i < files.Count(); ++i)
        if (names.isEmpty() || wanted.count(files.Strings(i)) != 0)
            indices.push_back(i);
    return indices;
}

// "name~2.ext": the number goes before the extension, so the file still opens as what it is.
std::string numberedName(const std::string& name, int number) {
    const std::size_t dot = name.rfind('.');
    const std::size_t stem = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, stem) + "~" + std::to_string(number) + name.substr(stem);
}

// The file name for each chosen member. A name that an earlier member already took is numbered,
// never overwritten: members of the same name would otherwise replace each other on disk.
std::vector<std::string> targetNames(const TfilesList& files, const std::vector<int>& indices) {
    std::set<std::string> taken;
    for (const int index : indices)
        taken.insert(files.Strings(index));
    std::set<std::string> used;
    std::vector<std::string> targets;
    for (const int index : indices) {
        const std::string& name = files.Strings(index);
        std::string target = name;
        for (int number = 2;
             used.count(target) != 0 || (target != name && taken.count(target) != 0); ++number)
            target = numberedName(name, number);
        used.insert(target);
        targets.push_back(target);
    }
    return targets;
}

int extractMembers(const QString& archivePath, const QString& folder, const QStringList& names,
                   std::ostream& out, std::ostream& err) {
    requireArchiveToRead(archivePath);
    TArchiveStream archive(archivePath);
    const std::vector<int> indices = chosenMembers(archive.Files(), names);
    for (const int index : indices)
        requireSafeFileName(archive.Files().Strings(index));
    const std::vector<std::string> targets = targetNames(archive.Files(), indices);
    QString reason;
    if (!platform::makeFolders(folder, &reason))
        throw ToolError("cannot create the folder \"" + printable(toBytes(folder)) +
                        "\": " + reason.toStdString());
    int renamed = 0;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        const std::string& name = archive.Files().Strings(indices[i]);
        writeFile(QDir(folder).filePath(fromBytes(targets[i])), readMember(archive, indices[i]));
        out << "extracted " << printable(name);
        if (targets[i] != name) {
            out << " as " << printable(targets[i]);
            ++renamed;
        }
        out << '\n';
    }
    if (renamed == 0)
        return 0;
    err << "tallix-archive: " << renamed
        << " member(s) share a name with an earlier member and were written under numbered "
           "names\n";
    return kExitIncomplete;
}

int runCommand(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    const QString command = arguments.value(0);
    const qsizetype count = arguments.size();
    if (command == "list" && count == 2)
        return listMembers(arguments[1], out);
    if (command == "add" && count >= 3)
        return addMembers(arguments[1], arguments.mid(2), out);
    if (command == "extract" && count >= 3)
        return extractMembers(arguments[1], arguments[2], arguments.mid(3), out, err);
    return -1;
}

} // namespace

int runArchiveTool(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    try {
        const int result = runCommand(arguments, out, err);
        if (result >= 0)
            return result;
        err << kUsage;
        return 2;
    } catch (const std::exception& error) {
        err << "tallix-archive: " << error.what() << '\n';
        return 1;
    }
}

} // namespace tallix::archive::tool
