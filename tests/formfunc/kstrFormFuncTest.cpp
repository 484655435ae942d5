#include "FormFuncTestSupport.h"
#include "env/kstrGlobal.h"
#include "formfunc/WindowOutline.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMetaProperty>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <memory>

using namespace tallix;

namespace {

QRect primaryScreen() {
    return QGuiApplication::primaryScreen()->geometry();
}

std::unique_ptr<QMimeData> urlData(const QList<QUrl>& urls) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

// Enter and drop, as the window system delivers them to the form's window. Returns whether the
// drop was taken.
bool dropOn(QWidget* form, const QMimeData* data) {
    QWindow* window = form->windowHandle();
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    drop.setAccepted(false);
    QCoreApplication::sendEvent(window, &drop);
    return drop.isAccepted();
}

void sendMouse(QWidget* form, QEvent::Type type, QPoint local, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, local, form->mapToGlobal(local), button, buttons, modifiers);
    QCoreApplication::sendEvent(form, &event);
}

void pressAt(QWidget* form, QPoint local) {
    sendMouse(form, QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton);
}

void dragTo(QWidget* form, QPoint local, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    sendMouse(form, QEvent::MouseMove, local, Qt::NoButton, Qt::LeftButton, modifiers);
}

// A press given in screen coordinates; true when the form's own handling saw it.
bool pressAtScreen(TTestForm* form, QPoint global) {
    const int before = form->m_ownMousePresses;
    QMouseEvent press(QEvent::MouseButtonPress, form->mapFromGlobal(global), global, Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form, &press);
    return form->m_ownMousePresses > before;
}

TkstrFormFunc* preservingComponent(TTestForm* form) {
    auto* component = new TkstrFormFunc(form);
    component->SetPreserve(true);
    component->SetKeepSize(true);
    component->SetKeepLocation(true);
    component->OnFormDestroy = [form](QObject* sender) { form->FormDestroy(sender); };
    return component;
}

} // namespace

class FormFuncTest : public QObject {
    Q_OBJECT
private slots:
    void publishesItsPropertiesInOrderWithTheirStartValues();
    void unhookedComponentSeesNoEvents();
    void placementRoundTripsThroughTheSettingsFile();
    void firstShowCentresAtTheDesignSize();
    void firstShowTakesTheDesignedOuterSizeAndStoredZeros();
    void keepLocationAloneKeepsOnlyThePlace();
    void preserveOffReadsAndWritesNothing();
    void showingAgainDoesNotReadAgain();
    void placementOffEveryScreenIsCentred();
    void maximisedWindowKeepsItsNormalRectangle();
    void closedWindowKeepsTheRectangleLastSeenOnScreen();
    void dropDeliversLocalFilesInOrderThenFinishes();
    void dropIsRefusedWhenDisabledOrWithoutLocalFiles();
    void windowDragStartsOutsideChildrenOnly();
    void windowDragNeedsTheLeftButtonAlone();
    void windowDragWithoutAMoveLoopFollowsThePointer();
    void windowDragHoldsTheGrabbedPointWhereverTheWindowIs();
    void slidingOffAButtonDragsNothing();
    void resizeBordersTakeThePressInTheBands();
    void roundOutlineOnBorderlessAndBorderedForms();
    void eraseBackgroundRaisedOnPaintAndFlagControlsTheFill();
    void colorResetRaisedByItsEvent();
    void sessionEndSavesPlacementThenRunsTheDestroyHandler();
    void sessionQueryIsAnsweredByTheForm();
    void unwritablePlacementStillSavesTheRestAndIsReported();
    void zOrderCallsTheWindowSystemOnlyOnChange();
    void zOrderSetsTheWindowHints();
    void endOfMoveSnapsToTheWorkAreaEdges();
    void endOfUserMoveIsDetectedOnceAfterABurst();
};

