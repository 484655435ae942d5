#include "app/UnitFmTallixor.h"

#include "app/DocumentMirror.h"
#include "app/NumberMemo.h"
#include "app/NumberText.h"
#include "app/TextFile.h"
#include "app/TextKeeper.h"
#include "env/kstrGlobal.h"
#include "formfunc/ErrorBox.h"
#include "platform/SpecialFolders.h"
#include "voice/ClassNumberVoice.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>

namespace tallix {

TFmTallixor* FmTallixor = nullptr;

namespace {

// Where the text goes when its own folder takes no file: the user's data folder, then the
// user's state folder, as the XDG base directory rules name them.
QStringList rescueFolders() {
    QStringList folders;
    const QString data = tallix::platform::specialFolderPath(tallix::platform::kCsidlAppData);
    if (!data.isEmpty())
        folders.append(data + QStringLiteral("/tallix"));
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString home = qEnvironmentVariable("HOME");
    if (QDir::isAbsolutePath(state))
        folders.append(state + QStringLiteral("/tallix"));
    else if (QDir::isAbsolutePath(home))
        folders.append(home + QStringLiteral("/.local/state/tallix"));
    return folders;
}

void showNotice(QWidget* parent, const QString& message) {
    QMessageBox::warning(parent, QApplication::applicationDisplayName(), message);
}

} // namespace

TFmTallixor::TFmTallixor(QWidget* parent, std::shared_ptr<tallix::platform::SoundPlayer> player)
    : QMainWindow(parent), FSoundPlayer(std::move(player)) {
    setObjectName(QStringLiteral("FmTallixor"));
    CreateControls();
    FMemoText = std::make_unique<tallix::DocumentMirror>(*Memo->document());
    connectMemoAndFileHandlers();
    ConnectEditHandlers();
    ConnectVoiceHandlers();
    FTextKeeper = std::make_unique<tallix::TextKeeper>(NumsFileName(), [this] {
        return tallix::TextFileContent{MemoText(), FTextEncoding};
    });
    FTextKeeper->setRescueFolders(rescueFolders());
    // Shown once the event loop is back, never from inside the save's own bookkeeping.
    connect(
        FTextKeeper.get(), &tallix::TextKeeper::backgroundSaveFailed, this,
        [this](const QString& message) { tallix::showErrorBox(this, message); },
        Qt::QueuedConnection);
    connect(
        FTextKeeper.get(), &tallix::TextKeeper::otherVersionKept, this,
        [this](const QString& message) { showNotice(this, message); }, Qt::QueuedConnection);
    tallix::showErrorsOf(this, [this] { FormCreate(); });
    // Saving in the background starts from the text as loaded.
    connect(Memo, &QPlainTextEdit::textChanged, FTextKeeper.get(),
            &tallix::TextKeeper::textChanged);
}

TFmTallixor::~TFmTallixor() {
    // From here on the reader thread must not call back into a window being taken apart; it is
    // let go without waiting for the sound it may be playing.
    if (FVoice)
        FVoice->DetachOwner();
    tallix::showErrorsOf(this, [this] { FormDestroy(); });
}

void TFmTallixor::connectMemoAndFileHandlers() {
    Memo->installEventFilter(this);
    Memo->viewport()->installEventFilter(this);
    connect(Memo, &QPlainTextEdit::textChanged, this,
            tallix::errorsShown(this, &TFmTallixor::MemoChange));
    connect(static_cast<tallix::NumberMemo*>(Memo), &tallix::NumberMemo::composedKeyPress, this,
            [this](QChar key) { tallix::showErrorsOf(this, [&] { MemoKeyPress(key); }); });
    connectCommand(MnClose, &TFmTallixor::MnCloseClick);
}

void TFmTallixor::connectCommand(QAction* action, void (TFmTallixor::*handler)()) {
    connect(action, &QAction::triggered, this, tallix::errorsShown(this, handler));
}

void TFmTallixor::connectCommand(QPushButton* button, void (TFmTallixor::*handler)()) {
    connect(button, &QPushButton::clicked, this, tallix::errorsShown(this, handler));
}

QString TFmTallixor::NumsFileName() const {
    return AppGlobal->GetDataPath() + QStringLiteral("nums.txt");
}

void TFmTallixor::FormCreate() {
    CreateVoice();
    ReadVoiceSettings();
    const QString fileName = NumsFileName();
    // The history starts from the text the user first sees, so that no undo ever brings back
    // the empty box from before the load; also when the file could not be read.
    try {
        QByteArray bytes;
        if (const auto content = tallix::readTextFileIfPresent(fileName, &bytes)) {
            PutFileText(*content);
            FTextKeeper->fileRead(bytes);
        }
    } catch (const tallix::EFileError& error) {
        takeSnapshot();
        const QString rescueFileName = FTextKeeper->keepUnreadFile();
        throw tallix::EFileError(
            error.what() +
            QStringLiteral("\n\nこのファイルの内容を守るため、Tallix はこのファイルに保存しません。"
                           "この起動中のテキストは %1 に保存します。")
                .arg(rescueFileName)
                .toStdString());
    } catch (...) {
        takeSnapshot();
        throw;
    }
    takeSnapshot();
}

void TFmTallixor::FormDestroy() {
    if (const QString notice = FTextKeeper->saveNow(); !notice.isEmpty())
        showNotice(this, notice);
    WriteVoiceSettings();
}

void TFmTallixor::PutFileText(const tallix::TextFileContent& content) {
    // The file's text arrives with its line breaks made plain already.
    FMemoText->show(tallix::SharedText(content.text));
    Memo->moveCursor(QTextCursor::Start);
    FTextEncoding = content.encoding;
}

QString TFmTallixor::MemoText() const {
    return FMemoText->text().toString();
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
    bool taken = false;
    tallix::showErrorsOf(this, [&] { taken = FilterMemoEvent(watched, event); });
    return taken || QMainWindow::eventFilter(watched, event);
}

bool TFmTallixor::FilterMemoEvent(QObject* watched, QEvent* event) {
    // The text box claims the standard editing keys for itself; the program's own commands must
    // get them instead.
    if (watched == Memo && event->type() == QEvent::ShortcutOverride) {
        const QKeySequence keys(static_cast<QKeyEvent*>(event)->keyCombination());
        if (IsEditShortcut(keys)) {
            event->ignore();
            return true;
        }
    }
    if (watched == Memo && event->type() == QEvent::KeyPress) {
        MemoKeyDown();
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (text.size() == 1)
            MemoKeyPress(text.front());
    } else if (watched == Memo && event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat())
            MemoKeyUp(key->key());
    } else if (watched == Memo->viewport() && event->type() == QEvent::MouseButtonPress)
        MemoMouseDown();
    else if (watched == Memo->viewport() && event->type() == QEvent::MouseButtonRelease)
        MemoClick();
    return false;
}

} // namespace tallix
