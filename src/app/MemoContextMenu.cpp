#include "app/MemoContextMenu.h"

#include "app/UnitFmTallixor.h"
#include "formfunc/ErrorBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>

namespace tallix {

namespace {

// An entry showing the Edit menu item's caption and shortcut; the shortcut itself stays the
// Edit menu's.
void addCommand(QMenu* menu, const QAction* editItem, bool enabled, TFmTallixor* form,
                void (TFmTallixor::*handler)()) {
    const QString shortcut = editItem->shortcut().toString(QKeySequence::NativeText);
    QAction* entry = menu->addAction(editItem->text() + QLatin1Char('\t') + shortcut);
    entry->setEnabled(enabled);
    QObject::connect(entry, &QAction::triggered, form, errorsShown(form, handler));
}

bool clipboardHasText() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasText();
}

} // namespace

QMenu* createMemoContextMenu(TFmTallixor* form, QWidget* parent) {
    auto* menu = new QMenu(parent);
    const bool selected = form->Memo->textCursor().hasSelection();
    addCommand(menu, form->MnUndo, form->history().canUndo(), form, &TFmTallixor::MnUndoClick);
    addCommand(menu, form->MnRedo, form->history().canRedo(), form, &TFmTallixor::MnRedoClick);
    menu->addSeparator();
    addCommand(menu, form->MnCut, selected, form, &TFmTallixor::MnCutClick);
    addCommand(menu, form->MnCopy, selected, form, &TFmTallixor::MnCopyClick);
    addCommand(menu, form->MnPaste, clipboardHasText(), form, &TFmTallixor::MnPasteClick);
    menu->addSeparator();
    addCommand(menu, form->MnSelectAll, !form->Memo->document()->isEmpty(), form,
               &TFmTallixor::MnSelectAllClick);
    return menu;
}

void attachMemoContextMenu(TFmTallixor* form) {
    QPlainTextEdit* memo = form->Memo;
    memo->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(memo, &QWidget::customContextMenuRequested, form, [form](const QPoint& at) {
        showErrorsOf(form, [form, at] {
            QMenu* menu = createMemoContextMenu(form, form);
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(form->Memo->viewport()->mapToGlobal(at));
        });
    });
}

} // namespace tallix