void FormFuncTest::publishesItsPropertiesInOrderWithTheirStartValues() {
    PrivateContext context;
    TTestForm form;
    TkstrFormFunc component(&form);
    const QMetaObject* meta = component.metaObject();
    QStringList names;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        names.append(QString::fromLatin1(meta->property(i).name()));
    QCOMPARE(names,
             QStringList({"Preserve", "EraseBackGround", "KeepSize", "KeepLocation", "DragDrop",
                          "DropNamesEnabled", "WindowDrag", "WindowResize", "WindowRound",
                          "WindowPosition", "FitScreenPx", "Layered", "BGrelocation"}));
    for (const char* name :
         {"Preserve", "EraseBackGround", "KeepSize", "KeepLocation", "DragDrop", "DropNamesEnabled",
          "WindowDrag", "WindowResize", "WindowRound", "BGrelocation"})
        QCOMPARE(component.property(name).toBool(), false);
    QCOMPARE(component.WindowPosition(), TkstrFormFunc::wpNormal);
    QCOMPARE(component.FitScreenPx(), 0);
    QVERIFY(form.testAttribute(Qt::WA_NoSystemBackground)); // not erasing, as the flag says
    QCOMPARE(component.Layered(), AppGlobal->GetWinMajorVersion() >= 5);
    QVERIFY(component.DragArmed());
    QVERIFY(!component.PlacementRestored());
    QVERIFY(component.NormalBounds().isNull());
    QVERIFY(component.FormHandle() != 0);
    QCOMPARE(component.OwnerForm(), &form);
}

void FormFuncTest::unhookedComponentSeesNoEvents() {
    TTestForm form;
    TkstrFormFunc component(&form);
    int resets = 0;
    component.OnColorReset = [&](QObject* sender) {
        QCOMPARE(sender, &component);
        ++resets;
    };
    component.HookForm(false);
    QCOMPARE(component.FormHandle(), WId(0));
    TColorResetEvent reset;
    QCoreApplication::sendEvent(&form, &reset);
    QCOMPARE(resets, 0);
    component.HookForm(true);
    component.HookForm(true); // installing twice still filters once
    QCoreApplication::sendEvent(&form, &reset);
    QCOMPARE(resets, 1);
}

void FormFuncTest::placementRoundTripsThroughTheSettingsFile() {
    PrivateContext context;
    QRect closed;
    {
        TTestForm form;
        preservingComponent(&form);
        form.resize(300, 200);
        form.show();
        form.setGeometry(40, 50, 320, 240);
        closed = form.frameGeometry();
    }
    QCOMPARE(context.iniText(), QByteArray("[TTESTFORM]\nTOP=") + QByteArray::number(closed.y()) +
                                    "\nLEFT=" + QByteArray::number(closed.x()) +
                                    "\nWIDTH=" + QByteArray::number(closed.width()) + "\nHEIGHT=" +
                                    QByteArray::number(closed.height()) + "\nDOCKSITE=\n");
    TTestForm again;
    auto* component = preservingComponent(&again);
    again.resize(300, 200);
    again.show();
    QCOMPARE(again.frameGeometry(), closed);
    QVERIFY(component->PlacementRestored());
    QCOMPARE(component->DockSiteName(), QString());
}

void FormFuncTest::firstShowCentresAtTheDesignSize() {
    PrivateContext context;
    TTestForm form;
    preservingComponent(&form);
    form.resize(300, 200);
    form.show();
    const QRect outer = form.frameGeometry();
    QCOMPARE(outer.size(), form.size() + (outer.size() - form.geometry().size()));
    QCOMPARE(outer.topLeft(), QPoint((primaryScreen().width() - outer.width()) / 2,
                                     (primaryScreen().height() - outer.height()) / 2));
}

void FormFuncTest::firstShowTakesTheDesignedOuterSizeAndStoredZeros() {
    PrivateContext context;
    {
        TTestForm form;
        preservingComponent(&form)->SetDesignOuterSize({430, 419});
        form.resize(422, 391);
        form.show();
        QCOMPARE(form.frameGeometry(), QRect((primaryScreen().width() - 430) / 2,
                                             (primaryScreen().height() - 419) / 2, 430, 419));
    }
    // A stored 0 is a place like any other; a value that is no number is none.
    context.writeIni("[TTESTFORM]\nLEFT=0\nTOP=x\nWIDTH=500\n");
    TTestForm form;
    preservingComponent(&form)->SetDesignOuterSize({430, 419});
    form.show();
    QCOMPARE(form.frameGeometry(), QRect(0, (primaryScreen().height() - 419) / 2, 500, 419));
}

