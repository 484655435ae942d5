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

TextFileContent decodeTextFileBytes(const QByteArray& bytes) {
    for (const TextEncoding encoding : {TextEncoding::System, TextEncoding::Cp932}) {
        if (const auto text = platform::decodeText(bytes, encoding))
            return {documentText(*text), encoding};
    }
    const TextEncoding escaped = TextEncoding::SystemEscaped;
    return {documentText(*platform::decodeText(bytes, escaped)), escaped};
}

QByteArray encodeTextFileBytes(const TextFileContent& content) {
    const QString text = withCrLf(content.text);
    if (const auto bytes = platform::encodeText(text, content.encoding))
        return *bytes;
    // The user typed something the file's old encoding cannot hold: keep the text rather than
    // the encoding.
    if (const auto bytes = platform::encodeText(text, TextEncoding::System))
        return *bytes;
    return text.toUtf8();
}

TextFileContent readTextFile(const QString& fileName) {
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
    return decodeTextFileBytes(bytes);
}

void writeTextFile(const QString& fileName, const TextFileContent& content) {
    QString reason;
    if (!platform::writeFileAtomically(fileName, encodeTextFileBytes(content), &reason))
        throw EFileError(
            fileErrorMessage(QStringLiteral("ファイル %1 を作成できません。\n%2"), fileName, reason)
                .toStdString());
}

} // namespace tallix
