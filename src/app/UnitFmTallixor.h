#pragma once

#include "app/TextFile.h"
#include "app/UndoHistory.h"
#include "app/VoiceReading.h"
#include "platform/TextCodec.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTextBlock;
class QToolBar;

namespace tallix::platform {
class SoundPlayer;
}
namespace tallix::voice {
class TNumberVoice;
}

namespace tallix {

class DocumentMirror;
class TextKeeper;
class TkstrFormFunc;

// The main window: the number text, its file, the status bar and every command of the program.
// Its controls carry their names as object names; that is how anything outside finds them.
class TFmTallixor : public QMainWindow {
    Q_OBJECT
public:
    // Speaks through the system's sound output unless given another player.
    explicit TFmTallixor(QWidget* parent = nullptr,
                         std::shared_ptr<tallix::platform::SoundPlayer> player = {});
    ~TFmTallixor() override;

    // When the window is taken down, and also when the desktop session ends (run then by the
    // form-behaviour component): saves the text and the voice options.
    void FormDestroy();

    // The commands. Those of the Edit menu also run from the text box's menu and by their
    // shortcuts.
    // When 終了 is chosen in the File menu.
    void MnCloseClick();
    // When the Edit menu is about to open: enables 戻す and やり直す as far as they can act.
    void N2Click();
    // When 戻す, やり直す, 切り取り, コピー, 貼り付け or すべて選択 is chosen.
    void MnUndoClick();
    void MnRedoClick();
    void MnCutClick();
    void MnCopyClick();
    void MnPasteClick();
    void MnSelectAllClick();
    // When すべて消去 is chosen, or the クリア button is pressed.
    void MnClearAllClick();
    // When 数字以外を消去 is chosen.
    void MNClearExtNumClick();
    // When the テキストコピー or テキスト入替え button is pressed.
    void BtCopyAllClick();
    void BtExchangeClick();
    // When a file is dropped on the window: its text replaces the text.
    void kstrFormFunc1DropFile(QObject* sender, const QString& fileName);
    // When all files of a drop have been handed over.
    void kstrFormFunc1DropFinish(QObject* sender);
    // When the reading button is pressed or its Voice menu item chosen (Esc): starts or stops.
    void BtReadClick();
    // When the Voice menu's key-input voice, line-break voice, or a voice set is chosen.
    void MnInputVoiceClick();
    void MnReturnVoiceClick();
    void MnForReadClick();
    void MnForInputClick();
    // When ソフトウェア情報 is chosen in the Help menu.
    void MnSoftwareInfoClick();

    // The whole text as the file holds it, lines separated by '\n'.
    QString MemoText() const;

    // The undo history as it stands.
    const tallix::UndoHistory& history() const { return FHistory; }

    struct VoiceState {
        bool reading = false;
        int readLine = 0; // the next line to hand to the reader
        bool inputVoice = false;
        bool returnVoice = false;
        QString voiceSet;
        bool resting = true; // the reader thread has nothing left to say and waits
    };
    // What the voice is doing and set to.
    VoiceState voiceState() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The text box's context menu offers the Edit menu's commands with their state.
    friend QMenu* createMemoContextMenu(TFmTallixor* form, QWidget* parent);
    friend void attachMemoContextMenu(TFmTallixor* form);

    // When the window has been built: reads the voice options and the text file.
    void FormCreate();
    // When the text changes.
    void MemoChange();
    // When a mouse button goes down, and comes up again, over the text.
    void MemoMouseDown();
    void MemoClick();
    // When a key goes down in the text box, then with the character it types, if one.
    void MemoKeyDown();
    void MemoKeyPress(QChar key);
    // When a key comes up in the text box (held keys repeating do not count).
    void MemoKeyUp(int key);
    // When the reader thread has said all it was given and asks for more.
    void FeedVoice(tallix::voice::TNumberVoice* sender);

    bool FilterMemoEvent(QObject* watched, QEvent* event);
    void CreateControls();
    void CreateToolBar();
    void CreateMenus();
    void CreateStatusBar();
    void CreateFormFunc();
    void DescribeControls();
    // Tells screen readers which line is being read; none when reading has ended.
    void ShowReadLineToScreenReaders(const QTextBlock* line);
    void connectMemoAndFileHandlers();
    // Runs the handler on the command, its errors stopped and shown at its edge.
    void connectCommand(QAction* action, void (TFmTallixor::*handler)());
    void connectCommand(QPushButton* button, void (TFmTallixor::*handler)());

    void ConnectEditHandlers();
    void ConnectVoiceHandlers();
    void CreateVoice();
    void ReadVoiceSettings();
    void WriteVoiceSettings();
    void SetReading(bool on);
    void SetInputVoice(bool on);
    void SetReturnVoice(bool on);
    void SetVoiceSet(const QString& name);
    void MarkReadLine(const QTextBlock& line);
    void ScrollLineIntoView(const QTextBlock& line);
    bool IsEditShortcut(const QKeySequence& keys) const;

    tallix::CaretPlace caretPlace() const;
    void takeSnapshot();
    void showHistoryEntry(const tallix::UndoHistory::Entry& entry);

    void UpdateCaretStatus();
    QString NumsFileName() const;
    void PutFileText(const tallix::TextFileContent& content);

    // Controls, named as the design names them.
    QToolBar* ToolBar1 = nullptr;
    QPushButton* BtRead = nullptr;
    QPushButton* BtCopyAll = nullptr;
    QPushButton* BtExchange = nullptr;
    QPushButton* BtClearAll = nullptr;
    QPlainTextEdit* Memo = nullptr;
    QLabel* StatusPanels[3] = {};
    TkstrFormFunc* kstrFormFunc1 = nullptr;

    QMenu* N1 = nullptr;  // the File menu
    QMenu* N2 = nullptr;  // the Edit menu
    QMenu* N5 = nullptr;  // the Voice menu
    QMenu* N6 = nullptr;  // the Help menu
    QMenu* N11 = nullptr; // the Voice menu's voice-set submenu (reading or input)
    QAction* MnClose = nullptr;
    QAction* MnUndo = nullptr;
    QAction* MnRedo = nullptr;
    QAction* MnCut = nullptr;
    QAction* MnCopy = nullptr;
    QAction* MnPaste = nullptr;
    QAction* MnSelectAll = nullptr;
    QAction* MnClearAll = nullptr;
    QAction* MNClearExtNum = nullptr;
    QAction* MnRead = nullptr;
    QAction* MnInputVoice = nullptr;
    QAction* MnReturnVoice = nullptr;
    QAction* MnForRead = nullptr;
    QAction* MnForInput = nullptr;
    QAction* MnSoftwareInfo = nullptr;

    // The text box's text, kept up to date edit by edit: taking it costs nothing however long
    // it is, and it shares its unchanged pieces with the history's snapshots.
    std::unique_ptr<tallix::DocumentMirror> FMemoText;
    tallix::UndoHistory FHistory;
    // Whether the text is being read, the next line to read and the typed characters to echo.
    tallix::VoiceReading FVoiceReading;
    std::shared_ptr<tallix::platform::SoundPlayer> FSoundPlayer;
    std::shared_ptr<tallix::voice::TNumberVoice> FVoice;
    bool FInputVoice = false;
    bool FReturnVoice = false;
    QString FVoiceSet;

    tallix::platform::TextEncoding FTextEncoding = tallix::platform::TextEncoding::System;
    // A file of the drop under way has recorded the text from before the drop.
    bool FDropRecorded = false;
    std::unique_ptr<tallix::TextKeeper> FTextKeeper;
};

extern TFmTallixor* FmTallixor;

} // namespace tallix