void FormFuncTest::keepLocationAloneKeepsOnlyThePlace() {
    PrivateContext context;
    context.writeIni("[TTESTFORM]\nLEFT=60\nTOP=70\nWIDTH=555\nHEIGHT=333\nDOCKSITE=dock\n");
    {
        TTestForm form;
        auto* component = new TkstrFormFunc(&form);
        component->SetPreserve(true);
        component->SetKeepLocation(true);
        form.resize(300, 200);
        form.show();
        QCOMPARE(form.frameGeometry().topLeft(), QPoint(60, 70));
        QCOMPARE(form.size(), QSize(300, 200));
        QCOMPARE(component->DockSiteName(), QString("dock"));
        context.writeIni("");
        form.move(61, 71);
    }
    QCOMPARE(context.iniText(), QByteArray("[TTESTFORM]\nTOP=71\nLEFT=61\nDOCKSITE=\n"));
}

void FormFuncTest::preserveOffReadsAndWritesNothing() {
    PrivateContext context;
    {
        TTestForm form;
        auto* component = new TkstrFormFunc(&form);
        component->SetKeepSize(true);
        component->SetKeepLocation(true);
        form.show();
        QVERIFY(component->PlacementRestored());
    }
    QVERIFY(!QFile::exists(context.iniFileName()));
}

void FormFuncTest::showingAgainDoesNotReadAgain() {
    PrivateContext context;
    context.writeIni("[TTESTFORM]\nLEFT=60\nTOP=70\n");
    TTestForm form;
    preservingComponent(&form);
    form.show();
    QCOMPARE(form.frameGeometry().topLeft(), QPoint(60, 70));
    form.hide();
    context.writeIni("[TTESTFORM]\nLEFT=90\nTOP=95\n");
    form.show();
    QCOMPARE(form.frameGeometry().topLeft(), QPoint(60, 70));
}

void FormFuncTest::placementOffEveryScreenIsCentred() {
    PrivateContext context;
    const QRect screen = primaryScreen();
    context.writeIni("[TTESTFORM]\nLEFT=" + QByteArray::number(screen.right() + 500) +
                     "\nTOP=10\nWIDTH=300\nHEIGHT=" + QByteArray::number(screen.height() + 100) +
                     "\n");
    TTestForm form;
    preservingComponent(&form);
    form.show();
    const QRect outer = form.frameGeometry();
    QCOMPARE(outer.height(), screen.height());
    QCOMPARE(outer.width(), 300);
    QCOMPARE(outer.topLeft(), QPoint((screen.width() - 300) / 2, 0));
}

void FormFuncTest::maximisedWindowKeepsItsNormalRectangle() {
    PrivateContext context;
    QRect normal;
    {
        TTestForm form;
        auto* component = preservingComponent(&form);
        form.show();
        form.setGeometry(30, 40, 300, 200);
        normal = form.frameGeometry();
        QCOMPARE(component->NormalBounds(), normal);
        form.showMaximized();
        QTRY_VERIFY(component->IsMaximized());
        QTRY_VERIFY(form.frameGeometry() != normal);
        QCOMPARE(component->NormalBounds(), normal);
    }
    QVERIFY(context.iniText().contains("TOP=" + QByteArray::number(normal.y()) +
                                       "\nLEFT=" + QByteArray::number(normal.x()) +
                                       "\nWIDTH=" + QByteArray::number(normal.width())));
}

