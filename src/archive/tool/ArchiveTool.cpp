#include "archive/tool/ArchiveTool.h"

#include "archive/ArchiveWriter.h"
#include "archive/ClassArchiveStream.h"
#include "platform/NativeFileNames.h"
#include "platform/RegularFile.h"
#include "platform/TargetFolder.h"
#include "platform/TextCodec.h"

#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <map>
#include <memory>
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
    "       tallix-archive extract [--overwrite] ARCHIVE FOLDER [MEMBER...]\n"
    "\n"
    "list     prints number, size and name of every member; characters that do not show\n"
    "         (controls, direction marks, zero-width and other format characters) are\n"
    "         printed as escapes such as \\x0A or \\u202E\n"
    "add      adds regular files as members named after the file (without its folder); a\n"
    "         member of the same name is replaced; a missing ARCHIVE is created\n"
    "extract  writes the named members (all when none is named) into FOLDER as new files; a\n"
    "         member whose name an earlier one already took is written under a numbered\n"
    "         name. A file or link that already has a member's name is left as it is and the\n"
    "         member is not written, unless --overwrite is given: then the name is replaced\n"
    "         (a link itself, never the file it points to). FOLDER must not be a link.\n";

constexpr int kExitIncomplete = 1;
// A member reader that skips data by a signed 32-bit size cannot pass a larger member.
constexpr std::int64_t kMaxMemberSize = INT32_MAX;
constexpr std::size_t kChunkSize = 1 << 20;
const QString kOverwriteOption = QStringLiteral("--overwrite");

// Arguments and member names keep their exact bytes, whatever the system's code set.
std::string toBytes(const QString& text) {
    return platform::fileNameToBytes(text).toStdString();
}

QByteArray byteArray(std::string_view bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// "\x5C" for a byte or an ASCII character, "\u202E" or "\U0001F600" for other characters.
std::string hexEscape(char32_t c, bool byte = false) {
    char escaped[16];
    if (c < 0x80 || byte)
        std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(c));
    else if (c <= 0xFFFF)
        std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
    else
        std::snprintf(escaped, sizeof escaped, "\\U%08X", static_cast<unsigned>(c));
    return escaped;
}

// Characters that do not show as themselves: controls (C0 and C1), format characters (zero
// width, direction overrides), separators other than the plain and the ideographic space,
// surrogates, private-use and unassigned code points; and in a name that is not in its
// composed form, combining marks, which could stand in for a composed letter.
bool hidden(char32_t c, bool composed) {
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    case QChar::Separator_Space:
        return c != U' ' && c != U'\u3000';
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return !composed;
    default:
        return c == U'\\';
    }
}

std::string printableText(const QString& text) {
    const bool composed = text == text.normalized(QString::NormalizationForm_C);
    QString shown;
    for (const char32_t c : text.toUcs4()) {
        if (hidden(c, composed))
            shown += QLatin1String(hexEscape(c).c_str());
        else
            shown += QString::fromUcs4(&c, 1);
    }
    return platform::encodeText(shown, platform::TextEncoding::System)->toStdString();
}

// Member names may hold any bytes. Each is shown on one line, and two different names never look
// alike: characters that do not show, and in a name that is not text in the system's code set
// every byte above ASCII, are shown escaped.
std::string printable(std::string_view name) {
    if (const auto text = platform::decodeText(byteArray(name), platform::TextEncoding::System))
        return printableText(*text);
    std::string shown;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        shown +=
            byte < 0x20 || byte >= 0x7F || c == '\\' ? hexEscape(byte, true) : std::string(1, c);
    }
    return shown;
}

// Opening an archive turns an empty file into an empty archive; a command that only reads must
// not change the file.
void requireArchiveToRead(const QString& archivePath) {
    const QFileInfo info(archivePath);
    if (info.isFile() && info.size() == 0)
        throw ToolError("\"" + printable(toBytes(archivePath)) +
                        "\" is not an archive (the file is empty)");
}

