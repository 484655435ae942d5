#include "platform/TextCodec.h"

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

#ifdef _WIN32
const QByteArray kUtf8CodeSet("65001");
#else
const QByteArray kUtf8CodeSet("UTF-8");
#endif

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
    if (encoding == TextEncoding::Utf8)
        return kUtf8CodeSet;
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
    if (encoding == TextEncoding::Utf8)
        return kUtf8CodeSet;
    const QByteArray name = nl_langinfo(CODESET);
    return isUtf8CodeSet(name) ? kUtf8CodeSet : name;
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
    if (codeSet == kUtf8CodeSet) {
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
    if (codeSet == kUtf8CodeSet) {
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

// Length of the UTF-8 sequence that starts at `at`, or 0 when the bytes there are no character
// (a stray continuation byte, a cut-off sequence, an overlong form, a surrogate, beyond U+10FFFF).
qsizetype utf8SequenceLength(const unsigned char* at, qsizetype left) {
    const unsigned char lead = at[0];
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (left < length || at[1] < low || at[1] > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if (at[i] < 0x80 || at[i] > 0xBF)
            return 0;
    }
    return length;
}

// The UTF-8 form of the escape range: F4 8F BC 80 to F4 8F BF BF.
bool encodesEscape(const unsigned char* at, qsizetype length) {
    return length == 4 && at[0] == 0xF4 && at[1] == 0x8F && at[2] >= 0xBC;
}

// One pass over the bytes: runs of valid UTF-8 are decoded whole, every other byte is escaped.
QString decodeUtf8Escaped(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype runStart = 0;
    qsizetype pos = 0;
    while (pos < size) {
        const qsizetype length = utf8SequenceLength(data + pos, size - pos);
        // A genuine character from the escape range would be read back as a byte: its bytes
        // are escaped instead so that the round trip stays exact.
        const bool escape = length == 0 || encodesEscape(data + pos, length);
        if (!escape) {
            pos += length;
            continue;
        }
        text += QString::fromUtf8(bytes.constData() + runStart, pos - runStart);
        const qsizetype escaped = length == 0 ? 1 : length;
        for (qsizetype i = 0; i < escaped; ++i)
            appendEscape(text, data[pos + i]);
        pos += escaped;
        runStart = pos;
    }
    text += QString::fromUtf8(bytes.constData() + runStart, pos - runStart);
    return text;
}

#ifdef _WIN32

QString decodeOtherEscaped(const QByteArray& bytes, const QByteArray& codeSet) {
    // Byte by byte where the whole does not convert: slow, but only for stray bytes in a
    // non-UTF-8 code page.
    if (const auto whole = convertToUnicode(bytes, codeSet))
        return *whole;
    QString text;
    for (qsizetype pos = 0; pos < bytes.size();) {
        qsizetype length = std::min<qsizetype>(2, bytes.size() - pos);
        std::optional<QString> piece;
        for (; length > 0 && !(piece = convertToUnicode(bytes.mid(pos, length), codeSet));
             --length) {
        }
        if (piece) {
            text += *piece;
            pos += length;
        } else {
            appendEscape(text, static_cast<unsigned char>(bytes[pos++]));
        }
    }
    return text;
}

#else

// One iconv pass: where a sequence does not convert, its first byte is escaped and the
// conversion goes on after it.
QString decodeOtherEscaped(const QByteArray& bytes, const QByteArray& codeSet) {
    iconv_t handle = iconv_open("UTF-8", codeSet.constData());
    if (handle == reinterpret_cast<iconv_t>(-1))
        return decodeUtf8Escaped(bytes);
    QString text;
    char* source = const_cast<char*>(bytes.constData());
    size_t sourceLeft = static_cast<size_t>(bytes.size());
    QByteArray buffer(4 * bytes.size() + 16, '\0');
    while (sourceLeft > 0) {
        char* target = buffer.data();
        size_t targetLeft = static_cast<size_t>(buffer.size());
        const bool stopped =
            iconv(handle, &source, &sourceLeft, &target, &targetLeft) == static_cast<size_t>(-1);
        text += QString::fromUtf8(buffer.constData(), target - buffer.constData());
        if (stopped && sourceLeft > 0) {
            appendEscape(text, static_cast<unsigned char>(*source));
            ++source;
            --sourceLeft;
            iconv(handle, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(handle);
    return text;
}

#endif

QString decodeEscaped(const QByteArray& bytes, const QByteArray& codeSet) {
    return codeSet == kUtf8CodeSet ? decodeUtf8Escaped(bytes) : decodeOtherEscaped(bytes, codeSet);
}

// An escape is the surrogate pair of U+10FF00 + byte: high U+DBFF, low U+DF00 to U+DFFF.
bool isEscapeAt(QStringView text, qsizetype at) {
    return at + 1 < text.size() && text[at].unicode() == 0xDBFF &&
           text[at + 1].unicode() >= 0xDF00 && text[at + 1].unicode() <= 0xDFFF;
}

std::optional<QByteArray> encodeEscaped(const QString& text, const QByteArray& codeSet) {
    QByteArray bytes;
    bytes.reserve(text.size());
    const QStringView view(text);
    qsizetype runStart = 0;
    auto flushRun = [&](qsizetype end) -> bool {
        if (end == runStart)
            return true;
        const auto encoded =
            convertFromUnicode(view.mid(runStart, end - runStart).toString(), codeSet);
        if (!encoded)
            return false;
        bytes += *encoded;
        return true;
    };
    for (qsizetype i = 0; i < view.size(); ++i) {
        if (!isEscapeAt(view, i))
            continue;
        if (!flushRun(i))
            return std::nullopt;
        bytes.append(static_cast<char>(view[i + 1].unicode() - 0xDF00));
        ++i;
        runStart = i + 1;
    }
    if (!flushRun(view.size()))
        return std::nullopt;
    return bytes;
}

const QByteArray kUtf8Mark("\xEF\xBB\xBF");
const QByteArray kUtf16LeMark("\xFF\xFE");
const QByteArray kUtf16BeMark("\xFE\xFF");

const QByteArray& markOf(TextEncoding encoding) {
    static const QByteArray none;
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return kUtf8Mark;
    case TextEncoding::Utf16LeBom:
        return kUtf16LeMark;
    case TextEncoding::Utf16BeBom:
        return kUtf16BeMark;
    default:
        return none;
    }
}

std::optional<QString> decodeUtf16(const QByteArray& bytes, bool littleEndian) {
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    QString text(bytes.size() / 2, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const unsigned char first = data[2 * i];
        const unsigned char second = data[2 * i + 1];
        out[i] = littleEndian ? static_cast<char16_t>(first | second << 8)
                              : static_cast<char16_t>(first << 8 | second);
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return std::nullopt;
    }
    return text;
}

QByteArray encodeUtf16(const QString& text, bool littleEndian) {
    QByteArray bytes(2 * text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        const auto low = static_cast<char>(unit & 0xFF);
        const auto high = static_cast<char>(unit >> 8);
        bytes[2 * i] = littleEndian ? low : high;
        bytes[2 * i + 1] = littleEndian ? high : low;
    }
    return bytes;
}

std::optional<QString> decodeMarked(const QByteArray& bytes, TextEncoding encoding) {
    const QByteArray& mark = markOf(encoding);
    if (!bytes.startsWith(mark))
        return std::nullopt;
    const QByteArray body = bytes.mid(mark.size());
    if (encoding == TextEncoding::Utf8Bom)
        return convertToUnicode(body, kUtf8CodeSet);
    return decodeUtf16(body, encoding == TextEncoding::Utf16LeBom);
}

std::optional<QByteArray> encodeMarked(const QString& text, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8Bom) {
        const auto body = convertFromUnicode(text, kUtf8CodeSet);
        return body ? std::optional<QByteArray>(kUtf8Mark + *body) : std::nullopt;
    }
    return markOf(encoding) + encodeUtf16(text, encoding == TextEncoding::Utf16LeBom);
}

bool isMarked(TextEncoding encoding) {
    return !markOf(encoding).isEmpty();
}

} // namespace

std::optional<TextEncoding> byteOrderMarkOf(const QByteArray& bytes) {
    for (const TextEncoding encoding :
         {TextEncoding::Utf8Bom, TextEncoding::Utf16LeBom, TextEncoding::Utf16BeBom}) {
        if (bytes.startsWith(markOf(encoding)))
            return encoding;
    }
    return std::nullopt;
}

std::optional<QString> decodeText(const QByteArray& bytes, TextEncoding encoding) {
    if (isMarked(encoding))
        return decodeMarked(bytes, encoding);
    const QByteArray codeSet = codeSetFor(encoding);
    if (encoding == TextEncoding::SystemEscaped)
        return decodeEscaped(bytes, codeSet);
    return convertToUnicode(bytes, codeSet);
}

std::optional<QByteArray> encodeText(const QString& text, TextEncoding encoding) {
    if (isMarked(encoding))
        return encodeMarked(text, encoding);
    const QByteArray codeSet = codeSetFor(encoding);
    if (encoding == TextEncoding::SystemEscaped)
        return encodeEscaped(text, codeSet);
    return convertFromUnicode(text, codeSet);
}

QByteArray systemCodeSet() {
    return codeSetFor(TextEncoding::System);
}

bool systemCodeSetIsUtf8() {
    return systemCodeSet() == kUtf8CodeSet;
}

} // namespace tallix::platform