void FormFuncTest::closedWindowKeepsTheRectangleLastSeenOnScreen() {
    PrivateContext context;
    QRect seen;
    {
        TTestForm form;
        preservingComponent(&form);
        form.show();
        form.setGeometry(40, 50, 320, 240);
        seen = form.frameGeometry();
        form.hide();
        // What a window manager does to a window it lets go of; not a place the user chose.
        form.move(seen.topLeft() + QPoint(7, 30));
    }
    QVERIFY(context.iniText().startsWith("[TTESTFORM]\nTOP=" + QByteArray::number(seen.y()) +
                                         "\nLEFT=" + QByteArray::number(seen.x()) + "\n"));
}

void FormFuncTest::dropDeliversLocalFilesInOrderThenFinishes() {
    TTestForm form;
    TkstrFormFunc component(&form);
    component.SetDragDrop(true);
    component.SetDropNamesEnabled(true);
    QStringList events;
    component.OnDropFile = [&](QObject* sender, const QString& name) {
        QCOMPARE(sender, &component);
        events.append(name);
    };
    component.OnDropFinish = [&](QObject*) { events.append("finish"); };
    const auto data =
        urlData({QUrl::fromLocalFile("/tmp/c.txt"), QUrl("http://example.com/x"),
                 QUrl::fromLocalFile("/tmp/a.txt"), QUrl::fromLocalFile("/tmp/b b.txt")});
    QVERIFY(dropOn(&form, data.get()));
    QCOMPARE(events, QStringList({"/tmp/c.txt", "/tmp/a.txt", "/tmp/b b.txt", "finish"}));
    QCOMPARE(component.DropNames(), QStringList({"/tmp/c.txt", "/tmp/a.txt", "/tmp/b b.txt"}));

    // Each drop replaces the names of the one before; without collecting there are none.
    component.SetDropNamesEnabled(false);
    QVERIFY(dropOn(&form, urlData({QUrl::fromLocalFile("/tmp/d.txt")}).get()));
    QVERIFY(component.DropNames().isEmpty());
    events.clear();
    component.HandleDropFiles({});
    QCOMPARE(events, QStringList({"finish"}));
}

void FormFuncTest::dropIsRefusedWhenDisabledOrWithoutLocalFiles() {
    TTestForm form;
    TkstrFormFunc component(&form);
    int raised = 0;
    component.OnDropFile = [&](QObject*, const QString&) { ++raised; };
    component.OnDropFinish = [&](QObject*) { ++raised; };
    component.SetDropNamesEnabled(true);
    QVERIFY(!dropOn(&form, urlData({QUrl::fromLocalFile("/tmp/a.txt")}).get()));
    component.HandleDropFiles({"/tmp/a.txt"});
    QCOMPARE(raised, 0);
    QVERIFY(component.DropNames().isEmpty());

    component.SetDragDrop(true);
    QVERIFY(form.acceptDrops());
    QVERIFY(!dropOn(&form, urlData({QUrl("http://example.com/")}).get()));
    auto text = std::make_unique<QMimeData>();
    text->setText("12.5");
    QVERIFY(!dropOn(&form, text.get()));
    QCOMPARE(raised, 0);
}

void FormFuncTest::windowDragStartsOutsideChildrenOnly() {
    TTestForm form;
    auto* label = new QLabel("label", &form);
    label->setGeometry(10, 10, 50, 20);
    auto* hidden = new QWidget(&form);
    hidden->setGeometry(200, 200, 10, 10);
    hidden->hide();
    RecordingFormFunc component(&form);
    component.SetWindowDrag(true);

    pressAt(&form, {10, 15});
    dragTo(&form, {10, 15}); // on the label's left edge line
    QCOMPARE(component.m_systemMoves, 1);

    pressAt(&form, {11, 15});
    dragTo(&form, {11, 15});
    QCOMPARE(component.m_systemMoves, 1);
    QVERIFY(!component.DragArmed());
    dragTo(&form, {100, 100}); // refused once: no more tests until the next press
    QCOMPARE(component.m_systemMoves, 1);
    pressAt(&form, {100, 100});
    QVERIFY(component.DragArmed());
    dragTo(&form, {100, 100});
    QCOMPARE(component.m_systemMoves, 2);

    pressAt(&form, {205, 205}); // hidden children refuse as well
    dragTo(&form, {205, 205});
    QCOMPARE(component.m_systemMoves, 2);

    // The handler has the last word, with the point and the decision so far.
    QList<QPoint> asked;
    component.OnCanDragMove = [&](QObject*, int x, int y, bool& dragMove) {
        asked.append({x, y});
        QVERIFY(!dragMove);
        dragMove = true;
    };
    pressAt(&form, {30, 20});
    dragTo(&form, {30, 20});
    QCOMPARE(component.m_systemMoves, 3);
    QCOMPARE(asked, QList<QPoint>({{30, 20}}));
}

