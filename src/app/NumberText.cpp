#include "app/NumberText.h"

#include <algorithm>

namespace tallix {

namespace {

constexpr char16_t kNextLine = 0x0085;
// The marks a rich text document puts around a frame: the text box makes each a line break.
constexpr char16_t kFrameStart = 0xFDD0;
constexpr char16_t kFrameEnd = 0xFDD1;

bool isLineSeparator(char16_t code) {
    return code == u'\r' || code == kNextLine || code == QChar::LineSeparator ||
           code == QChar::ParagraphSeparator || code == kFrameStart || code == kFrameEnd;
}

bool needsChange(QChar c) {
    return c.unicode() == 0 || isLineSeparator(c.unicode());
}

} // namespace

QChar plainNumberChar(QChar c) {
    const char16_t code = c.unicode();
    if (code >= u'０' && code <= u'９')
        return QChar(static_cast<char16_t>(u'0' + (code - u'０')));
    return code == u'．' ? QChar(u'.') : c;
}

bool isNumberChar(QChar c) {
    const char16_t code = plainNumberChar(c).unicode();
    return (code >= u'0' && code <= u'9') || code == u'.';
}

QString keepDigitsAndPoints(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\n' || isNumberChar(c))
            kept.append(plainNumberChar(c));
    }
    return kept;
}

namespace {

QString numbersOf(const QString& text) {
    QString numbers;
    for (const QChar c : text) {
        if (isNumberChar(c))
            numbers.append(plainNumberChar(c));
    }
    return numbers;
}

// The characters `after` has beyond `before` when it is `before` with text inserted at one
// place, as typing a key makes it; empty for any other change (a deletion, a conversion).
QString insertedText(const QString& before, const QString& after) {
    if (after.size() <= before.size())
        return {};
    qsizetype prefix = 0;
    while (prefix < before.size() && before[prefix] == after[prefix])
        ++prefix;
    const qsizetype suffix = before.size() - prefix;
    if (QStringView(after).right(suffix) != QStringView(before).right(suffix))
        return {};
    return after.mid(prefix, after.size() - before.size());
}

} // namespace

QString newlyComposed(const QString& before, const QString& commit, const QString& after) {
    if (commit.isEmpty())
        return insertedText(before, after);
    QString typed;
    if (before.isEmpty() || numbersOf(commit) != numbersOf(before))
        typed = commit;
    return typed + after;
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
