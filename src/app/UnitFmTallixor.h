#pragma once

#include "app/TextFile.h"
#include "env/FuncListWork.h"
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

class TextKeeper;
class TkstrFormFunc;

// The main window: the number text, its file, the status bar and every command of the program.
class TFmTallixor : public QMainWindow {
    Q_OBJECT
public:
    // Speaks through the system's sound output unless given another player.
    explicit TFmTallixor(QWidget* parent = nullptr,
                         std::shared_ptr<tallix::platform::SoundPlayer> player = {});
    ~TFmTallixor() override;

    void FormCreate();
    // Also run by the form-behaviour component when the desktop session ends.
    Q_INVOKABLE void FormDestroy();

    // Controls, named as the commands and tests know them.
    QToolBar* ToolBar1 = nullptr;
    QPushButton* BtRead = nullptr;
    QPushButton* BtCopyAll = nullptr;
    QPushButton* BtExchange = nullptr;
    QPushButton* BtClearAll = nullptr;
    QPlainTextEdit* Memo = nullptr;
    QLabel* StatusPanels[3] = {};
    TkstrFormFunc* kstrFormFunc1 = nullptr;

    // The designer's anonymous menus.
    QMenu* N1 = nullptr;  // File
    QMenu* N2 = nullptr;  // Edit
    QMenu* N5 = nullptr;  // Voice
    QMenu* N6 = nullptr;  // Help
    QMenu* N11 = nullptr; // Voice > the voice set
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

    void MemoChange();
    void MemoClick();
    void MemoKeyDown();
    void MemoMouseDown();
    void MnCloseClick();

    // Editing commands.
    void MnUndoClick();
    void MnRedoClick();
    void N2Click(); // the Edit menu opens
    void MnCutClick();
    void MnCopyClick();
    void MnPasteClick();
    void MnSelectAllClick();
    void MnClearAllClick();
    void MNClearExtNumClick();
    void BtCopyAllClick();
    void BtExchangeClick();
    void kstrFormFunc1DropFile(QObject* sender, const QString& fileName);
    void MemoKeyUp(int key);

    // Voice commands.
    void MemoKeyPress(QChar key);
    void BtReadClick();
    void MnInputVoiceClick();
    void MnReturnVoiceClick();
    void MnForReadClick();
    void MnForInputClick();
    void FeedVoice(tallix::voice::TNumberVoice* sender);

    // Help.
    void MnSoftwareInfoClick();

    // The voice state, open to tests.
    bool Reading() const { return FReading; }
    int ReadLine() const { return FReadLine; }
    bool InputVoice() const { return FInputVoice; }
    bool ReturnVoice() const { return FReturnVoice; }
    const QString& VoiceSet() const { return FVoiceSet; }

    // The undo history's operations, open to tests and benchmarks.
    const TiStringList& History() const { return FHistory; }
    int HistoryPos() const { return FHistoryPos; }
    bool TakeSnapshot();
    bool CanUndo() const;
    bool CanRedo() const;
    void Undo();
    void Redo();
    void LoadText(const QString& fileName);

    // The whole text as the file holds it, lines separated by '\n'.
    QString MemoText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool FilterMemoEvent(QObject* watched, QEvent* event);
    void CreateControls();
    void CreateToolBar();
    void CreateMenus();
    void CreateStatusBar();
    void CreateFormFunc();
    void ConnectHandlers();

    void ConnectEditHandlers();
    void ConnectVoiceHandlers();
    void CreateVoice();
    void ReadVoiceSettings();
    void WriteVoiceSettings();
    void SetReading(bool on);
    void SetInputVoice(bool on);
    void SetReturnVoice(bool on);
    void SetVoiceSet(const QString& name);
    int CountedLines() const;
    void HandOverReadLine();
    void MarkReadLine(const QTextBlock& line);
    void ScrollLineIntoView(const QTextBlock& line);
    bool IsEditShortcut(const QKeySequence& keys) const;
    int CaretCode() const;
    void RestoreHistoryEntry(int index);
    void ReplaceText(const QString& text);

    void UpdateCaretStatus();
    QString NumsFileName() const;
    void PutFileText(const tallix::TextFileContent& content);

    TiStringList FHistory;
    QByteArray FTypedChars;
    bool FReading = false;
    int FReadLine = 0;
    std::shared_ptr<tallix::platform::SoundPlayer> FSoundPlayer;
    std::shared_ptr<tallix::voice::TNumberVoice> FVoice;
    bool FInputVoice = false;
    bool FReturnVoice = false;
    QString FVoiceSet;
    int FHistoryPos = 0;
    int FKeyUpCount = 0;

    tallix::platform::TextEncoding FTextEncoding = tallix::platform::TextEncoding::System;
    std::unique_ptr<tallix::TextKeeper> FTextKeeper;
};

extern TFmTallixor* FmTallixor;

} // namespace tallix