void FormFuncTest::windowDragNeedsTheLeftButtonAlone() {
    TTestForm form;
    RecordingFormFunc component(&form);
    component.SetWindowDrag(true);
    pressAt(&form, {5, 5});
    dragTo(&form, {6, 6}, Qt::ShiftModifier);
    dragTo(&form, {6, 6}, Qt::ControlModifier);
    sendMouse(&form, QEvent::MouseMove, {6, 6}, Qt::NoButton, Qt::LeftButton | Qt::RightButton);
    sendMouse(&form, QEvent::MouseMove, {6, 6}, Qt::NoButton, Qt::NoButton);
    QCOMPARE(component.m_systemMoves, 0);
    dragTo(&form, {6, 6}, Qt::AltModifier);
    QCOMPARE(component.m_systemMoves, 1);

    component.SetWindowDrag(false);
    dragTo(&form, {7, 7});
    QCOMPARE(component.m_systemMoves, 1);
}

void FormFuncTest::windowDragWithoutAMoveLoopFollowsThePointer() {
    // The offscreen platform has no system move loop, as a bare X server has none.
    TTestForm form(Qt::FramelessWindowHint);
    TkstrFormFunc component(&form);
    component.SetWindowDrag(true);
    int moved = 0;
    component.OnWindowMoved = [&](QObject*) { ++moved; };
    form.setGeometry(100, 100, 200, 150);
    form.show();
    pressAt(&form, {20, 30});
    dragTo(&form, {20, 30});
    const QPoint start = form.mapToGlobal(QPoint(20, 30));
    for (const QPoint step : {QPoint(5, 0), QPoint(40, 25), QPoint(-10, 60)}) {
        QMouseEvent move(QEvent::MouseMove, form.mapFromGlobal(start + step), start + step,
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &move);
        QCOMPARE(form.frameGeometry().topLeft(), QPoint(100, 100) + step);
    }
    QCOMPARE(moved, 0);
    sendMouse(&form, QEvent::MouseButtonRelease, {20, 30}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(moved, 1);
    dragTo(&form, {20, 30}); // no drag without a new press
    QCOMPARE(form.frameGeometry().topLeft(), QPoint(90, 160));
}

// A window just shown that the window manager put elsewhere than the program yet knows: the
// point grabbed stays under the pointer, where the pointer's events say the window is.
void FormFuncTest::windowDragHoldsTheGrabbedPointWhereverTheWindowIs() {
    TTestForm form(Qt::FramelessWindowHint);
    TkstrFormFunc component(&form);
    component.SetWindowDrag(true);
    form.setGeometry(100, 100, 200, 150);
    form.show();
    const QPoint grabbed(20, 30);
    const QPoint reallyAt(500, 400);
    for (const QPoint step : {QPoint(0, 0), QPoint(40, 25)}) {
        const QEvent::Type type = step.isNull() ? QEvent::MouseButtonPress : QEvent::MouseMove;
        QMouseEvent event(type, grabbed, reallyAt + grabbed + step,
                          step.isNull() ? Qt::LeftButton : Qt::NoButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &event);
    }
    QCOMPARE(form.frameGeometry().topLeft(), reallyAt + QPoint(40, 25));
}

// Through the window, as the window system delivers the pointer: a button keeps its press, and
// the moves it lets through once the pointer has left it must not drag, not even by the grip of
// an earlier press on the surface.
void FormFuncTest::slidingOffAButtonDragsNothing() {
    TTestForm form(Qt::FramelessWindowHint);
    auto* button = new QPushButton("button", &form);
    button->setGeometry(100, 100, 75, 20);
    TkstrFormFunc component(&form);
    component.SetWindowDrag(true);
    form.setGeometry(100, 100, 247, 222);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QWindow* window = form.windowHandle();
    const auto moveTo = [&](QPoint global) {
        QTest::mouseMove(window, window->mapFromGlobal(global));
    };
    QTest::mouseClick(window, Qt::LeftButton, {}, {20, 150});
    const QPoint start = form.mapToGlobal(QPoint(130, 110));
    QTest::mousePress(window, Qt::LeftButton, {}, window->mapFromGlobal(start));
    for (int step = 1; step <= 4; ++step)
        moveTo(start + QPoint(0, 10 * step));
    QTest::mouseRelease(window, Qt::LeftButton, {}, window->mapFromGlobal(start + QPoint(0, 40)));
    QCOMPARE(form.pos(), QPoint(100, 100));

    // A press on the surface still drags, holding on to its own point.
    const QPoint grip = form.mapToGlobal(QPoint(20, 150));
    QTest::mousePress(window, Qt::LeftButton, {}, window->mapFromGlobal(grip));
    moveTo(grip + QPoint(-20, -20));
    moveTo(grip + QPoint(-40, -40));
    QTest::mouseRelease(window, Qt::LeftButton, {}, window->mapFromGlobal(grip + QPoint(-40, -40)));
    QCOMPARE(form.pos(), QPoint(60, 60));
}

void FormFuncTest::resizeBordersTakeThePressInTheBands() {
    TTestForm form(Qt::FramelessWindowHint);
    RecordingFormFunc component(&form);
    form.setGeometry(100, 120, 200, 150);
    form.show();
    const QRect outer = form.frameGeometry();
    const int middleY = outer.y() + 70;

    QVERIFY(pressAtScreen(&form, {outer.x() + 4, middleY})); // off: the form's own
    component.SetWindowResize(true);
    QVERIFY(form.hasMouseTracking());
    QVERIFY(!pressAtScreen(&form, {outer.x() + 4, middleY}));
    QVERIFY(pressAtScreen(&form, {outer.x() + 5, middleY}));
    QVERIFY(!pressAtScreen(&form, {outer.x() + outer.width() - 4, middleY}));
    QVERIFY(pressAtScreen(&form, {outer.x() + outer.width() - 5, middleY}));
    QVERIFY(!pressAtScreen(&form, {outer.x() + 4, outer.y() + 4}));
    QCOMPARE(component.m_systemResizes,
             QList<Qt::Edges>({Qt::LeftEdge, Qt::RightEdge, Qt::TopEdge | Qt::LeftEdge}));

    // Hovering over a band shows its pointer shape; leaving it gives the form's back.
    const QPoint band(outer.x() + outer.width() - 2, outer.y() + outer.height() - 2);
    sendMouse(&form, QEvent::MouseMove, form.mapFromGlobal(band), Qt::NoButton, Qt::NoButton);
    QCOMPARE(form.cursor().shape(), Qt::SizeFDiagCursor);
    sendMouse(&form, QEvent::MouseMove, {100, 70}, Qt::NoButton, Qt::NoButton);
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
}

void FormFuncTest::roundOutlineOnBorderlessAndBorderedForms() {
    TTestForm borderless(Qt::FramelessWindowHint);
    borderless.resize(247, 222);
    borderless.show();
    TkstrFormFunc round(&borderless);
    round.SetWindowRound(true);
    QCOMPARE(borderless.mask(), tallix::formfunc::windowOutline(true, 247, 222));
    QVERIFY(!borderless.mask().contains(QPoint(246, 221)));
    borderless.resize(300, 250); // every size change draws the outline again
    QCOMPARE(borderless.mask(), tallix::formfunc::windowOutline(true, 300, 250));
    round.SetWindowRound(false);
    QVERIFY(borderless.mask().isEmpty());

    TTestForm bordered;
    bordered.resize(247, 222);
    bordered.show();
    TkstrFormFunc later(&bordered);
    later.SetWindowRound(true);
    QVERIFY(bordered.mask().isEmpty());
    bordered.resize(250, 222);
    QCOMPARE(bordered.mask(), tallix::formfunc::windowOutline(true, 250, 222));
}

void FormFuncTest::eraseBackgroundRaisedOnPaintAndFlagControlsTheFill() {
    TTestForm form;
    TkstrFormFunc component(&form);
    int erases = 0;
    component.OnEraseBackGround = [&](QObject*) { ++erases; };
    component.SetEraseBackGround(false);
    QVERIFY(form.testAttribute(Qt::WA_NoSystemBackground));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.repaint();
    QVERIFY(erases > 0);
    component.SetEraseBackGround(true);
    QVERIFY(!form.testAttribute(Qt::WA_NoSystemBackground));
    const int before = erases;
    form.repaint();
    QVERIFY(erases > before);
}

void FormFuncTest::colorResetRaisedByItsEvent() {
    TTestForm form;
    TkstrFormFunc component(&form);
    int resets = 0;
    component.OnColorReset = [&](QObject*) { ++resets; };
    QCoreApplication::postEvent(&form, new TColorResetEvent);
    QCOMPARE(resets, 0);
    QCoreApplication::processEvents();
    QCOMPARE(resets, 1);
}

void FormFuncTest::sessionEndSavesPlacementThenRunsTheDestroyHandler() {
    PrivateContext context;
    TTestForm form;
    auto* component = preservingComponent(&form);
    form.show();
    form.move(33, 44);
    QStringList log;
    component->OnEndSession = [&](QObject* sender) {
        QCOMPARE(sender, component);
        log.append("OnEndSession, ini: " + QString::fromUtf8(context.iniText()));
    };
    form.m_onFormDestroy = [&] {
        log.append("FormDestroy, ini has TOP: " +
                   QString::number(context.iniText().contains("TOP=44")));
    };
    component->EndSession(false);
    QVERIFY(log.isEmpty());
    QVERIFY(form.m_destroySenders.isEmpty());

    component->EndSession(true);
    QCOMPARE(log, QStringList({"OnEndSession, ini: ", "FormDestroy, ini has TOP: 1"}));
    QCOMPARE(form.m_destroySenders, QList<QObject*>({component}));
    QVERIFY(form.isVisible()); // the form lives on
}

void FormFuncTest::unwritablePlacementStillSavesTheRestAndIsReported() {
    PrivateContext context;
    QVERIFY(QDir().mkpath(context.iniFileName())); // a folder where the settings file belongs
    auto form = std::make_unique<TTestForm>();
    auto* component = preservingComponent(form.get());
    form->show();
    // The error stops at the component's edge, in the standard box, not in the window system's
    // dispatch.
    QString shown;
    const auto answerBox = [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->done(QMessageBox::Ok);
        }
    };
    QTimer::singleShot(0, answerBox);
    component->EndSession(true);
    QVERIFY(!shown.isEmpty());
    QCOMPARE(form->m_destroySenders.size(), 1); // the form's own saving ran all the same

    // At destruction the error cannot travel on; it is shown instead of ending the process.
    shown.clear();
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->done(QMessageBox::Ok);
        }
    });
    form.reset();
    QVERIFY(!shown.isEmpty());
}

