#pragma once

#include "app/SharedText.h"

#include <QObject>

class QTextDocument;

namespace tallix {

// The text of a document, kept beside it in shared pieces: each change the document reports is
// read back from the changed range only. So the whole text of a document of millions of lines
// is at hand at once, and a snapshot of it shares every piece an edit did not touch.
class DocumentMirror : public QObject {
public:
    explicit DocumentMirror(QTextDocument& document, QObject* parent = nullptr);

    // The text as documentText gives it: lines separated by '\n'.
    SharedText text() const;

    // Makes the document hold `wanted`, editing only where it differs; the mirror then shares
    // the pieces of `wanted`.
    void show(const SharedText& wanted);
    // Builds the document anew from `text` (lines separated by '\n'), which on a large text is
    // quicker than editing it; the mirror takes `text` as it is instead of reading it back.
    void setText(const QString& text);

private:
    void documentChanged(int position, int removed, int added);
    // Takes the text just put into the document as its copy.
    void take(const SharedText& shown);
    // The document's characters from `position` on, its paragraph ends made '\n'.
    QString documentRange(qsizetype position, qsizetype length) const;

    QTextDocument& m_document;
    SharedText m_text;
    // Something slipped into the document that documentText would change.
    bool m_mayNeedCleaning = false;
    bool m_showing = false;
};

} // namespace tallix
