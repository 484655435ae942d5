#include "about/UnitFormVersionInfo.h"

#include "about/ApplicationIcon.h"
#include "about/DesignFonts.h"
#include "about/LinkLabel.h"
#include "env/Functions.h"
#include "env/kstrGlobal.h"
#include "formfunc/ErrorBox.h"
#include "formfunc/FormFuncRules.h"
#include "formfunc/kstrFormFunc.h"
#include "graphics/FuncGraphicWork.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>

#include <vector>

namespace tallix {

using tallix::graphics::TBitmap;
using tallix::graphics::TPixelFormat;

TFormVersionInfo* FormVersionInfo = nullptr;

namespace {

constexpr int kClientWidth = 247;
// The window is laid out at this height and opened at the shorter one.
constexpr int kDesignHeight = 348;
constexpr int kOpenHeight = 222;
// The close button keeps this distance to the window's bottom edge.
constexpr int kCloseButtonBottomGap = 12;

constexpr int kTitleDrawWidth = 320;
constexpr int kTitleDrawHeight = 64;

const QColor kLabelColor(64, 64, 96);
const QColor kOutlineGrey(0x80, 0x80, 0x80);

const QString kInformationSite = QStringLiteral("http://kstr.example");
const QString kInformationPagePath = QStringLiteral("/contents/software/information.php?from=");

QFont labelFont() {
    return designGothicFont(12);
}

// Designed with Windows fonts; elsewhere the nearest installed heavy faces stand in.
QFont titleFont(bool doubleByte) {
    QFont font;
    if (doubleByte) {
        font.setFamilies({QStringLiteral("HGP創英角ｺﾞｼｯｸUB"), QStringLiteral("Noto Sans CJK JP"),
                          QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
        font.setPixelSize(40);
    } else {
        font.setFamilies({QStringLiteral("Arial Black"), QStringLiteral("DejaVu Sans"),
                          QStringLiteral("Nimbus Sans")});
        font.setPixelSize(52);
    }
    font.setWeight(QFont::Black);
    return font;
}

// A picture that lets the window show through wherever it has the colour of its bottom-left
// pixel, as the window's pictures are drawn over its outline.
QPixmap transparentPicture(const QImage& image) {
    QPixmap picture = QPixmap::fromImage(image);
    if (!image.isNull())
        picture.setMask(
            picture.createMaskFromColor(image.pixelColor(0, image.height() - 1), Qt::MaskInColor));
    return picture;
}

QLabel* picture(QWidget* owner, const QString& name, const QRect& place) {
    auto* picture = new QLabel(owner);
    picture->setObjectName(name);
    picture->setGeometry(place);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return picture;
}

template <typename Label>
Label* textLabel(QWidget* owner, const QString& name, const QRect& place, const QColor& color) {
    auto* label = new Label(owner);
    label->setObjectName(name);
    label->setGeometry(place);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

// Names and versions are shown as they are, never taken for markup.
QLabel* PlainLabel(QWidget* owner, const QString& name, const QRect& place) {
    auto* label = textLabel<QLabel>(owner, name, place, kLabelColor);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// Left, top, right, bottom with right and bottom exclusive; the corners are parts of an
// ellipse of width x height.
void roundRect(QPainter& painter, int left, int top, int right, int bottom, int width, int height) {
    painter.drawRoundedRect(QRect(left, top, right - left - 1, bottom - top - 1), width / 2.0,
                            height / 2.0);
}

} // namespace

TFormVersionInfo::TFormVersionInfo(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("FormVersionInfo"));
    // Task switchers and screen readers name the window by its caption, named as the menu item
    // that opens it; the desktop adds the program's name.
    setWindowTitle(QStringLiteral("ソフトウェア情報"));
    setModal(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setFont(labelFont());
    resize(kClientWidth, kDesignHeight);
    CreateControls();
    CreateFormFunc();
    FormCreate();
}

void TFormVersionInfo::CreateControls() {
    ImgAppTitle = picture(this, QStringLiteral("ImgAppTitle"), QRect(4, 0, 173, 32));
    Image1 = picture(this, QStringLiteral("Image1"), QRect(180, 4, 56, 56));
    Image1->setPixmap(transparentPicture(QImage(QStringLiteral(":/about/kestrow-logo.bmp"))));
    ImgIcon = picture(this, QStringLiteral("ImgIcon"), QRect(12, 40, 32, 32));

    LBexe = PlainLabel(this, QStringLiteral("LBexe"), QRect(52, 40, 176, 12));
    LBversion = PlainLabel(this, QStringLiteral("LBversion"), QRect(52, 52, 176, 12));
    Label1 = PlainLabel(this, QStringLiteral("Label1"), QRect(52, 68, 176, 12));
    Label1->setText(QStringLiteral("Copyright (C) 2026 Kestrow"));
    LinkLabel1 =
        textLabel<TLinkLabel>(this, QStringLiteral("LinkLabel1"), QRect(148, 80, 88, 12), Qt::blue);
    LinkLabel1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LinkLabel1->setText(QStringLiteral("kstr.example"));

    BtClose = new QPushButton(QStringLiteral("閉じる"), this);
    BtClose->setObjectName(QStringLiteral("BtClose"));
    BtClose->setGeometry(162, 316, 75, 20);
    BtClose->setDefault(true);
    connect(BtClose, &QPushButton::clicked, this,
            tallix::errorsShown(this, &TFormVersionInfo::BtCloseClick));
}

void TFormVersionInfo::CreateFormFunc() {
    kstrFormFunc1 = new TkstrFormFunc(this);
    kstrFormFunc1->setObjectName(QStringLiteral("kstrFormFunc1"));
    kstrFormFunc1->SetEraseBackGround(true);
    kstrFormFunc1->SetWindowDrag(true);
    kstrFormFunc1->SetWindowRound(true);
    kstrFormFunc1->OnCanDragMove = [this](QObject* sender, int mouseX, int mouseY, bool& dragMove) {
        kstrFormFunc1CanDragMove(sender, mouseX, mouseY, dragMove);
    };
}

void TFormVersionInfo::FormCreate() {
    LBexe->setText(QStringLiteral("ExeName ") + AppGlobal->GetExeName());
    LBversion->setText(QStringLiteral("Version ") + AppGlobal->GetFileVersion());
    LinkLabel1->SetLinkURL(informationPageUrl(AppGlobal->GetInternalName()));
    resize(width(), kOpenHeight);
    // A hidden window hears of its new size only when shown; the button moves now.
    AnchorCloseButton();
    LoadAppTitle();
    ImgIcon->setPixmap(applicationIcon().pixmap(ImgIcon->size()));
}

void TFormVersionInfo::LoadAppTitle() {
    if (const auto resource = loadResourceStream(QStringLiteral("AppTitle"))) {
        const QByteArray bytes = resource->readAll();
        tallix::graphics::TMemoryReadStream stream(
            std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        TBitmap picture;
        tallix::graphics::loadGraphicFromStream(picture, "AppTitle.png", stream);
        ImgAppTitle->setPixmap(transparentPicture(picture.ToImage()));
        return;
    }
    ImgAppTitle->setPixmap(transparentPicture(drawAppTitle(AppGlobal->GetProductName()).ToImage()));
}

void TFormVersionInfo::BtCloseClick() {
    close();
}

void TFormVersionInfo::kstrFormFunc1CanDragMove(QObject* /*sender*/, int /*mouseX*/, int /*mouseY*/,
                                                bool& dragMove) {
    dragMove = true;
}

void TFormVersionInfo::paintEvent(QPaintEvent* /*event*/) {
    FormPaint();
}

void TFormVersionInfo::FormPaint() {
    const int w = width();
    const int h = height();
    QPainter painter(this);
    painter.setPen(QPen(kOutlineGrey, 1));
    painter.setBrush(Qt::NoBrush);
    roundRect(painter, 5, 32, w - 5, h - 5, 4, 4);
    roundRect(painter, 1, 1, w - 1, h - 1, 8, 8);
    painter.setPen(QPen(Qt::black, 1));
    roundRect(painter, 0, 0, w, h, 8, 8);
    roundRect(painter, 1, 1, w - 1, h - 1, 6, 6);
}

void TFormVersionInfo::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    AnchorCloseButton();
}

// Anchored to the bottom edge: the button moves with it.
void TFormVersionInfo::AnchorCloseButton() {
    BtClose->move(BtClose->x(), height() - kCloseButtonBottomGap - BtClose->height());
}

void TFormVersionInfo::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(tallix::formfunc::centredOn(screen->geometry(), size()));
    QDialog::showEvent(event);
}

void showAboutWindow(QWidget* owner) {
    TFormVersionInfo form(owner);
    FormVersionInfo = &form;
    const auto forget = qScopeGuard([] { FormVersionInfo = nullptr; });
    form.exec();
}

TBitmap drawAppTitle(const QString& productName) {
    const bool doubleByte = hasDoubleByteChar(productName);
    QImage canvas(kTitleDrawWidth, kTitleDrawHeight, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        const QFont font = titleFont(doubleByte);
        painter.setFont(font);
        painter.setPen(Qt::black);
        // Placed by the top-left corner of the text cell, not by the baseline.
        const QPoint cell = doubleByte ? QPoint(2, 16) : QPoint(2, 0);
        painter.drawText(cell + QPoint(0, QFontMetrics(font).ascent()), productName);
    }
    TBitmap title = TBitmap::FromImage(canvas);
    title.SetPixelFormat(TPixelFormat::Bit32);
    tallix::graphics::halveBitmap(title);
    title.SetHeight(kTitleDrawHeight / 2);
    title.SetWidth(kTitleDrawWidth / 2);
    return title;
}

QString informationPageUrl(const QString& internalName) {
    return kInformationSite + kInformationPagePath + internalName.toLower();
}

} // namespace tallix