void FormFuncTest::sessionQueryIsAnsweredByTheForm() {
    TTestForm form;
    TkstrFormFunc component(&form);
    QVERIFY(component.QueryEndSession());
    form.m_vetoSessionEnd = true;
    QVERIFY(!component.QueryEndSession());
}

void FormFuncTest::zOrderCallsTheWindowSystemOnlyOnChange() {
    TTestForm form;
    RecordingFormFunc component(&form);
    component.SetWindowPosition(TkstrFormFunc::wpNormal);
    QVERIFY(component.m_zOrderCalls.isEmpty());
    component.SetWindowPosition(TkstrFormFunc::wpTop);
    component.SetWindowPosition(TkstrFormFunc::wpTop);
    component.SetWindowPosition(TkstrFormFunc::wpBottom);
    QCOMPARE(component.m_zOrderCalls, QList<TkstrFormFunc::TwindowPosition>(
                                          {TkstrFormFunc::wpTop, TkstrFormFunc::wpBottom}));
    QCOMPARE(component.WindowPosition(), TkstrFormFunc::wpBottom);
}

void FormFuncTest::zOrderSetsTheWindowHints() {
    TTestForm form;
    TkstrFormFunc component(&form);
    form.setGeometry(50, 60, 200, 100);
    component.SetWindowPosition(TkstrFormFunc::wpBottom); // a hidden window stays hidden
    QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnBottomHint));
    QVERIFY(!form.isVisible());
    component.SetWindowPosition(TkstrFormFunc::wpTop); // and the top order shows it
    QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!form.windowFlags().testFlag(Qt::WindowStaysOnBottomHint));
    QVERIFY(form.isVisible());
    QCOMPARE(form.geometry(), QRect(50, 60, 200, 100));
    component.SetWindowPosition(TkstrFormFunc::wpBottom);
    QVERIFY(form.isVisible());
    component.SetWindowPosition(TkstrFormFunc::wpNormal);
    QVERIFY(!(form.windowFlags() & (Qt::WindowStaysOnTopHint | Qt::WindowStaysOnBottomHint)));
    QVERIFY(form.isVisible());
    QVERIFY(component.FormHandle() == form.internalWinId());
    int resets = 0; // still filtering the window as it is now
    component.OnColorReset = [&](QObject*) { ++resets; };
    TColorResetEvent reset;
    QCoreApplication::sendEvent(&form, &reset);
    QCOMPARE(resets, 1);
}

