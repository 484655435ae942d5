// What the window tells screen readers: a name and a description for every control, and which
// line is being read aloud.
#include "app/UnitFmTallixor.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBlock>
#include <QToolBar>

namespace tallix {

namespace {

const QString kMemoDescription =
    QStringLiteral("数字を入力する欄です。入力した数字・小数点・改行は音声で確認できます。"
                   "Esc でカーソルのある行から読み上げます。");

} // namespace

// Buttons and menu items are named by their captions, which change with what they do; only
// what a caption does not say is added as a description.
void TFmTallixor::DescribeControls() {
    setAccessibleDescription(QStringLiteral("数字を入力して音声で確かめるウィンドウ"));
    Memo->setAccessibleName(QStringLiteral("数字入力欄"));
    Memo->setAccessibleDescription(kMemoDescription);
    ToolBar1->setAccessibleName(QStringLiteral("ツールバー"));
    ToolBar1->setAccessibleDescription(QStringLiteral("読み上げとテキスト全体の操作"));
    BtRead->parentWidget()->setAccessibleName(QStringLiteral("ツールバーのボタン"));
    BtRead->setAccessibleDescription(
        QStringLiteral("カーソルのある行から最後の行まで読み上げます。読み上げ中に押すと止めます。"
                       "（Esc）"));
    BtCopyAll->setAccessibleDescription(
        QStringLiteral("テキスト全体をクリップボードにコピーします。"));
    BtExchange->setAccessibleDescription(
        QStringLiteral("テキスト全体をクリップボードのテキストと入れ替えます。"));
    BtClearAll->setAccessibleDescription(QStringLiteral("テキストをすべて消去します。（Ctrl+D）"));
    statusBar()->setAccessibleName(QStringLiteral("ステータスバー"));
    statusBar()->setAccessibleDescription(QStringLiteral("カーソルの位置"));
    // The panels' texts ("3行", "5文字") name them; the empty third panel gets a name of its own.
    StatusPanels[0]->setAccessibleDescription(QStringLiteral("カーソルのある行"));
    StatusPanels[1]->setAccessibleDescription(QStringLiteral("行の先頭からカーソルまでの文字数"));
    StatusPanels[2]->setAccessibleName(QStringLiteral("空き欄"));
    StatusPanels[2]->setAccessibleDescription(QStringLiteral("表示するものはありません"));
}

// The line being read is marked by colour only: the caret stays where the user types. A screen
// reader learns of the line from the text box's description, which it announces when it changes
// on the focused control. Only the line number is said, so that a screen reader's speech stays
// short beside the recordings that read the line itself.
void TFmTallixor::ShowReadLineToScreenReaders(const QTextBlock* line) {
    const QString description =
        line ? QStringLiteral("%1行目を読み上げ中").arg(line->blockNumber() + 1) : kMemoDescription;
    // Each change is announced: the end of reading, checked at every hand-over, only once.
    if (Memo->accessibleDescription() != description)
        Memo->setAccessibleDescription(description);
}

} // namespace tallix