// Hands the data of one member to `sink` piece by piece.
template <typename Sink> void readMember(TArchiveStream& archive, int index, Sink&& sink) {
    archive.SelectMember(index);
    std::int64_t left = archive.Files().GetEntrySize(index);
    std::string buffer(std::min<std::int64_t>(left, kChunkSize), '\0');
    while (left > 0) {
        const auto chunk = static_cast<std::int32_t>(std::min<std::int64_t>(left, kChunkSize));
        const std::int32_t got = archive.Read(buffer.data(), chunk);
        if (got <= 0)
            throw ToolError("member \"" + printable(archive.Files().Strings(index)) +
                            "\" ends early");
        sink(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
        left -= got;
    }
}

int listMembers(const QString& archivePath, std::ostream& out) {
    requireArchiveToRead(archivePath);
    TArchiveStream archive(archivePath, TArchiveStream::Opening::ReadOnly);
    const TfilesList& files = archive.Files();
    for (int i = 0; i < files.Count(); ++i)
        out << files.GetEntryID(i) << '\t' << files.GetEntrySize(i) << '\t'
            << printable(files.Strings(i)) << '\n';
    return 0;
}

// Whether a name holds a backslash as a character. Archives made on Windows hold Shift-JIS
// names, whose second bytes may be 0x5C without being a backslash ("表" is 0x95 0x5C).
bool holdsBackslash(std::string_view name) {
    const QByteArray bytes = byteArray(name);
    for (const auto encoding : {platform::TextEncoding::System, platform::TextEncoding::Cp932})
        if (const auto text = platform::decodeText(bytes, encoding))
            return text->contains(QLatin1Char('\\'));
    return name.find('\\') != std::string_view::npos;
}

// A member name becomes a file name inside the target folder only when it cannot point
// anywhere else; `add` refuses the same names, so that every archive it makes can be extracted.
void requireSafeFileName(std::string_view name) {
    const bool unsafe = name.empty() || name == "." || name == ".." ||
                        name.find_first_of(std::string_view("/\0:", 3)) != std::string::npos ||
                        holdsBackslash(name);
    if (unsafe)
        throw ToolError("member \"" + printable(name) + "\" has no usable file name");
}

// A file to add: a regular file, opened without blocking (a FIFO or a device is refused), of a
// size a member can have.
std::unique_ptr<platform::RegularFile> openFileToAdd(const QString& path) {
    auto file = std::make_unique<platform::RegularFile>(path, platform::RegularFile::Access::Read);
    if (!file->isOpen())
        throw ToolError("cannot read \"" + printable(toBytes(path)) +
                        "\": " + file->errorString().toStdString());
    if (file->size() > kMaxMemberSize)
        throw ToolError("\"" + printable(toBytes(path)) +
                        "\" is too large for an archive member (2 GiB at most)");
    return file;
}

// Every file is checked before anything is written; each is opened again when its turn comes.
std::map<std::string, QString> filesToAdd(const QStringList& paths) {
    std::map<std::string, QString> files;
    for (const QString& path : paths) {
        const std::string name = toBytes(QFileInfo(path).fileName());
        requireSafeFileName(name);
        if (!files.emplace(name, path).second)
            throw ToolError("two files are named \"" + printable(name) + "\"");
        openFileToAdd(path);
    }
    return files;
}

// Exactly the size the file had when opened: a file that grows meanwhile is cut there, one that
// shrinks fails the whole command.
void copyFile(const QString& path, ArchiveWriter& writer, std::string_view name,
              const TFileEntry* original) {
    const std::unique_ptr<platform::RegularFile> file = openFileToAdd(path);
    std::int64_t left = file->size();
    if (original)
        writer.beginMember(name, left, *original);
    else
        writer.beginMember(name, left);
    std::string buffer(std::min<std::int64_t>(left, kChunkSize), '\0');
    while (left > 0) {
        const std::int64_t got =
            file->read(buffer.data(), std::min<std::int64_t>(left, kChunkSize));
        if (got <= 0)
            throw ToolError("cannot read \"" + printable(toBytes(path)) +
                            "\": it changed while it was read");
        writer.writeData(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
        left -= got;
    }
}

int addMembers(const QString& archivePath, const QStringList& paths, std::ostream& out) {
    std::map<std::string, QString> added = filesToAdd(paths);
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
            writer.beginMember(name, existing->Files().GetEntrySize(i), record);
            readMember(*existing, i, [&](std::string_view data) { writer.writeData(data); });
            continue;
        }
        copyFile(replacement->second, writer, name, &record);
        out << "replaced " << printable(name) << '\n';
        added.erase(replacement);
    }
    for (const QString& path : paths) {
        auto member = added.find(toBytes(QFileInfo(path).fileName()));
        if (member == added.end())
            continue;
        copyFile(path, writer, member->first, nullptr);
        out << "added " << printable(member->first) << '\n';
        added.erase(member);
    }
    writer.commit();
    return 0;
}