void FormFuncTest::endOfMoveSnapsToTheWorkAreaEdges() {
    TTestForm form(Qt::FramelessWindowHint);
    TkstrFormFunc component(&form);
    int moved = 0;
    component.OnWindowMoved = [&](QObject*) { ++moved; };
    form.setGeometry(200, 200, 200, 100);
    form.show();
    const QRect area = form.screen()->availableGeometry();

    form.move(area.x() + 100, area.y() + 9);
    component.HandleExitSizeMove(); // snapping off: only the event
    QCOMPARE(moved, 1);
    QCOMPARE(form.pos(), QPoint(area.x() + 100, area.y() + 9));

    component.SetFitScreenPx(10);
    component.HandleExitSizeMove();
    QCOMPARE(form.pos(), QPoint(area.x() + 100, area.y()));
    form.move(area.x() + 100, area.y() + 10);
    component.HandleExitSizeMove();
    QCOMPARE(form.pos(), QPoint(area.x() + 100, area.y() + 10));
    form.move(area.right() + 1 - 200 - 9, area.bottom() + 1 - 100 - 9);
    component.HandleExitSizeMove();
    QCOMPARE(form.pos(), QPoint(area.right() + 1 - 200, area.bottom() + 1 - 100));
    QCOMPARE(moved, 4);
}

void FormFuncTest::endOfUserMoveIsDetectedOnceAfterABurst() {
    TTestForm form;
    TkstrFormFunc component(&form);
    int moved = 0;
    component.OnWindowMoved = [&](QObject*) { ++moved; };
    form.resize(200, 100);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::qWait(TkstrFormFunc::kMoveSettleMilliseconds + 100);
    moved = 0;
    for (int step = 1; step <= 5; ++step) {
        form.move(100 + step, 100 + step);
        QTest::qWait(20);
    }
    form.resize(220, 110);
    QCOMPARE(moved, 0);
    QTRY_COMPARE(moved, 1);
    QTest::qWait(TkstrFormFunc::kMoveSettleMilliseconds * 2);
    QCOMPARE(moved, 1);
}

QTEST_MAIN(FormFuncTest)
#include "kstrFormFuncTest.moc"
