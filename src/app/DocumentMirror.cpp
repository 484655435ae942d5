#include "app/DocumentMirror.h"

#include "app/NumberText.h"
#include "app/SmallestEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QScopedValueRollback>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace tallix {

DocumentMirror::DocumentMirror(QTextDocument& document, QObject* parent)
    : QObject(parent), m_document(document),
      m_text(documentRange(0, document.characterCount() - 1)) {
    // A document reports its changes only once it has a layout.
    document.documentLayout();
    connect(&document, &QTextDocument::contentsChange, this, &DocumentMirror::documentChanged);
}

SharedText DocumentMirror::text() const {
    if (!m_mayNeedCleaning)
        return m_text;
    return SharedText(documentText(m_text.toString()));
}

QString DocumentMirror::documentRange(qsizetype position, qsizetype length) const {
    if (length <= 0)
        return {};
    QTextCursor range(&m_document);
    range.setPosition(static_cast<int>(position));
    range.setPosition(static_cast<int>(position + length), QTextCursor::KeepAnchor);
    QString text = range.selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

// The numbers a document reports are not always those of the text: replacing the whole text
// counts the paragraph end that follows it too, and a change of format only reports its range
// as removed and added again. What has certainly changed follows from the lengths before and
// after, so only the range that starts at `position` and ends where the rest of the text is
// the old one's end is read.
void DocumentMirror::documentChanged(int position, int removed, int added) {
    if (m_showing)
        return;
    const qsizetype oldSize = m_text.size();
    const qsizetype newSize = m_document.characterCount() - 1;
    qsizetype from = std::clamp<qsizetype>(position, 0, oldSize);
    qsizetype gone = std::clamp<qsizetype>(removed, 0, oldSize - from);
    qsizetype come = newSize - oldSize + gone;
    if (come < 0 || from + come > newSize || come < std::min<qsizetype>(added, newSize - from)) {
        from = 0;
        gone = oldSize;
        come = newSize;
    }
    const QString inserted = documentRange(from, come);
    m_mayNeedCleaning = m_mayNeedCleaning || !isDocumentText(inserted);
    m_text = m_text.replaced(from, gone, inserted);
}

void DocumentMirror::show(const SharedText& wanted) {
    {
        const QScopedValueRollback<bool> showing(m_showing, true);
        applySmallestEdit(m_document, m_text, wanted);
    }
    take(wanted);
}

void DocumentMirror::setText(const QString& text) {
    {
        const QScopedValueRollback<bool> showing(m_showing, true);
        m_document.setPlainText(text);
    }
    take(SharedText(text));
}

void DocumentMirror::take(const SharedText& shown) {
    if (m_document.characterCount() - 1 == shown.size()) {
        m_text = shown;
        m_mayNeedCleaning = false;
    } else {
        // The document made something of the text that it does not hold as given.
        m_text = SharedText(documentRange(0, m_document.characterCount() - 1));
        m_mayNeedCleaning = true;
    }
}

} // namespace tallix