// The named members (every member of each name), in archive order; all when none is named.
std::vector<int> chosenMembers(const TfilesList& files, const QStringList& names) {
    std::set<std::string> wanted;
    for (const QString& name : names)
        wanted.insert(toBytes(name));
    std::set<std::string> found;
    std::vector<int> indices;
    for (int i = 0; i < files.Count(); ++i) {
        if (names.isEmpty() || wanted.count(files.Strings(i)) != 0) {
            indices.push_back(i);
            found.insert(files.Strings(i));
        }
    }
    for (const QString& name : names)
        if (found.count(toBytes(name)) == 0)
            throw ToolError("no member named \"" + printable(toBytes(name)) + "\"");
    return indices;
}

// "name~2.ext": the number goes before the extension, so the file still opens as what it is.
std::string numberedName(const std::string& name, int number) {
    const std::size_t dot = name.rfind('.');
    const std::size_t stem = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, stem) + "~" + std::to_string(number) + name.substr(stem);
}

} // namespace

// Each name keeps its next number, so that thousands of members of one name cost no more than
// thousands of names.
std::vector<std::string> extractedFileNames(const std::vector<std::string>& names) {
    const std::set<std::string> taken(names.begin(), names.end());
    std::set<std::string> used;
    std::map<std::string, int> nextNumber;
    std::vector<std::string> targets;
    for (const std::string& name : names) {
        std::string target = name;
        if (used.count(target) != 0) {
            int& number = nextNumber.try_emplace(name, 2).first->second;
            do
                target = numberedName(name, number++);
            while (used.count(target) != 0 || taken.count(target) != 0);
        }
        used.insert(target);
        targets.push_back(target);
    }
    return targets;
}

namespace {

struct Extraction {
    int renamed = 0;
    int kept = 0;
};

// Streams one member into a new file of the folder; false when the name is taken and may not be
// replaced.
bool extractMember(TArchiveStream& archive, int index, const platform::TargetFolder& folder,
                   const std::string& target, bool overwrite) {
    const auto cannotWrite = [&](const QString& reason) {
        return ToolError("cannot write \"" + printable(target) + "\": " + reason.toStdString());
    };
    QString reason;
    const std::unique_ptr<platform::TargetFolder::NewFile> file = folder.createFile(&reason);
    if (!file)
        throw cannotWrite(reason);
    readMember(archive, index,
               [&](std::string_view data) { file->output().append(data.data(), data.size()); });
    using Outcome = platform::TargetFolder::NewFile::Outcome;
    const Outcome outcome = file->commit(byteArray(target), overwrite);
    if (outcome == Outcome::Failed)
        throw cannotWrite(file->errorString());
    return outcome == Outcome::Done;
}

int extractMembers(const QString& archivePath, const QString& folderPath,
                   const QStringList& memberNames, bool overwrite, std::ostream& out,
                   std::ostream& err) {
    requireArchiveToRead(archivePath);
    TArchiveStream archive(archivePath, TArchiveStream::Opening::ReadOnly);
    const std::vector<int> indices = chosenMembers(archive.Files(), memberNames);
    for (const int index : indices)
        requireSafeFileName(archive.Files().Strings(index));
    std::vector<std::string> names;
    for (const int index : indices)
        names.push_back(archive.Files().Strings(index));
    const std::vector<std::string> targets = extractedFileNames(names);
    const platform::TargetFolder folder(folderPath);
    if (!folder.isOpen())
        throw ToolError("cannot use the folder \"" + printable(toBytes(folderPath)) +
                        "\": " + folder.errorString().toStdString());
    Extraction done;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        const std::string& name = archive.Files().Strings(indices[i]);
        if (!extractMember(archive, indices[i], folder, targets[i], overwrite)) {
            err << "tallix-archive: not extracted: \"" << printable(targets[i])
                << "\" exists in the folder (--overwrite replaces it)\n";
            ++done.kept;
            continue;
        }
        out << "extracted " << printable(name);
        if (targets[i] != name) {
            out << " as " << printable(targets[i]);
            ++done.renamed;
        }
        out << '\n';
    }
    if (done.renamed != 0)
        err << "tallix-archive: " << done.renamed
            << " member(s) share a name with an earlier member and were written under numbered "
               "names\n";
    return done.renamed == 0 && done.kept == 0 ? 0 : kExitIncomplete;
}

int runCommand(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    const QString command = arguments.value(0);
    const qsizetype count = arguments.size();
    if (command == "list" && count == 2)
        return listMembers(arguments[1], out);
    if (command == "add" && count >= 3)
        return addMembers(arguments[1], arguments.mid(2), out);
    const bool overwrite = command == "extract" && arguments.value(1) == kOverwriteOption;
    if (command == "extract" && count >= 3 + overwrite)
        return extractMembers(arguments[1 + overwrite], arguments[2 + overwrite],
                              arguments.mid(3 + overwrite), overwrite, out, err);
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
