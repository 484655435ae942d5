#include "app/NumberMemo.h"

#include "app/NumberText.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QResizeEvent>

namespace tallix {

namespace {

bool isEnter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

NumberMemo::NumberMemo(QWidget* parent) : QPlainTextEdit(parent) {}

void NumberMemo::keyPressEvent(QKeyEvent* event) {
    // The text box would put a line separator inside the line for Shift+Enter.
    if (isEnter(event) && event->modifiers().testFlag(Qt::ShiftModifier)) {
        QKeyEvent plainEnter(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                             event->text(), event->isAutoRepeat(),
                             static_cast<ushort>(event->count()));
        QPlainTextEdit::keyPressEvent(&plainEnter);
        event->setAccepted(plainEnter.isAccepted());
        return;
    }
    // A key that types a line separator is a line break too.
    if (event->text().contains(QChar::LineSeparator)) {
        insertPlainText(documentText(event->text()));
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void NumberMemo::inputMethodEvent(QInputMethodEvent* event) {
    const QString typed =
        newlyComposed(m_composition, event->commitString(), event->preeditString());
    m_composition = event->preeditString();
    for (const QChar key : typed)
        emit composedKeyPress(key);
    if (isDocumentText(event->commitString())) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent normalised(event->preeditString(), event->attributes());
    normalised.setCommitString(documentText(event->commitString()), event->replacementStart(),
                               event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&normalised);
    event->setAccepted(normalised.isAccepted());
}

void NumberMemo::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText() || isDocumentText(source->text())) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QMimeData text;
    text.setText(documentText(source->text()));
    QPlainTextEdit::insertFromMimeData(&text);
}

// A new width makes the text box lay out every line again, a pass over the whole document (half
// a second for a million lines, at each size the window takes as it first shows). Lines that
// never wrap come out the same at any width, so without wrapping that pass is left out.
void NumberMemo::resizeEvent(QResizeEvent* event) {
    if (lineWrapMode() != NoWrap) {
        QPlainTextEdit::resizeEvent(event);
        return;
    }
    QResizeEvent sameWidth(event->size(), QSize(event->size().width(), event->oldSize().height()));
    QPlainTextEdit::resizeEvent(&sameWidth);
}

} // namespace tallix
