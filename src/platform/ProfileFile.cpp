#include "platform/ProfileFile.h"

#include "platform/AtomicFile.h"
#include "platform/NativeFiles.h"
#include "platform/TextCodec.h"

#include <QByteArray>
#include <QList>

#include <utility>

namespace tallix::platform {

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");
// Far beyond any settings file; what is larger (a device, a file grown without end) is not one.
constexpr qint64 kMaxProfileBytes = 16 * 1024 * 1024;

// Lines are read in the system code set with every byte that does not decode kept as it is, so
// that a value written by hand in another code set (Shift-JIS) survives being read and written
// back by the program.
QString decodeLine(const QByteArray& line) {
    return *decodeText(line, TextEncoding::SystemEscaped);
}

QByteArray encodeLine(const QString& line) {
    return encodeText(line, TextEncoding::SystemEscaped).value_or(line.toUtf8());
}

// The file split at its line feeds. Each line keeps its carriage return if it had one, so lines
// that are not changed are written back exactly; new lines follow the file's first line end.
struct ProfileText {
    QByteArray bom;
    bool crlf = false;
    bool finalLineEnd = true;
    QList<QByteArray> lines;

    QByteArray newLine(const QString& content) const {
        return encodeLine(content) + (crlf ? "\r" : "");
    }

    // Gives the last line its line end before something is added after it.
    void terminateLastLine() {
        if (!finalLineEnd && !lines.isEmpty() && crlf && !lines.last().endsWith('\r'))
            lines.last() += '\r';
        finalLineEnd = true;
    }
};

ProfileText splitProfile(QByteArray bytes) {
    ProfileText text;
    if (bytes.startsWith(kUtf8Bom)) {
        text.bom = kUtf8Bom;
        bytes.remove(0, kUtf8Bom.size());
    }
    if (bytes.isEmpty())
        return text;
    const qsizetype firstBreak = bytes.indexOf('\n');
    text.crlf = firstBreak > 0 && bytes.at(firstBreak - 1) == '\r';
    text.finalLineEnd = bytes.endsWith('\n');
    text.lines = bytes.split('\n');
    if (text.finalLineEnd)
        text.lines.removeLast();
    return text;
}

QByteArray joinProfile(const ProfileText& text) {
    QByteArray bytes = text.bom + text.lines.join('\n');
    if (!text.lines.isEmpty() && text.finalLineEnd)
        bytes += '\n';
    return bytes;
}

bool isComment(const QString& trimmedLine) {
    return trimmedLine.startsWith(QLatin1Char(';')) || trimmedLine.startsWith(QLatin1Char('#'));
}

// The section name of a header line, or nothing for any other line.
std::optional<QString> sectionHeaderName(const QByteArray& line) {
    const QString trimmed = decodeLine(line).trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    const qsizetype end = close < 0 ? trimmed.size() : close;
    return trimmed.mid(1, end - 1).trimmed();
}

struct KeyLine {
    QString ident;
    QString value;
};

std::optional<KeyLine> parseKeyLine(const QByteArray& line) {
    const QString text = decodeLine(line);
    const QString trimmed = text.trimmed();
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (trimmed.isEmpty() || isComment(trimmed) || equals < 0)
        return std::nullopt;
    QString value = text.mid(equals + 1).trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    return KeyLine{text.left(equals).trimmed(), value};
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Line range [begin, end) of a section's body; the empty name is the part before any header.
struct SectionRange {
    qsizetype begin = 0;
    qsizetype end = 0;
};

std::optional<SectionRange> findSection(const QList<QByteArray>& lines, const QString& section) {
    std::optional<SectionRange> found;
    if (section.isEmpty())
        found = SectionRange{0, lines.size()};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const std::optional<QString> header = sectionHeaderName(lines.at(i));
        if (!header)
            continue;
        if (found) {
            found->end = i;
            return found;
        }
        if (sameName(*header, section))
            found = SectionRange{i + 1, lines.size()};
    }
    return found;
}

std::optional<qsizetype> findKey(const QList<QByteArray>& lines, const SectionRange& range,
                                 const QString& ident) {
    for (qsizetype i = range.begin; i < range.end; ++i) {
        const std::optional<KeyLine> key = parseKeyLine(lines.at(i));
        if (key && sameName(key->ident, ident))
            return i;
    }
    return std::nullopt;
}

bool hasLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

bool isStorable(const QString& section, const QString& ident, const QString& value) {
    if (hasLineBreak(section) || hasLineBreak(ident) || hasLineBreak(value))
        return false;
    if (section.contains(QLatin1Char(']')) || ident.isEmpty() || ident.contains(QLatin1Char('=')) ||
        ident.startsWith(QLatin1Char('[')) || isComment(ident))
        return false;
    return true;
}

// Values that the reader would trim or unquote are written in quotes so they read back as given.
QString quotedIfNeeded(const QString& value) {
    const bool padded = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    const bool quoted =
        value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'));
    return padded || quoted ? QLatin1Char('"') + value + QLatin1Char('"') : value;
}

// Where a new key goes: after the section's last setting (right below its header when it has
// none), so comments and blank lines that lead into the next section stay with that section.
qsizetype insertionLine(const QList<QByteArray>& lines, const SectionRange& range) {
    qsizetype at = range.begin;
    for (qsizetype i = range.begin; i < range.end; ++i) {
        if (parseKeyLine(lines.at(i)))
            at = i + 1;
    }
    return at;
}

void putValue(ProfileText& text, const QString& section, const QString& ident,
              const QString& value) {
    const QString content = ident + QLatin1Char('=') + quotedIfNeeded(value);
    const QByteArray line = text.newLine(content);
    const std::optional<SectionRange> range = findSection(text.lines, section);
    if (!range) {
        text.terminateLastLine();
        text.lines.append(text.newLine(QLatin1Char('[') + section + QLatin1Char(']')));
        text.lines.append(line);
        return;
    }
    if (const std::optional<qsizetype> existing = findKey(text.lines, *range, ident)) {
        QByteArray& replaced = text.lines[*existing];
        replaced = encodeLine(content) + (replaced.endsWith('\r') ? "\r" : "");
        return;
    }
    const qsizetype at = insertionLine(text.lines, *range);
    if (at == text.lines.size())
        text.terminateLastLine();
    text.lines.insert(at, line);
}

// The file's bytes; empty when it is missing, nothing when it cannot be read (also when it is no
// regular file, or too large to be a settings file).
std::optional<QByteArray> readExisting(const QString& fileName) {
    FileRead read = readRegularFile(fileName, kMaxProfileBytes);
    if (read.status == FileRead::Status::Missing)
        return QByteArray();
    if (read.status != FileRead::Status::Read)
        return std::nullopt;
    return std::move(read.bytes);
}

} // namespace

