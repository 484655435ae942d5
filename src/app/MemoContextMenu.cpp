#include "app/MemoContextMenu.h"

#include "app/UnitFmTallixor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>

namespace {

// An entry showing the Edit menu item's caption and shortcut; the shortcut itself stays the
// Edit menu's.
void AddCommand(QMenu* menu, const QAction* editItem, bool enabled, TFmTallixor* form,
                void (TFmTallixor::*handler)()) {
    const QString shortcut = editItem->shortcut().toString(QKeySequence::NativeText);
    QAction* entry = menu->addAction(editItem->text() + QLatin1Char('\t') + shortcut);
    entry->setEnabled(enabled);
    QObject::connect(entry, &QAction::triggered, form, handler);
}

bool ClipboardHasText() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasText();
}

} // namespace

QMenu* CreateMemoContextMenu(TFmTallixor* form, QWidget* parent) {
    auto* menu = new QMenu(parent);
    const bool selected = form->Memo->textCursor().hasSelection();
    AddCommand(menu, form->MnUndo, form->CanUndo(), form, &TFmTallixor::MnUndoClick);
    AddCommand(menu, form->MnRedo, form->CanRedo(), form, &TFmTallixor::MnRedoClick);
    menu->addSeparator();
    AddCommand(menu, form->MnCut, selected, form, &TFmTallixor::MnCutClick);
    AddCommand(menu, form->MnCopy, selected, form, &TFmTallixor::MnCopyClick);
    AddCommand(menu, form->MnPaste, ClipboardHasText(), form, &TFmTallixor::MnPasteClick);
    menu->addSeparator();
    AddCommand(menu, form->MnSelectAll, !form->Memo->document()->isEmpty(), form,
               &TFmTallixor::MnSelectAllClick);
    return menu;
}

void AttachMemoContextMenu(TFmTallixor* form) {
    QPlainTextEdit* memo = form->Memo;
    memo->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(memo, &QWidget::customContextMenuRequested, form, [form](const QPoint& at) {
        QMenu* menu = CreateMemoContextMenu(form, form);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(form->Memo->viewport()->mapToGlobal(at));
    });
}
