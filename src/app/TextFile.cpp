#include "app/TextFile.h"

#include "app/NumberText.h"
#include "platform/AtomicFile.h"
#include "platform/NativeFiles.h"

namespace tallix {

using platform::FileRead;
using platform::TextEncoding;

namespace {

// How much a NUL and a byte that decodes in nothing weigh against a file's size: where they
// outweigh it, the file is no text (a picture, UTF-16 without its mark).
constexpr qsizetype kNulWeight = 4;
constexpr qsizetype kStrayByteWeight = 2;

QString withCrLf(QString text) {
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

EFileError fileError(const QString& message) {
    return EFileError(message.toStdString());
}

// Stray bytes are kept as characters of the escape range, each a surrogate pair led by U+DBFF.
qsizetype strayBytesIn(const QString& text) {
    return text.count(QChar(0xDBFF));
}

bool looksLikeText(const QString& text, qsizetype byteCount) {
    return text.count(QChar(0)) * kNulWeight + strayBytesIn(text) * kStrayByteWeight <= byteCount;
}

// The encodings to try, in order, for bytes without a byte-order mark.
QList<TextEncoding> unmarkedEncodings() {
    QList<TextEncoding> encodings{TextEncoding::Utf8, TextEncoding::Cp932};
    if (!platform::systemCodeSetIsUtf8())
        encodings.append(TextEncoding::System);
    encodings.append(TextEncoding::SystemEscaped);
    return encodings;
}

// Decoded, and giving the same bytes back when encoded again: a code page that maps two byte
// sequences to one character (CP932 does) must not change the file behind the user's back.
std::optional<QString> decodeExactly(const QByteArray& bytes, TextEncoding encoding) {
    std::optional<QString> text = platform::decodeText(bytes, encoding);
    if (text && encoding != TextEncoding::Utf8 && platform::encodeText(*text, encoding) != bytes)
        return std::nullopt;
    return text;
}

} // namespace

std::optional<TextFileContent> decodeTextFileBytes(const QByteArray& bytes) {
    const std::optional<TextEncoding> marked = platform::byteOrderMarkOf(bytes);
    const QList<TextEncoding> encodings = marked ? QList{*marked} : unmarkedEncodings();
    for (const TextEncoding encoding : encodings) {
        const std::optional<QString> text = decodeExactly(bytes, encoding);
        if (text && looksLikeText(*text, bytes.size()))
            return TextFileContent{documentText(*text), encoding};
    }
    return std::nullopt;
}

QByteArray encodeTextFileBytes(const TextFileContent& content) {
    const QString text = withCrLf(content.text);
    if (const auto bytes = platform::encodeText(text, content.encoding))
        return *bytes;
    return *platform::encodeText(text, TextEncoding::Utf8Bom);
}

namespace {

// The file's text, or nothing when it is missing and that is allowed.
std::optional<TextFileContent> readText(const QString& fileName, bool mayBeMissing,
                                        QByteArray* bytes) {
    const FileRead read = platform::readRegularFile(fileName, kMaxTextFileBytes);
    switch (read.status) {
    case FileRead::Status::Missing:
        if (mayBeMissing)
            return std::nullopt;
        throw fileError(
            QStringLiteral("ファイル %1 を開けません。\n%2").arg(fileName, read.reason));
    case FileRead::Status::Failed:
        throw fileError(
            QStringLiteral("ファイル %1 を読み込めません。\n%2").arg(fileName, read.reason));
    case FileRead::Status::NotRegular:
        throw fileError(QStringLiteral("ファイル %1 は通常のファイルではないため、読み込みません。")
                            .arg(fileName));
    case FileRead::Status::TooLarge:
        throw fileError(QStringLiteral("ファイル %1 は大きすぎるため、読み込みません。"
                                       "読み込めるのは %2 MB までです。")
                            .arg(fileName, QString::number(kMaxTextFileBytes / (1024 * 1024))));
    case FileRead::Status::Read:
        break;
    }
    if (std::optional<TextFileContent> content = decodeTextFileBytes(read.bytes)) {
        if (bytes)
            *bytes = read.bytes;
        return content;
    }
    throw fileError(
        QStringLiteral("ファイル %1 はテキストとして読めないため、読み込みません。").arg(fileName));
}

} // namespace

std::optional<TextFileContent> readTextFileIfPresent(const QString& fileName, QByteArray* bytes) {
    return readText(fileName, true, bytes);
}

TextFileContent readTextFile(const QString& fileName) {
    return *readText(fileName, false, nullptr);
}

void writeTextFile(const QString& fileName, const TextFileContent& content) {
    QString reason;
    if (!platform::writeFileAtomically(fileName, encodeTextFileBytes(content), &reason))
        throw fileError(QStringLiteral("ファイル %1 を作成できません。\n%2").arg(fileName, reason));
}

} // namespace tallix
