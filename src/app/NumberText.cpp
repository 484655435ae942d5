#include "NumberText.h"

namespace tallix {

QString KeepDigitsAndPoints(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if ((code >= u'0' && code <= u'9') || code == u'.' || code == u'\n')
            kept.append(c);
    }
    return kept;
}

} // namespace tallix
