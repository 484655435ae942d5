#include "app/NumberText.h"

#include <algorithm>

namespace tallix {

namespace {

constexpr char16_t kNextLine = 0x0085;

bool isLineSeparator(char16_t code) {
    return code == u'\r' || code == kNextLine || code == QChar::LineSeparator ||
           code == QChar::ParagraphSeparator;
}

bool needsChange(QChar c) {
    return c.unicode() == 0 || isLineSeparator(c.unicode());
}

} // namespace

QString keepDigitsAndPoints(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if ((code >= u'0' && code <= u'9') || code == u'.' || code == u'\n')
            kept.append(c);
    }
    return kept;
}

bool isDocumentText(const QString& text) {
    return std::none_of(text.begin(), text.end(), needsChange);
}

QString documentText(const QString& text) {
    if (isDocumentText(text))
        return text;
    QString document(text.size(), Qt::Uninitialized);
    QChar* out = document.data();
    const QChar* const end = text.constData() + text.size();
    for (const QChar* in = text.constData(); in != end; ++in) {
        const char16_t code = in->unicode();
        if (code == 0)
            continue;
        if (code == u'\r' && in + 1 != end && in[1] == u'\n')
            continue; // the LF that follows is the break
        *out++ = isLineSeparator(code) ? QChar(u'\n') : *in;
    }
    document.truncate(out - document.constData());
    return document;
}

} // namespace tallix
