#include "app/TextFile.h"

#include "app/NumberText.h"
#include "platform/AtomicFile.h"

#include <QFile>

namespace tallix {

using platform::TextEncoding;

namespace {

QString withCrLf(QString text) {
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

QString fileErrorMessage(const QString& format, const QString& fileName, const QString& reason) {
    return format.arg(fileName, reason);
}

} // namespace

TextFileContent DecodeTextFileBytes(const QByteArray& bytes) {
    for (const TextEncoding encoding : {TextEncoding::System, TextEncoding::Cp932}) {
        if (const auto text = platform::decodeText(bytes, encoding))
            return {DocumentText(*text), encoding};
    }
    const TextEncoding escaped = TextEncoding::SystemEscaped;
    return {DocumentText(*platform::decodeText(bytes, escaped)), escaped};
}

QByteArray EncodeTextFileBytes(const TextFileContent& content) {
    const QString text = withCrLf(content.text);
    if (const auto bytes = platform::encodeText(text, content.encoding))
        return *bytes;
    // The user typed something the file's old encoding cannot hold: keep the text rather than
    // the encoding.
    if (const auto bytes = platform::encodeText(text, TextEncoding::System))
        return *bytes;
    return text.toUtf8();
}

TextFileContent ReadTextFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(fileErrorMessage(QStringLiteral("ファイル %1 を開けません。\n%2"),
                                          fileName, file.errorString())
                             .toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EFileError(fileErrorMessage(QStringLiteral("ファイル %1 を読み込めません。\n%2"),
                                          fileName, file.errorString())
                             .toStdString());
    return DecodeTextFileBytes(bytes);
}

void WriteTextFile(const QString& fileName, const TextFileContent& content) {
    QString reason;
    if (!platform::writeFileAtomically(fileName, EncodeTextFileBytes(content), &reason))
        throw EFileError(
            fileErrorMessage(QStringLiteral("ファイル %1 を作成できません。\n%2"), fileName, reason)
                .toStdString());
}

} // namespace tallix
