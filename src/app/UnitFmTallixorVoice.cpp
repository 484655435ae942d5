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

// The text box's document as reading sees it.
class MemoLines final : public ReadableText {
public:
    explicit MemoLines(const QTextDocument* document) : m_document(document) {}

    // An empty last line holds nothing to read.
    int readableLineCount() const override {
        const int blocks = m_document->blockCount();
        return m_document->lastBlock().length() <= 1 ? blocks - 1 : blocks;
    }
    // The document's block index finds a line without walking the lines above it.
    int lineAt(int position) const override {
        const QTextBlock line = m_document->findBlock(position);
        return line.isValid() ? line.blockNumber() : m_document->blockCount() - 1;
    }
    int lineEnd(int line) const override {
        const QTextBlock block = m_document->findBlockByNumber(line);
        return block.position() + block.length() - 1;
    }
    QByteArray lineVoice(int line) const override {
        return voiceBytes(m_document->findBlockByNumber(line).text());
    }

private:
    const QTextDocument* m_document;
};

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
    connect(Memo->document(), &QTextDocument::contentsChange, this,
            [this](int position, int removed, int added) {
                tallix::showErrorsOf(this,
                                     [&] { FVoiceReading.textChanged(position, removed, added); });
            });
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
    return {FVoiceReading.reading(),
            FVoiceReading.readLine(MemoLines(Memo->document())),
            FInputVoice,
            FReturnVoice,
            FVoiceSet,
            FVoice->Suspended()};
}

void TFmTallixor::MemoKeyPress(QChar typed) {
    const QChar key = tallix::plainNumberChar(typed);
    if (FInputVoice && isSpokenWhileTyping(key) && !(key == QLatin1Char('\r') && !FReturnVoice)) {
        FVoiceReading.type(static_cast<char>(key.unicode()));
        if (FVoice->Suspended())
            FVoice->Resume();
    }
    UpdateCaretStatus();
}

void TFmTallixor::BtReadClick() {
    SetReading(!FVoiceReading.reading());
    Memo->setFocus();
}

void TFmTallixor::SetReading(bool on) {
    QString caption;
    if (on) {
        Memo->setExtraSelections({});
        FVoiceReading.start(Memo->textCursor().blockNumber(), MemoLines(Memo->document()));
        FVoice->FStopRequest = false;
        if (FVoice->Suspended())
            FVoice->Resume();
        caption = QStringLiteral("読み上げ停止");
    } else {
        FVoiceReading.stop();
        FVoice->FStopRequest = true;
        caption = QStringLiteral("読み上げ開始");
        ShowReadLineToScreenReaders(nullptr);
    }
    BtRead->setText(caption);
    MnRead->setText(caption);
}

void TFmTallixor::FeedVoice(TNumberVoice*) {
    FVoice->FVoicePath = AppGlobal->GetExePath() + FVoiceSet + QLatin1Char('/');
    const VoiceReading::HandOver handOver = FVoiceReading.feed(
        FVoice->FText, FVoice->FStopRequest, FReturnVoice, MemoLines(Memo->document()));
    if (handOver.stopReading)
        SetReading(false);
    // The stop has been dealt with: what is handed over now is all to be spoken.
    FVoice->FStopRequest = false;
    if (handOver.markedLine >= 0) {
        MarkReadLine(Memo->document()->findBlockByNumber(handOver.markedLine));
        Memo->setFocus();
    }
    if (!FVoice->FText.isEmpty() && FVoice->Suspended())
        FVoice->Resume();
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
