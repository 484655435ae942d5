#pragma once

#include <QPlainTextEdit>

namespace tallix {

// The window's text box. Whatever is typed, pasted or dropped into it enters as document text:
// Shift+Enter makes the same line break as Enter, and the separators other programs put on the
// clipboard become line breaks, so the text never holds a break that is no line break in the
// file.
class NumberMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit NumberMemo(QWidget* parent = nullptr);

signals:
    // A character typed through the input method's composition, as it enters the composition
    // (or the text, where it did not compose). Such keys never arrive as key presses.
    void composedKeyPress(QChar key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString m_composition; // what the input method composes, not yet in the text
};

} // namespace tallix
