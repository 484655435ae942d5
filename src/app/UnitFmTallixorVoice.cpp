// The window's side of speech: what the reader thread says when, and the voice options.
#include "app/UnitFmTallixor.h"

#include "app/NumberText.h"
#include "env/kstrGlobal.h"
#include "formfunc/ErrorBox.h"
#include "voice/ClassNumberVoice.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>

namespace tallix {

using tallix::voice::TNumberVoice;

namespace {

const QString kVoiceSection = QStringLiteral("VOICE");
const QString kReadingSet = QStringLiteral("speed");
const QString kInputSet = QStringLiteral("hispeed");

// The characters of a line as the reader thread takes them: one byte per character, and two
// for a double-width one, which like every character without a recording of its own is spoken
// as the short sound of "s.wav".
QByteArray voiceBytes(const QString& line) {
    QByteArray bytes;
    bytes.reserve(line.size());
    for (const QChar c : line) {
        const char16_t code = tallix::plainNumberChar(c).unicode();
        if (code < 0x80)
            bytes.append(static_cast<char>(code));
        else if (code >= 0xFF61 && code <= 0xFF9F) // half-width katakana: one byte
            bytes.append('\xA0');
        else if (!c.isLowSurrogate())
            bytes.append("\x81\x40", 2);
    }
    return bytes;
}

bool isSpokenWhileTyping(QChar key) {
    return key == QLatin1Char('\r') || key == QLatin1Char('.') ||
           (key >= QLatin1Char('0') && key <= QLatin1Char('9'));
}

} // namespace

void TFmTallixor::ConnectVoiceHandlers() {
    connectCommand(BtRead, &TFmTallixor::BtReadClick);
    connectCommand(MnRead, &TFmTallixor::BtReadClick);
    connectCommand(MnInputVoice, &TFmTallixor::MnInputVoiceClick);
    connectCommand(MnReturnVoice, &TFmTallixor::MnReturnVoiceClick);
    connectCommand(MnForRead, &TFmTallixor::MnForReadClick);
    connectCommand(MnForInput, &TFmTallixor::MnForInputClick);
}

void TFmTallixor::CreateVoice() {
    FVoice = FSoundPlayer ? TNumberVoice::Create(FSoundPlayer) : TNumberVoice::Create();
    FVoice->SetOnNeedText(this, [this](TNumberVoice* sender) {
        tallix::showErrorsOf(this, [this, sender] { FeedVoice(sender); });
    });
    FVoice->FStopRequest = false;
    FVoice->FVoicePath = AppGlobal->GetExePath();
}

void TFmTallixor::ReadVoiceSettings() {
    SetInputVoice(AppGlobal->ReadBool(kVoiceSection, QStringLiteral("input"), true));
    SetReturnVoice(AppGlobal->ReadBool(kVoiceSection, QStringLiteral("return"), true));
    SetVoiceSet(AppGlobal->ReadString(kVoiceSection, QStringLiteral("type"), kReadingSet));
}

void TFmTallixor::WriteVoiceSettings() {
    AppGlobal->WriteBool(kVoiceSection, QStringLiteral("input"), FInputVoice);
    AppGlobal->WriteBool(kVoiceSection, QStringLiteral("return"), FReturnVoice);
    AppGlobal->WriteString(kVoiceSection, QStringLiteral("type"), FVoiceSet);
}

TFmTallixor::VoiceState TFmTallixor::voiceState() const {
    return {FReading, FReadLine, FInputVoice, FReturnVoice, FVoiceSet};
}

void TFmTallixor::MemoKeyPress(QChar typed) {
    const QChar key = tallix::plainNumberChar(typed);
    if (FInputVoice && isSpokenWhileTyping(key) && !(key == QLatin1Char('\r') && !FReturnVoice)) {
        FTypedChars.append(static_cast<char>(key.unicode()));
        if (FVoice->Suspended())
            FVoice->Resume();
    }
    UpdateCaretStatus();
}

void TFmTallixor::BtReadClick() {
    SetReading(!FReading);
    Memo->setFocus();
}

void TFmTallixor::SetReading(bool on) {
    FReading = on;
    QString caption;
    if (on) {
        Memo->setExtraSelections({});
        FReadLine = Memo->textCursor().blockNumber();
        FVoice->FStopRequest = false;
        if (FVoice->Suspended())
            FVoice->Resume();
        caption = QStringLiteral("読み上げ停止");
    } else {
        FVoice->FStopRequest = true;
        caption = QStringLiteral("読み上げ開始");
        ShowReadLineToScreenReaders(nullptr);
    }
    BtRead->setText(caption);
    MnRead->setText(caption);
}

// An empty last line holds nothing to read.
int TFmTallixor::readableLineCount() const {
    const QTextDocument* document = Memo->document();
    const int blocks = document->blockCount();
    return document->lastBlock().length() <= 1 ? blocks - 1 : blocks;
}

void TFmTallixor::FeedVoice(TNumberVoice*) {
    FVoice->FVoicePath = AppGlobal->GetExePath() + FVoiceSet + QLatin1Char('/');
    if (FVoice->FStopRequest) {
        SetReading(false);
        FVoice->FText.clear();
    }
    FVoice->FStopRequest = false;
    if (FReadLine >= readableLineCount()) {
        SetReading(false);
        // Past the last line there is nothing left to stop: a stop request raised here would
        // only cut short the typed characters handed over below.
        FVoice->FStopRequest = false;
    }
    if (FReading)
        HandOverReadLine();
    FVoice->FText.append(FTypedChars);
    FTypedChars.clear();
    if (!FVoice->FText.isEmpty() && FVoice->Suspended())
        FVoice->Resume();
}

// Marks the next line to read and hands it over. The document's block index finds the line
// without walking the lines above it.
void TFmTallixor::HandOverReadLine() {
    const QTextBlock line = Memo->document()->findBlockByNumber(FReadLine);
    MarkReadLine(line);
    FVoice->FText = voiceBytes(line.text()) + (FReturnVoice ? '\r' : ' ');
    ++FReadLine;
    Memo->setFocus();
}

// The line being read is marked as a selection looks, but the caret and any selection of the
// user's stay as they are: the user goes on typing while the text is read, and a key must act
// where the user works, never on a whole line that merely happens to be read out.
void TFmTallixor::MarkReadLine(const QTextBlock& line) {
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(line);
    mark.cursor.setPosition(line.position() + line.length() - 1, QTextCursor::KeepAnchor);
    mark.format.setBackground(Memo->palette().highlight());
    mark.format.setForeground(Memo->palette().highlightedText());
    Memo->setExtraSelections({mark});
    ShowReadLineToScreenReaders(&line);
    ScrollLineIntoView(line);
}

// Without word wrap the text box scrolls by whole lines, one step per line.
void TFmTallixor::ScrollLineIntoView(const QTextBlock& line) {
    QScrollBar* bar = Memo->verticalScrollBar();
    const int lineHeight = std::max(1, Memo->fontMetrics().lineSpacing());
    const int shownLines = std::max(1, Memo->viewport()->height() / lineHeight);
    const int number = line.firstLineNumber();
    if (number < bar->value())
        bar->setValue(number);
    else if (number >= bar->value() + shownLines)
        bar->setValue(number - shownLines + 1);
}

void TFmTallixor::MnInputVoiceClick() {
    SetInputVoice(!FInputVoice);
}

void TFmTallixor::MnReturnVoiceClick() {
    SetReturnVoice(!FReturnVoice);
}

void TFmTallixor::SetInputVoice(bool on) {
    FInputVoice = on;
    MnInputVoice->setChecked(on);
    MnInputVoice->setText(on ? QStringLiteral("キー入力時発声[on]")
                             : QStringLiteral("キー入力時発声[off]"));
}

void TFmTallixor::SetReturnVoice(bool on) {
    FReturnVoice = on;
    MnReturnVoice->setChecked(on);
    MnReturnVoice->setText(on ? QStringLiteral("改行発声[on]") : QStringLiteral("改行発声[off]"));
}

void TFmTallixor::MnForReadClick() {
    SetVoiceSet(kReadingSet);
}

void TFmTallixor::MnForInputClick() {
    SetVoiceSet(kInputSet);
}

void TFmTallixor::SetVoiceSet(const QString& name) {
    FVoiceSet = name;
    const bool reading = name == kReadingSet;
    MnForRead->setChecked(reading);
    MnForInput->setChecked(!reading);
}

} // namespace tallix
