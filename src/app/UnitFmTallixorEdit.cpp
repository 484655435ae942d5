// The editing commands: the program's own undo history, the clipboard, clearing and cleaning.
#include "app/UnitFmTallixor.h"

#include "app/DocumentMirror.h"
#include "app/NumberText.h"
#include "app/TextFile.h"
#include "formfunc/ErrorBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>

#include <algorithm>
#include <utility>

namespace tallix {

void TFmTallixor::ConnectEditHandlers() {
    connectCommand(MnUndo, &TFmTallixor::MnUndoClick);
    connectCommand(MnRedo, &TFmTallixor::MnRedoClick);
    connect(N2, &QMenu::aboutToShow, this, tallix::errorsShown(this, &TFmTallixor::N2Click));
    // Out of the open menu the shortcuts stay live: their handlers test the same conditions at
    // the moment of the key, so a state seen when the menu was last open never blocks them.
    connect(N2, &QMenu::aboutToHide, this, [this] {
        tallix::showErrorsOf(this, [this] {
            MnUndo->setEnabled(true);
            MnRedo->setEnabled(true);
        });
    });
    connectCommand(MnCut, &TFmTallixor::MnCutClick);
    connectCommand(MnCopy, &TFmTallixor::MnCopyClick);
    connectCommand(MnPaste, &TFmTallixor::MnPasteClick);
    connectCommand(MnSelectAll, &TFmTallixor::MnSelectAllClick);
    connectCommand(MnClearAll, &TFmTallixor::MnClearAllClick);
    connectCommand(MNClearExtNum, &TFmTallixor::MNClearExtNumClick);
    connectCommand(BtCopyAll, &TFmTallixor::BtCopyAllClick);
    connectCommand(BtExchange, &TFmTallixor::BtExchangeClick);
    connectCommand(BtClearAll, &TFmTallixor::MnClearAllClick);
}

bool TFmTallixor::IsEditShortcut(const QKeySequence& keys) const {
    const QList<QAction*> actions = N2->actions();
    return std::any_of(actions.begin(), actions.end(), [&keys](const QAction* action) {
        return !action->shortcut().isEmpty() && action->shortcut() == keys;
    });
}

tallix::CaretPlace TFmTallixor::caretPlace() const {
    const QTextCursor caret = Memo->textCursor();
    return {caret.blockNumber(), caret.positionInBlock()};
}

void TFmTallixor::takeSnapshot() {
    FHistory.takeSnapshot(FMemoText->text(), caretPlace(), FTextEncoding);
}

// The text is changed only where it differs, which keeps an undo on a large text quick; the
// caret goes back where it stood, or as near as the line allows.
void TFmTallixor::showHistoryEntry(const tallix::UndoHistory::Entry& entry) {
    FMemoText->show(entry.text);
    const tallix::CaretPlace place = entry.caret;
    const QTextBlock line = Memo->document()->findBlockByNumber(place.line);
    QTextCursor caret(Memo->document());
    if (line.isValid())
        caret.setPosition(line.position() + std::min(place.column, line.length() - 1));
    else
        caret.movePosition(QTextCursor::End);
    Memo->setTextCursor(caret);
    // The text goes back to the file in the encoding it came with.
    FTextEncoding = entry.encoding;
}

void TFmTallixor::MnUndoClick() {
    if (const auto entry = FHistory.undo(FMemoText->text(), caretPlace(), FTextEncoding))
        showHistoryEntry(*entry);
}

void TFmTallixor::MnRedoClick() {
    if (const auto entry = FHistory.redo(FMemoText->text(), caretPlace(), FTextEncoding))
        showHistoryEntry(*entry);
}

void TFmTallixor::N2Click() {
    MnUndo->setEnabled(FHistory.canUndo());
    MnRedo->setEnabled(FHistory.canRedo());
}

void TFmTallixor::MnCutClick() {
    takeSnapshot();
    Memo->cut();
}

void TFmTallixor::MnCopyClick() {
    Memo->copy();
}

void TFmTallixor::MnPasteClick() {
    takeSnapshot();
    Memo->paste();
}

void TFmTallixor::MnSelectAllClick() {
    Memo->selectAll();
    Memo->setFocus();
}

void TFmTallixor::MnClearAllClick() {
    takeSnapshot();
    Memo->clear();
    Memo->setFocus();
}

void TFmTallixor::MNClearExtNumClick() {
    const QString text = MemoText();
    const QString kept = tallix::keepDigitsAndPoints(text);
    if (kept == text)
        return;
    takeSnapshot();
    const int line = Memo->textCursor().blockNumber();
    FMemoText->show(tallix::SharedText(kept));
    QTextCursor caret(Memo->document()->findBlockByNumber(line));
    Memo->setTextCursor(caret);
}

void TFmTallixor::BtCopyAllClick() {
    Memo->selectAll();
    Memo->copy();
    Memo->setFocus();
}

void TFmTallixor::BtExchangeClick() {
    takeSnapshot();
    // Pasting over the whole text ends as the clipboard's text with the caret after it; building
    // the document at once gets there in half the time of an insertion on a large text. The
    // document is built directly: the text box's own way in adds a pass that sets one character
    // format over the whole text, and a plain-text box never has another.
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    if (clipboard && clipboard->hasText()) {
        FMemoText->setText(tallix::documentText(clipboard->text()));
        Memo->moveCursor(QTextCursor::End);
    } else {
        Memo->selectAll();
    }
    Memo->setFocus();
}

// The files of one drop are one step of the history: the text from before the drop is recorded
// once, so that however many files come, one undo brings it back.
void TFmTallixor::kstrFormFunc1DropFile(QObject*, const QString& fileName) {
    const tallix::TextFileContent content = tallix::readTextFile(fileName);
    if (!std::exchange(FDropRecorded, true))
        takeSnapshot();
    PutFileText(content);
}

void TFmTallixor::kstrFormFunc1DropFinish(QObject*) {
    FDropRecorded = false;
}

void TFmTallixor::MemoKeyUp(int key) {
    UpdateCaretStatus();
    if (FHistory.keyReleased(key))
        takeSnapshot();
}

} // namespace tallix
