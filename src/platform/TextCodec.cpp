#include "platform/TextCodec.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#endif

namespace tallix::platform {
namespace {

// Stray bytes become characters of Supplementary Private Use Area B, U+10FF00 + byte: text never
// holds them in practice, and they are only read back as bytes in the escaped encoding.
constexpr char32_t kEscapeBase = 0x10FF00;

bool isEscape(char32_t c) {
    return c >= kEscapeBase && c <= kEscapeBase + 0xFF;
}

void appendEscape(QString& out, unsigned char byte) {
    const char32_t c = kEscapeBase + byte;
    out.append(QString::fromUcs4(&c, 1));
}

bool isUtf8CodeSet(const QByteArray& name) {
    const QByteArray upper = name.toUpper();
    return upper == "UTF-8" || upper == "UTF8" || upper == "ANSI_X3.4-1968" || upper == "ASCII" ||
           upper.isEmpty();
}

#ifdef _WIN32

QByteArray codeSetFor(TextEncoding encoding) {
    return encoding == TextEncoding::Cp932 ? QByteArray("932") : QByteArray::number(GetACP());
}

std::optional<QString> convertToUnicode(const QByteArray& bytes, const QByteArray& codeSet) {
    if (bytes.isEmpty())
        return QString();
    const UINT page = codeSet.toUInt();
    const int size = static_cast<int>(bytes.size());
    const int length =
        MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.constData(), size, nullptr, 0);
    if (length == 0)
        return std::nullopt;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.constData(), size, wide.data(), length);
    return QString::fromStdWString(wide);
}

std::optional<QByteArray> convertFromUnicode(const QString& text, const QByteArray& codeSet) {
    if (text.isEmpty())
        return QByteArray();
    const UINT page = codeSet.toUInt();
    const std::wstring wide = text.toStdWString();
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(page, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, &lossy);
    if (length == 0 || lossy)
        return std::nullopt;
    QByteArray out(length, '\0');
    WideCharToMultiByte(page, 0, wide.data(), static_cast<int>(wide.size()), out.data(), length,
                        nullptr, nullptr);
    return out;
}

#else

QByteArray codeSetFor(TextEncoding encoding) {
    if (encoding == TextEncoding::Cp932)
        return "CP932";
    const QByteArray name = nl_langinfo(CODESET);
    return isUtf8CodeSet(name) ? QByteArray("UTF-8") : name;
}

// One iconv conversion descriptor, closed with its owner.
class Iconv {
public:
    Iconv(const char* to, const char* from) : m_handle(iconv_open(to, from)) {}
    ~Iconv() {
        if (valid())
            iconv_close(m_handle);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `in`; false at the first sequence that does not convert.
    bool convert(const QByteArray& in, QByteArray& out) {
        out.clear();
        char* source = const_cast<char*>(in.constData());
        size_t sourceLeft = static_cast<size_t>(in.size());
        QByteArray buffer(4 * in.size() + 16, '\0');
        char* target = buffer.data();
        size_t targetLeft = static_cast<size_t>(buffer.size());
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        while (sourceLeft > 0) {
            if (iconv(m_handle, &source, &sourceLeft, &target, &targetLeft) ==
                static_cast<size_t>(-1))
                return false;
        }
        if (iconv(m_handle, nullptr, nullptr, &target, &targetLeft) == static_cast<size_t>(-1))
            return false;
        out = buffer.left(buffer.size() - static_cast<qsizetype>(targetLeft));
        return true;
    }

private:
    iconv_t m_handle;
};

std::optional<QString> convertToUnicode(const QByteArray& bytes, const QByteArray& codeSet) {
    if (codeSet == "UTF-8") {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(bytes);
        if (decoder.hasError())
            return std::nullopt;
        return text;
    }
    Iconv converter("UTF-8", codeSet.constData());
    QByteArray utf8;
    if (!converter.valid() || !converter.convert(bytes, utf8))
        return std::nullopt;
    return QString::fromUtf8(utf8);
}

std::optional<QByteArray> convertFromUnicode(const QString& text, const QByteArray& codeSet) {
    if (codeSet == "UTF-8") {
        QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
        QByteArray bytes = encoder.encode(text);
        if (encoder.hasError())
            return std::nullopt;
        return bytes;
    }
    Iconv converter(codeSet.constData(), "UTF-8");
    QByteArray bytes;
    if (!converter.valid() || !converter.convert(text.toUtf8(), bytes))
        return std::nullopt;
    return bytes;
}

#endif

// Length of the longest prefix of `bytes` from `start` that decodes, found by trying shorter
// spans; kept short because it only runs around bytes that did not decode.
qsizetype decodablePrefix(const QByteArray& bytes, qsizetype start, const QByteArray& codeSet) {
    for (qsizetype length = std::min<qsizetype>(4, bytes.size() - start); length > 0; --length) {
        if (convertToUnicode(bytes.mid(start, length), codeSet))
            return length;
    }
    return 0;
}

QString decodeEscaped(const QByteArray& bytes, const QByteArray& codeSet) {
    QString text;
    qsizetype runStart = 0;
    qsizetype pos = 0;
    auto flushRun = [&](qsizetype end) {
        if (end > runStart)
            text += *convertToUnicode(bytes.mid(runStart, end - runStart), codeSet);
    };
    while (pos < bytes.size()) {
        const qsizetype length = decodablePrefix(bytes, pos, codeSet);
        const bool decodes = length > 0;
        const QString piece =
            decodes ? *convertToUnicode(bytes.mid(pos, length), codeSet) : QString();
        // A genuine character from the escape range would be read back as a byte: escape its
        // bytes instead so the round trip stays exact.
        const QList<uint> codes = piece.toUcs4();
        const bool collides =
            std::any_of(codes.begin(), codes.end(), [](uint c) { return isEscape(c); });
        if (decodes && !collides) {
            pos += length;
            continue;
        }
        flushRun(pos);
        const qsizetype escaped = collides ? length : 1;
        for (qsizetype i = 0; i < escaped; ++i)
            appendEscape(text, static_cast<unsigned char>(bytes[pos + i]));
        pos += escaped;
        runStart = pos;
    }
    flushRun(pos);
    return text;
}

std::optional<QByteArray> encodeEscaped(const QString& text, const QByteArray& codeSet) {
    QByteArray bytes;
    QString run;
    auto flushRun = [&]() -> bool {
        if (run.isEmpty())
            return true;
        const auto encoded = convertFromUnicode(run, codeSet);
        if (!encoded)
            return false;
        bytes += *encoded;
        run.clear();
        return true;
    };
    for (const char32_t c : text.toUcs4()) {
        if (isEscape(c)) {
            if (!flushRun())
                return std::nullopt;
            bytes.append(static_cast<char>(c - kEscapeBase));
        } else {
            run.append(QString::fromUcs4(&c, 1));
        }
    }
    if (!flushRun())
        return std::nullopt;
    return bytes;
}

} // namespace

std::optional<QString> decodeText(const QByteArray& bytes, TextEncoding encoding) {
    const QByteArray codeSet = codeSetFor(encoding);
    if (encoding == TextEncoding::SystemEscaped)
        return decodeEscaped(bytes, codeSet);
    return convertToUnicode(bytes, codeSet);
}

std::optional<QByteArray> encodeText(const QString& text, TextEncoding encoding) {
    const QByteArray codeSet = codeSetFor(encoding);
    if (encoding == TextEncoding::SystemEscaped)
        return encodeEscaped(text, codeSet);
    return convertFromUnicode(text, codeSet);
}

QByteArray systemCodeSet() {
    return codeSetFor(TextEncoding::System);
}

} // namespace tallix::platform
