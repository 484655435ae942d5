#include "UnitFmTallixor.h"

#include "ErrorBox.h"
#include "TextFile.h"
#include "kstrGlobal.h"

#include <QAction>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>

TFmTallixor* FmTallixor = nullptr;

TFmTallixor::TFmTallixor(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("FmTallixor"));
    CreateControls();
    ConnectHandlers();
    ConnectEditHandlers();
    tallix::ShowErrorsOf(this, [this] { FormCreate(); });
}

TFmTallixor::~TFmTallixor() {
    tallix::ShowErrorsOf(this, [this] { FormDestroy(); });
}

void TFmTallixor::ConnectHandlers() {
    Memo->installEventFilter(this);
    Memo->viewport()->installEventFilter(this);
    connect(Memo, &QPlainTextEdit::textChanged, this, &TFmTallixor::MemoChange);
    connect(MnClose, &QAction::triggered, this, &TFmTallixor::MnCloseClick);
}

QString TFmTallixor::NumsFileName() const {
    return AppGlobal->GetDataPath() + QStringLiteral("nums.txt");
}

void TFmTallixor::FormCreate() {
    const QString fileName = NumsFileName();
    if (QFileInfo::exists(fileName))
        LoadText(fileName);
}

void TFmTallixor::FormDestroy() {
    tallix::WriteTextFile(NumsFileName(), {MemoText(), FTextEncoding});
}

void TFmTallixor::LoadText(const QString& fileName) {
    TakeSnapshot();
    const tallix::TextFileContent content = tallix::ReadTextFile(fileName);
    Memo->setPlainText(content.text);
    FTextEncoding = content.encoding;
}

QString TFmTallixor::MemoText() const {
    // The raw text keeps no-break spaces, which the plain-text export would turn into spaces.
    QString text = Memo->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

void TFmTallixor::UpdateCaretStatus() {
    const QTextCursor caret = Memo->textCursor();
    StatusPanels[0]->setText(QString::number(caret.blockNumber() + 1) + QStringLiteral("行"));
    StatusPanels[1]->setText(QString::number(caret.positionInBlock()) + QStringLiteral("文字"));
}

void TFmTallixor::MemoChange() {
    UpdateCaretStatus();
}
void TFmTallixor::MemoClick() {
    UpdateCaretStatus();
}
void TFmTallixor::MemoKeyDown() {
    UpdateCaretStatus();
}
void TFmTallixor::MemoMouseDown() {
    UpdateCaretStatus();
}

void TFmTallixor::MnCloseClick() {
    close();
}

bool TFmTallixor::eventFilter(QObject* watched, QEvent* event) {
    // The text box claims the standard editing keys for itself; the program's own commands must
    // get them instead.
    if (watched == Memo && event->type() == QEvent::ShortcutOverride) {
        const QKeySequence keys(static_cast<QKeyEvent*>(event)->keyCombination());
        if (IsEditShortcut(keys)) {
            event->ignore();
            return true;
        }
    }
    if (watched == Memo && event->type() == QEvent::KeyPress)
        MemoKeyDown();
    else if (watched == Memo && event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat())
            MemoKeyUp(key->key());
    } else if (watched == Memo->viewport() && event->type() == QEvent::MouseButtonPress)
        MemoMouseDown();
    else if (watched == Memo->viewport() && event->type() == QEvent::MouseButtonRelease)
        MemoClick();
    return QMainWindow::eventFilter(watched, event);
}