ProfileFile::ProfileFile(QString fileName) : m_fileName(std::move(fileName)) {}

ProfileFile::~ProfileFile() = default;

std::optional<QByteArray> ProfileFile::currentContent() const {
    return m_batch ? m_batch->content : readExisting(m_fileName);
}

std::optional<QString> ProfileFile::readString(const QString& section, const QString& ident) const {
    const std::optional<QByteArray> content = currentContent();
    if (!content)
        return std::nullopt;
    const ProfileText text = splitProfile(*content);
    const std::optional<SectionRange> range = findSection(text.lines, section.trimmed());
    if (!range)
        return std::nullopt;
    const std::optional<qsizetype> line = findKey(text.lines, *range, ident.trimmed());
    if (!line)
        return std::nullopt;
    return parseKeyLine(text.lines.at(*line))->value;
}

bool ProfileFile::writeString(const QString& section, const QString& ident, const QString& value) {
    const QString sectionName = section.trimmed();
    const QString identName = ident.trimmed();
    if (!isStorable(sectionName, identName, value))
        return false;
    // A read-only file refuses the write, as it would if it were rewritten in place; the
    // rename of the atomic write would otherwise replace it because only the folder's rights
    // count there.
    if (fileExists(m_fileName) && !isWritableFile(m_fileName))
        return false;
    const std::optional<QByteArray> existing = currentContent();
    if (!existing)
        return false;
    ProfileText text = splitProfile(*existing);
    putValue(text, sectionName, identName, value);
    if (m_batch) {
        m_batch->content = joinProfile(text);
        m_batch->changed = true;
        return true;
    }
    return writeFileAtomically(m_fileName, joinProfile(text), nullptr);
}

void ProfileFile::beginBatch() {
    if (m_batch)
        return;
    m_batch = Batch{readExisting(m_fileName), false};
}

bool ProfileFile::endBatch() {
    const std::optional<Batch> batch = std::exchange(m_batch, std::nullopt);
    if (!batch || !batch->changed)
        return true;
    return writeFileAtomically(m_fileName, *batch->content, nullptr);
}

} // namespace tallix::platform
