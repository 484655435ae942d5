// The window's controls, menus and layout: what a form designer would describe.
#include "app/UnitFmTallixor.h"

#include "about/DesignFonts.h"
#include "app/MemoContextMenu.h"
#include "app/NumberMemo.h"
#include "formfunc/ErrorBox.h"
#include "formfunc/kstrFormFunc.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>

#include <utility>

namespace tallix {

namespace {

constexpr int kClientWidth = 422;
constexpr int kClientHeight = 373;
// The window's designed outer size, frame included.
constexpr QSize kDesignOuterSize(430, 419);
constexpr int kToolBarHeight = 22;
constexpr int kButtonWidth = 85;
constexpr int kButtonHeight = 20;
constexpr int kStatusBarHeight = 19;
constexpr int kStatusPanelWidth = 50;

QAction* addItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(caption);
    action->setShortcut(shortcut);
    return action;
}

QAction* addCheckItem(QMenu* menu, const QString& caption) {
    QAction* action = addItem(menu, caption);
    action->setCheckable(true);
    return action;
}

} // namespace

void TFmTallixor::CreateControls() {
    setWindowTitle(QStringLiteral("Tallix"));
    setFont(designGothicFont(12));
    CreateMenus();
    CreateToolBar();

    Memo = new tallix::NumberMemo(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setFont(designGothicFont(16));
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The program keeps an undo history of its own.
    Memo->setUndoRedoEnabled(false);
    setCentralWidget(Memo);
    attachMemoContextMenu(this);

    CreateStatusBar();
    DescribeControls();
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    Memo->setFocus();
    CreateFormFunc();
}

void TFmTallixor::CreateFormFunc() {
    kstrFormFunc1 = new TkstrFormFunc(this);
    kstrFormFunc1->setObjectName(QStringLiteral("kstrFormFunc1"));
    kstrFormFunc1->SetDesignOuterSize(kDesignOuterSize);
    kstrFormFunc1->SetPreserve(true);
    kstrFormFunc1->SetEraseBackGround(true);
    kstrFormFunc1->SetKeepSize(true);
    kstrFormFunc1->SetKeepLocation(true);
    kstrFormFunc1->SetDragDrop(true);
    // The component raises its events inside its own edge. A dropped file has one of its own
    // besides: a file that cannot be read is reported and the files after it still come, and
    // the end of the drop is always seen.
    kstrFormFunc1->OnDropFile = [this](QObject* sender, const QString& fileName) {
        tallix::showErrorsOf(this, [&] { kstrFormFunc1DropFile(sender, fileName); });
    };
    kstrFormFunc1->OnDropFinish = [this](QObject* sender) { kstrFormFunc1DropFinish(sender); };
    kstrFormFunc1->OnFormDestroy = [this](QObject*) { FormDestroy(); };
}

void TFmTallixor::CreateToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    auto* strip = new QWidget(ToolBar1);
    strip->setFixedHeight(kToolBarHeight);
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(0);
    auto button = [&](const QString& name, const QString& caption) {
        auto* pushButton = new QPushButton(caption, strip);
        pushButton->setObjectName(name);
        pushButton->setFixedSize(kButtonWidth, kButtonHeight);
        pushButton->setFocusPolicy(Qt::TabFocus);
        layout->addWidget(pushButton);
        return pushButton;
    };
    BtRead = button(QStringLiteral("BtRead"), QStringLiteral("読み上げ開始"));
    BtCopyAll = button(QStringLiteral("BtCopyAll"), QStringLiteral("テキストコピー"));
    BtExchange = button(QStringLiteral("BtExchange"), QStringLiteral("テキスト入替え"));
    BtClearAll = button(QStringLiteral("BtClearAll"), QStringLiteral("クリア"));
    layout->addStretch();
    ToolBar1->addWidget(strip);
    addToolBar(ToolBar1);
}

void TFmTallixor::CreateMenus() {
    N1 = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    N1->addSeparator();
    MnClose = addItem(N1, QStringLiteral("終了(&X)"));

    N2 = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    MnUndo = addItem(N2, QStringLiteral("戻す"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    MnRedo = addItem(N2, QStringLiteral("やり直す"), QKeySequence(Qt::CTRL | Qt::Key_R));
    N2->addSeparator();
    MnCut = addItem(N2, QStringLiteral("切り取り"), QKeySequence(Qt::CTRL | Qt::Key_X));
    MnCopy = addItem(N2, QStringLiteral("コピー"), QKeySequence(Qt::CTRL | Qt::Key_C));
    MnPaste = addItem(N2, QStringLiteral("貼り付け"), QKeySequence(Qt::CTRL | Qt::Key_V));
    N2->addSeparator();
    MnSelectAll = addItem(N2, QStringLiteral("すべて選択"), QKeySequence(Qt::CTRL | Qt::Key_A));
    N2->addSeparator();
    MnClearAll = addItem(N2, QStringLiteral("すべて消去"), QKeySequence(Qt::CTRL | Qt::Key_D));
    MNClearExtNum = addItem(N2, QStringLiteral("数字以外を消去"));

    N5 = menuBar()->addMenu(QStringLiteral("音声(&V)"));
    MnRead = addItem(N5, QStringLiteral("読み上げ開始"), QKeySequence(Qt::Key_Escape));
    N5->addSeparator();
    MnInputVoice = addCheckItem(N5, QStringLiteral("キー入力時発声[on]"));
    MnReturnVoice = addCheckItem(N5, QStringLiteral("改行発声[on]"));
    N5->addSeparator();
    N11 = N5->addMenu(QStringLiteral("音声"));
    MnForRead = addCheckItem(N11, QStringLiteral("読み上げ用"));
    MnForInput = addCheckItem(N11, QStringLiteral("入力用"));

    N6 = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    MnSoftwareInfo = addItem(N6, QStringLiteral("ソフトウェア情報(&I)"));
    connectCommand(MnSoftwareInfo, &TFmTallixor::MnSoftwareInfoClick);

    // The design's names, by which the menus and commands are found from outside.
    const std::pair<QObject*, const char*> names[] = {
        {N1, "N1"},
        {MnClose, "MnClose"},
        {N2, "N2"},
        {MnUndo, "MnUndo"},
        {MnRedo, "MnRedo"},
        {MnCut, "MnCut"},
        {MnCopy, "MnCopy"},
        {MnPaste, "MnPaste"},
        {MnSelectAll, "MnSelectAll"},
        {MnClearAll, "MnClearAll"},
        {MNClearExtNum, "MNClearExtNum"},
        {N5, "N5"},
        {MnRead, "MnRead"},
        {MnInputVoice, "MnInputVoice"},
        {MnReturnVoice, "MnReturnVoice"},
        {N11, "N11"},
        {MnForRead, "MnForRead"},
        {MnForInput, "MnForInput"},
        {N6, "N6"},
        {MnSoftwareInfo, "MnSoftwareInfo"},
    };
    for (const auto& [object, name] : names)
        object->setObjectName(QLatin1String(name));
}

void TFmTallixor::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setFixedHeight(kStatusBarHeight);
    const Qt::Alignment alignments[3] = {Qt::AlignRight, Qt::AlignHCenter, Qt::AlignLeft};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFixedWidth(kStatusPanelWidth);
        panel->setAlignment(alignments[i] | Qt::AlignVCenter);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        bar->addWidget(panel);
        StatusPanels[i] = panel;
    }
}

} // namespace tallix
