#include "about/LinkLabel.h"
#include "about/UnitFormVersionInfo.h"
#include "env/kstrGlobal.h"
#include "formfunc/kstrFormFunc.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <memory>

using namespace tallix;

using tallix::graphics::TBitmap;
using tallix::graphics::TPixelFormat;

// Stands in for the web browser and records what it was asked to open.
class BrowserRecorder : public QObject {
    Q_OBJECT
public:
    BrowserRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open"); }
    ~BrowserRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
    BrowserRecorder(const BrowserRecorder&) = delete;
    BrowserRecorder& operator=(const BrowserRecorder&) = delete;

    QList<QUrl> m_opened;

public slots:
    void open(const QUrl& url) { m_opened.append(url); }
};

namespace {

const QString kPageUrl =
    QStringLiteral("http://kstr.example/contents/software/information.php?from=tallix");

void sendMouse(QWidget* target, QEvent::Type type, QPoint local, QPoint global,
               Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, local, global, button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

// Presses the left button at a point of the control, moves the pointer on the screen by offset
// in two equal steps and releases it there. The control's own position follows a window that
// moves along.
void dragBy(QWidget* control, QPoint at, QPoint offset) {
    const QPoint start = control->mapToGlobal(at);
    sendMouse(control, QEvent::MouseButtonPress, at, start, Qt::LeftButton, Qt::LeftButton);
    for (const QPoint global : {start + offset / 2, start + offset}) {
        sendMouse(control, QEvent::MouseMove, control->mapFromGlobal(global), global, Qt::NoButton,
                  Qt::LeftButton);
    }
    const QPoint end = start + offset;
    sendMouse(control, QEvent::MouseButtonRelease, control->mapFromGlobal(end), end, Qt::LeftButton,
              Qt::NoButton);
}

int darkest(const QImage& image, const QRect& area) {
    int darkest = 255;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            darkest = qMin(darkest, qGray(image.pixel(x, y)));
    return darkest;
}

bool fitsItsText(const QLabel* label) {
    return label->fontMetrics().horizontalAdvance(label->text()) <= label->width();
}

} // namespace

class AboutWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_folder.isValid());
        qputenv("TALLIX_EXE_FILE", (m_folder.path() + QStringLiteral("/tallix")).toUtf8());
        qunsetenv("TALLIX_NO_VERSION_INFO");
        m_globalUnit = std::make_unique<KstrGlobalUnit>();
    }
    void cleanup() { m_globalUnit.reset(); }

    void windowIsBorderlessWhiteOnTopAndOpensShort() {
        TFormVersionInfo form;
        QCOMPARE(form.size(), QSize(247, 222));
        QCOMPARE(form.windowTitle(), QStringLiteral("ソフトウェア情報"));
        QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(form.isModal());
        QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(form.BtClose->geometry(), QRect(162, 190, 75, 20));
        QCOMPARE(form.BtClose->text(), QStringLiteral("閉じる"));
        QCOMPARE(form.ImgAppTitle->geometry(), QRect(4, 0, 173, 32));
        QCOMPARE(form.Image1->geometry(), QRect(180, 4, 56, 56));
        QCOMPARE(form.ImgIcon->geometry(), QRect(12, 40, 32, 32));
        QCOMPARE(form.LBexe->geometry(), QRect(52, 40, 176, 12));
        QCOMPARE(form.LBversion->geometry(), QRect(52, 52, 176, 12));
        QCOMPARE(form.Label1->geometry(), QRect(52, 68, 176, 12));
        QCOMPARE(form.LinkLabel1->geometry(), QRect(148, 80, 88, 12));
        QCOMPARE(form.Image1->pixmap().size(), QSize(56, 56));
        QCOMPARE(form.ImgIcon->pixmap().size(), QSize(32, 32));

        const TkstrFormFunc* component = form.kstrFormFunc1;
        QVERIFY(!component->Preserve());
        QVERIFY(component->WindowDrag());
        QVERIFY(component->WindowRound());
        QVERIFY(component->EraseBackGround());
        QVERIFY(!component->DragDrop());
        QVERIFY(!component->WindowResize());
    }

    // The button is anchored to the bottom: any height keeps 12 pixels below it.
    void closeButtonFollowsTheBottomEdge() {
        TFormVersionInfo form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.resize(247, 348);
        QCOMPARE(form.BtClose->pos(), QPoint(162, 316));
    }

    void labelsShowNameVersionNoticeAndTheMakersPage() {
        TFormVersionInfo form;
        QCOMPARE(form.LBexe->text(), QStringLiteral("ExeName tallix"));
        QCOMPARE(form.LBversion->text(), QStringLiteral("Version 0.5.0.7"));
        QVERIFY(!form.Label1->text().isEmpty());
        QCOMPARE(form.LinkLabel1->LinkURL(), kPageUrl);
        QVERIFY(QUrl(form.LinkLabel1->text().prepend(QStringLiteral("http://")))
                    .host()
                    .endsWith(QStringLiteral(".example")));
        QVERIFY(form.LinkLabel1->alignment().testFlag(Qt::AlignRight));
        QCOMPARE(form.LinkLabel1->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QCOMPARE(form.LBexe->palette().color(QPalette::WindowText), QColor(64, 64, 96));
        for (const QLabel* label :
             {form.LBexe, form.LBversion, form.Label1, static_cast<QLabel*>(form.LinkLabel1)})
            QVERIFY2(fitsItsText(label), qPrintable(label->text()));
    }

    void missingVersionValuesShowAsDelivered() {
        m_globalUnit.reset();
        qputenv("TALLIX_NO_VERSION_INFO", "1");
        m_globalUnit = std::make_unique<KstrGlobalUnit>();
        TFormVersionInfo form;
        QCOMPARE(form.LBversion->text(), QStringLiteral("Version "));
        QVERIFY(form.LinkLabel1->LinkURL().endsWith(QStringLiteral("?from=unknown")));
        QCOMPARE(informationPageUrl(QStringLiteral("TaLLix")), kPageUrl);
    }

    void drawnTitleIsHalvedWithTheTextAtItsPlace() {
        const TBitmap latin = drawAppTitle(QStringLiteral("Tallix"));
        QCOMPARE(QSize(latin.Width(), latin.Height()), QSize(160, 32));
        QCOMPARE(latin.PixelFormat(), TPixelFormat::Bit32);
        const QImage picture = latin.ToImage();
        // Drawn from the top: the capital's stem reaches into the upper quarter.
        QVERIFY(darkest(picture, QRect(0, 0, 40, 8)) < 64);
        QCOMPARE(darkest(picture, QRect(150, 0, 10, 32)), 255);
        QCOMPARE(qGray(picture.pixel(0, 0)), 255);

        // A double-byte name is drawn 16 pixels lower, in the Japanese face.
        const QImage japanese = drawAppTitle(QStringLiteral("タリクス")).ToImage();
        QCOMPARE(japanese.size(), QSize(160, 32));
        QCOMPARE(darkest(japanese, QRect(0, 0, 160, 8)), 255);
        QVERIFY(darkest(japanese, QRect(0, 8, 160, 24)) < 64);

        TFormVersionInfo form;
        QCOMPARE(form.ImgAppTitle->pixmap().size(), QSize(160, 32));
    }

    void outlineIsRoundedAndDrawnOverThePictures() {
        TFormVersionInfo form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRegion mask = form.mask();
        const int w = 247;
        const int h = 222;
        auto mirrored = [&](int x, int y) {
            return QList<QPoint>{{x, y}, {w - 1 - x, y}, {x, h - 1 - y}, {w - 1 - x, h - 1 - y}};
        };
        for (const QPoint outside : {QPoint(0, 0), QPoint(3, 0), QPoint(1, 1), QPoint(0, 3)})
            for (const QPoint point : mirrored(outside.x(), outside.y()))
                QVERIFY2(!mask.contains(point),
                         qPrintable(QStringLiteral("%1,%2").arg(point.x()).arg(point.y())));
        for (const QPoint inside : {QPoint(4, 0), QPoint(2, 1), QPoint(1, 2), QPoint(0, 4)})
            for (const QPoint point : mirrored(inside.x(), inside.y()))
                QVERIFY(mask.contains(point));

        const QImage shown = form.grab().toImage();
        QCOMPARE(shown.pixelColor(123, 0), QColor(Qt::black));
        QCOMPARE(shown.pixelColor(50, 0), QColor(Qt::black)); // through the title picture
        QCOMPARE(shown.pixelColor(123, 1), QColor(Qt::black));
        QCOMPARE(shown.pixelColor(123, 2), QColor(Qt::white));
        QCOMPARE(shown.pixelColor(w - 1, 100), QColor(Qt::black));
        QCOMPARE(shown.pixelColor(w - 2, 100), QColor(Qt::black));
        QCOMPARE(shown.pixelColor(w - 3, 100), QColor(Qt::white));
        QCOMPARE(shown.pixelColor(170, 32), QColor(0x80, 0x80, 0x80));
        QCOMPARE(shown.pixelColor(5, 100), QColor(0x80, 0x80, 0x80));
        QCOMPARE(shown.pixelColor(w - 6, 100), QColor(0x80, 0x80, 0x80));
        QCOMPARE(shown.pixelColor(123, h - 6), QColor(0x80, 0x80, 0x80));
        QCOMPARE(shown.pixelColor(123, h - 1), QColor(Qt::black));
    }

    void dragByALabelThePicturesOrTheLinkMovesTheWindow() {
        BrowserRecorder browser;
        TFormVersionInfo form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (QWidget* control : std::initializer_list<QWidget*>{
                 form.LBexe, form.Label1, form.Image1, form.ImgAppTitle, form.LinkLabel1}) {
            const QPoint before = form.pos();
            dragBy(control, QPoint(30, 5), QPoint(40, 24));
            QCOMPARE(form.pos(), before + QPoint(40, 24));
        }
        QVERIFY(browser.m_opened.isEmpty());
        QVERIFY(form.isVisible());
    }

    void linkOpensTheMakersPageOnAClickWithoutMoving() {
        BrowserRecorder browser;
        TFormVersionInfo form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QPoint before = form.pos();
        dragBy(form.LinkLabel1, QPoint(80, 5), QPoint());
        QCOMPARE(browser.m_opened, QList<QUrl>{QUrl(kPageUrl)});
        QCOMPARE(form.pos(), before);
    }

    void closeButtonNeverStartsADrag() {
        TFormVersionInfo form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QPoint before = form.pos();
        dragBy(form.BtClose, QPoint(10, 10), QPoint(3, 2));
        QCOMPARE(form.pos(), before);
        QTest::mouseClick(form.BtClose, Qt::LeftButton);
        QVERIFY(!form.isVisible());
    }

    void eachOpeningIsAFreshModalCentredWindow() {
        QWidget owner;
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        for (int opening = 0; opening < 2; ++opening) {
            bool checked = false;
            QTimer::singleShot(0, [&] {
                TFormVersionInfo* shown = FormVersionInfo;
                QVERIFY(shown);
                QCOMPARE(QApplication::activeModalWidget(), shown);
                QCOMPARE(shown->parentWidget(), &owner);
                QCOMPARE(shown->pos(),
                         QPoint((screen.width() - 247) / 2, (screen.height() - 222) / 2));
                QCOMPARE(shown->LBexe->text(), QStringLiteral("ExeName tallix"));
                // What this opening changes must not reach the next one.
                shown->LBexe->setText(QStringLiteral("changed"));
                shown->move(shown->pos() + QPoint(30, 30));
                checked = true;
                QTest::mouseClick(shown->BtClose, Qt::LeftButton);
            });
            showAboutWindow(&owner);
            QVERIFY(checked);
            QCOMPARE(FormVersionInfo, nullptr);
        }
        QVERIFY(owner.findChildren<TFormVersionInfo*>().isEmpty());
    }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<KstrGlobalUnit> m_globalUnit;
};

QTEST_MAIN(AboutWindowTest)
#include "AboutWindowTest.moc"
