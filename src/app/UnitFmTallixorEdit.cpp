// The editing commands: the program's own undo history, the clipboard, clearing and cleaning.
#include "app/UnitFmTallixor.h"

#include "app/NumberText.h"
#include "app/SmallestEdit.h"
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
#include <limits>

namespace tallix {

namespace {

constexpr int kMaxHistoryEntries = 32;
constexpr int kCaretCodeLines = 30000;
constexpr int kKeyUpsBeforeSnapshot = 10;

} // namespace

void TFmTallixor::ConnectEditHandlers() {
    connect(MnUndo, &QAction::triggered, this,
            tallix::errorsShown(this, &TFmTallixor::MnUndoClick));
    connect(MnRedo, &QAction::triggered, this,
            tallix::errorsShown(this, &TFmTallixor::MnRedoClick));
    connect(N2, &QMenu::aboutToShow, this, tallix::errorsShown(this, &TFmTallixor::N2Click));
    // Out of the open menu the shortcuts stay live: their handlers test the same conditions at
    // the moment of the key, so a state seen when the menu was last open never blocks them.
    connect(N2, &QMenu::aboutToHide, this, [this] {
        MnUndo->setEnabled(true);
        MnRedo->setEnabled(true);
    });
    connect(MnCut, &QAction::triggered, this, tallix::errorsShown(this, &TFmTallixor::MnCutClick));
    connect(MnCopy, &QAction::triggered, this,
            tallix::errorsShown(this, &TFmTallixor::MnCopyClick));
    connect(MnPaste, &QAction::triggered, this,
            tallix::errorsShown(this, &TFmTallixor::MnPasteClick));
    connect(MnSelectAll, &QAction::triggered, this,
            tallix::errorsShown(this, &TFmTallixor::MnSelectAllClick));
    connect(MnClearAll, &QAction::triggered, this,
            tallix::errorsShown(this, &TFmTallixor::MnClearAllClick));
    connect(MNClearExtNum, &QAction::triggered, this,
            tallix::errorsShown(this, &TFmTallixor::MNClearExtNumClick));
    connect(BtCopyAll, &QPushButton::clicked, this,
            tallix::errorsShown(this, &TFmTallixor::BtCopyAllClick));
    connect(BtExchange, &QPushButton::clicked, this,
            tallix::errorsShown(this, &TFmTallixor::BtExchangeClick));
    connect(BtClearAll, &QPushButton::clicked, this,
            tallix::errorsShown(this, &TFmTallixor::MnClearAllClick));
}

bool TFmTallixor::IsEditShortcut(const QKeySequence& keys) const {
    const QList<QAction*> actions = N2->actions();
    return std::any_of(actions.begin(), actions.end(), [&keys](const QAction* action) {
        return !action->shortcut().isEmpty() && action->shortcut() == keys;
    });
}

// The code keeps its meaning, column × 30000 + line, in a signed 32-bit tag; on a line too long
// for that the column is cut to the largest that still fits, so the line is restored exactly.
int TFmTallixor::CaretCode() const {
    const QTextCursor caret = Memo->textCursor();
    const qint64 line = caret.blockNumber();
    const qint64 widestColumn = (std::numeric_limits<int>::max() - line) / kCaretCodeLines;
    const qint64 column = std::min<qint64>(caret.positionInBlock(), widestColumn);
    return static_cast<int>(column * kCaretCodeLines + line);
}

bool TFmTallixor::TakeSnapshot() {
    FKeyUpCount = 0;
    while (FHistory.Count() > FHistoryPos)
        FHistory.Delete(FHistory.Count() - 1);
    const QString text = MemoText();
    if (FHistoryPos > 0 && FHistory.Strings(FHistoryPos - 1) == text)
        return false;
    FHistory.AddInteger(text, CaretCode());
    FHistoryPos = FHistory.Count();
    if (FHistory.Count() > kMaxHistoryEntries) {
        FHistory.Delete(0);
        --FHistoryPos;
    }
    return true;
}

bool TFmTallixor::CanUndo() const {
    return FHistoryPos > 0;
}

bool TFmTallixor::CanRedo() const {
    return FHistoryPos < FHistory.Count() - 1;
}

void TFmTallixor::Undo() {
    if (FHistoryPos == FHistory.Count() && TakeSnapshot())
        --FHistoryPos;
    --FHistoryPos;
    RestoreHistoryEntry(FHistoryPos);
}

void TFmTallixor::Redo() {
    ++FHistoryPos;
    RestoreHistoryEntry(FHistoryPos);
}

void TFmTallixor::RestoreHistoryEntry(int index) {
    ReplaceText(FHistory.Strings(index));
    const int code = FHistory.GetInteger(index);
    const QTextBlock line = Memo->document()->findBlockByNumber(code % kCaretCodeLines);
    QTextCursor caret(Memo->document());
    if (line.isValid()) {
        const int column = std::min(code / kCaretCodeLines, line.length() - 1);
        caret.setPosition(line.position() + column);
    } else {
        caret.movePosition(QTextCursor::End);
    }
    Memo->setTextCursor(caret);
}

void TFmTallixor::ReplaceText(const QString& text) {
    tallix::applySmallestEdit(*Memo->document(), MemoText(), text);
}

void TFmTallixor::MnUndoClick() {
    if (CanUndo())
        Undo();
}

void TFmTallixor::MnRedoClick() {
    if (CanRedo())
        Redo();
}

void TFmTallixor::N2Click() {
    MnUndo->setEnabled(CanUndo());
    MnRedo->setEnabled(CanRedo());
}

void TFmTallixor::MnCutClick() {
    TakeSnapshot();
    Memo->cut();
}

void TFmTallixor::MnCopyClick() {
    Memo->copy();
}

void TFmTallixor::MnPasteClick() {
    TakeSnapshot();
    Memo->paste();
}

void TFmTallixor::MnSelectAllClick() {
    Memo->selectAll();
    Memo->setFocus();
}

void TFmTallixor::MnClearAllClick() {
    TakeSnapshot();
    Memo->clear();
    Memo->setFocus();
}

void TFmTallixor::MNClearExtNumClick() {
    const QString text = MemoText();
    const QString kept = tallix::keepDigitsAndPoints(text);
    if (kept == text)
        return;
    TakeSnapshot();
    const int line = Memo->textCursor().blockNumber();
    tallix::applySmallestEdit(*Memo->document(), text, kept);
    QTextCursor caret(Memo->document()->findBlockByNumber(line));
    Memo->setTextCursor(caret);
}

void TFmTallixor::BtCopyAllClick() {
    Memo->selectAll();
    Memo->copy();
    Memo->setFocus();
}

void TFmTallixor::BtExchangeClick() {
    TakeSnapshot();
    Memo->selectAll();
    // Pasting over the whole text ends as the clipboard's text with the caret after it; building
    // the document at once gets there in half the time of an insertion on a large text.
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    if (clipboard && clipboard->hasText()) {
        Memo->setPlainText(tallix::documentText(clipboard->text()));
        Memo->moveCursor(QTextCursor::End);
    }
    Memo->setFocus();
}

void TFmTallixor::kstrFormFunc1DropFile(QObject*, const QString& fileName) {
    LoadText(fileName);
}

void TFmTallixor::MemoKeyUp(int key) {
    UpdateCaretStatus();
    ++FKeyUpCount;
    const bool editKey = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Delete ||
                         key == Qt::Key_Backspace;
    if (FKeyUpCount > kKeyUpsBeforeSnapshot && editKey)
        TakeSnapshot();
}

} // namespace tallix
