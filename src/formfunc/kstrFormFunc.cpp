#include "formfunc/kstrFormFunc.h"

#include "env/Functions.h"
#include "env/kstrGlobal.h"
#include "formfunc/ErrorBox.h"
#include "formfunc/WindowFunctions.h"
#include "formfunc/WindowOutline.h"

#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QSessionManager>
#include <QWindow>

#include <exception>

namespace tallix {

using tallix::formfunc::HitTest;
using tallix::formfunc::SizeKind;

namespace {

QEvent::Type registeredType() {
    return static_cast<QEvent::Type>(QEvent::registerEventType());
}

const QString kKeyTop = QStringLiteral("TOP");
const QString kKeyLeft = QStringLiteral("LEFT");
const QString kKeyWidth = QStringLiteral("WIDTH");
const QString kKeyHeight = QStringLiteral("HEIGHT");
const QString kKeyDockSite = QStringLiteral("DOCKSITE");

// A form's settings section: its class name in capitals, without the namespace the class is
// declared in, so that the section stays the design's form name.
QString sectionOf(const QMetaObject& form) {
    const QString name = QString::fromLatin1(form.className());
    const qsizetype scope = name.lastIndexOf(QLatin1String("::"));
    return (scope < 0 ? name : name.mid(scope + 2)).toUpper();
}

// A stored integer, or nothing where the settings hold none or no number: only a missing
// setting comes back as each of two different defaults.
std::optional<int> readStoredInteger(const QString& section, const QString& key) {
    const int value = AppGlobal->ReadInteger(section, key, 0);
    if (value == 0 && AppGlobal->ReadInteger(section, key, 1) == 1)
        return std::nullopt;
    return value;
}

QRect primaryScreenGeometry() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->geometry() : QRect();
}

// Below this OS major version the window system has no layered windows.
constexpr int kFirstLayeredOsVersion = 5;

// Sets a flag for the lifetime of the guard: geometry changes the component makes itself are
// not a user's move.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : m_flag(flag), m_saved(flag) { m_flag = true; }
    ~FlagGuard() { m_flag = m_saved; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& m_flag;
    bool m_saved;
};

} // namespace

TColorResetEvent::TColorResetEvent() : QEvent(EventType()) {}

QEvent::Type TColorResetEvent::EventType() {
    static const QEvent::Type type = registeredType();
    return type;
}

TQueryEndSessionEvent::TQueryEndSessionEvent() : QEvent(EventType()) {}

QEvent::Type TQueryEndSessionEvent::EventType() {
    static const QEvent::Type type = registeredType();
    return type;
}

TEndSessionEvent::TEndSessionEvent(bool sessionEnds)
    : QEvent(EventType()), SessionEnds(sessionEnds) {}

QEvent::Type TEndSessionEvent::EventType() {
    static const QEvent::Type type = registeredType();
    return type;
}

TkstrFormFunc::TkstrFormFunc(QWidget* owner) : QObject(owner), FOwnerForm(owner) {
    if (owner)
        FSection = sectionOf(*owner->metaObject());
    FMoveSettleTimer.setSingleShot(true);
    FMoveSettleTimer.setInterval(kMoveSettleMilliseconds);
    // A burst that ended in a maximised or minimised window was the window system's doing.
    connect(&FMoveSettleTimer, &QTimer::timeout, this, [this] {
        tallix::showErrorsOf(FOwnerForm, [this] {
            if (FOwnerForm && CurrentSizeKind() == SizeKind::Restored)
                HandleExitSizeMove();
        });
    });
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(application, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager& manager) {
                    tallix::showErrorsOf(FOwnerForm, [&] { SessionCommitData(manager); });
                });
    // The start value, not erasing, reaches the form as every later value does: by the setter.
    SetEraseBackGround(FEraseBackGround);
    HookForm(true);
    SetLayered(true);
}

TkstrFormFunc::~TkstrFormFunc() {
    try {
        SavePlacement();
    } catch (const std::exception& error) {
        // A destructor cannot pass the error on; the user still has to learn that the window's
        // place was not kept. The box runs an event loop, which must not deliver what is still
        // queued for the form being destroyed.
        if (FOwnerForm)
            QCoreApplication::removePostedEvents(FOwnerForm);
        tallix::showErrorBox(nullptr, tallix::messageOf(error));
    }
    HookForm(false);
}

void TkstrFormFunc::HookForm(bool enable) {
    if (FFormHandle != 0 && FOwnerForm) {
        FOwnerForm->removeEventFilter(this);
        if (FFormWindow)
            FFormWindow->removeEventFilter(this);
        FFormWindow = nullptr;
        FFormHandle = 0;
    }
    if (enable && FOwnerForm) {
        FFormHandle = FOwnerForm->winId();
        FOwnerForm->installEventFilter(this);
        AttachToWindow();
    }
}

void TkstrFormFunc::AttachToWindow() {
    if (FFormWindow)
        FFormWindow->removeEventFilter(this);
    FFormWindow = FOwnerForm->windowHandle();
    if (FFormWindow)
        FFormWindow->installEventFilter(this);
}

void TkstrFormFunc::SetEraseBackGround(bool value) {
    FEraseBackGround = value;
    // Qt fills a window's background before the window paints; the attribute is how a window
    // asks it not to.
    if (FOwnerForm)
        FOwnerForm->setAttribute(Qt::WA_NoSystemBackground, !value);
}

void TkstrFormFunc::SetDragDrop(bool value) {
    FDragDrop = value;
    if (FOwnerForm)
        FOwnerForm->setAcceptDrops(value);
}

void TkstrFormFunc::SetWindowResize(bool value) {
    FWindowResize = value;
    // The border cursors need the pointer's moves while no button is down.
    if (value && FOwnerForm)
        FOwnerForm->setMouseTracking(true);
    if (!value && FResizeCursorShown && FOwnerForm) {
        FOwnerForm->unsetCursor();
        FResizeCursorShown = false;
    }
}

void TkstrFormFunc::SetWindowRound(bool value) {
    FWindowRound = value;
    if (!FOwnerForm || !FOwnerForm->windowFlags().testFlag(Qt::FramelessWindowHint))
        return;
    if (value)
        UpdateWindowShape();
    else
        FOwnerForm->clearMask();
}

void TkstrFormFunc::SetWindowPosition(TwindowPosition value) {
    if (value == FWindowPosition)
        return;
    ApplyWindowPosition(value);
    FWindowPosition = value;
}

void TkstrFormFunc::SetLayered(bool value) {
    FLayered = value && !(AppGlobal && AppGlobal->GetWinMajorVersion() < kFirstLayeredOsVersion);
}

void TkstrFormFunc::ApplyWindowPosition(TwindowPosition value) {
    if (!FOwnerForm)
        return;
    const bool wasVisible = FOwnerForm->isVisible();
    Qt::WindowFlags flags = FOwnerForm->windowFlags();
    flags &= ~(Qt::WindowStaysOnTopHint | Qt::WindowStaysOnBottomHint);
    if (value == wpTop)
        flags |= Qt::WindowStaysOnTopHint;
    else if (value == wpBottom)
        flags |= Qt::WindowStaysOnBottomHint;
    const FlagGuard guard(FAdjustingGeometry);
    FOwnerForm->setWindowFlags(flags);
    // Changing the hints hides a window; the top and normal orders show it, the bottom order
    // keeps it as it was.
    if (value != wpBottom || wasVisible)
        FOwnerForm->show();
}

// The component's handlers and the events it raises run inside the window system's dispatch:
// their errors are shown here and go no further.
bool TkstrFormFunc::eventFilter(QObject* watched, QEvent* event) {
    bool taken = false;
    tallix::showErrorsOf(FOwnerForm, [&] {
        if (FOwnerForm && watched == FOwnerForm)
            taken = FormWindowProc(event);
        else if (FFormWindow && watched == FFormWindow)
            taken = HandleWindowEvent(event);
    });
    return taken;
}

bool TkstrFormFunc::FormWindowProc(QEvent* event) {
    switch (event->type()) {
    case QEvent::Move:
        HandleMove();
        NoteGeometryChange();
        break;
    case QEvent::Resize:
        HandleSize(CurrentSizeKind());
        NoteGeometryChange();
        break;
    case QEvent::WindowStateChange:
        HandleSize(CurrentSizeKind());
        break;
    case QEvent::Show:
        if (!FPlacementRestored)
            RestorePlacement();
        break;
    case QEvent::Paint:
        HandleEraseBackground();
        break;
    case QEvent::MouseButtonPress:
        return HandleMousePress(event);
    case QEvent::MouseMove:
        if (FollowManualMove(event))
            return true;
        HandleMouseMove(event);
        break;
    case QEvent::MouseButtonRelease:
        FPressGrip.reset();
        if (FManualMove) {
            EndManualMove();
            return true;
        }
        break;
    case QEvent::WinIdChange:
        FFormHandle = FOwnerForm->internalWinId();
        AttachToWindow();
        break;
    default:
        if (event->type() == TColorResetEvent::EventType())
            Raise(OnColorReset);
        else if (event->type() == TQueryEndSessionEvent::EventType())
            event->accept(); // the session may end; the form's own handling has the last word
        else if (event->type() == TEndSessionEvent::EventType())
            HandleEndSession(*static_cast<TEndSessionEvent*>(event));
        break;
    }
    return false;
}

SizeKind TkstrFormFunc::CurrentSizeKind() const {
    const Qt::WindowStates state = FOwnerForm->windowState();
    if (state.testFlag(Qt::WindowMinimized))
        return SizeKind::Minimized;
    if (state.testFlag(Qt::WindowMaximized) || state.testFlag(Qt::WindowFullScreen))
        return SizeKind::Maximized;
    return SizeKind::Restored;
}

void TkstrFormFunc::HandleMove() {
    if (!FOwnerForm->isMaximized())
        FNormalBounds = outerBounds(FOwnerForm);
}

void TkstrFormFunc::HandleSize(SizeKind kind) {
    if (FWindowRound && kind != SizeKind::Minimized)
        UpdateWindowShape();
    if (kind == SizeKind::Restored) {
        if (!FOwnerForm->isMaximized())
            FNormalBounds = outerBounds(FOwnerForm);
        FIsMaximized = false;
    } else if (kind == SizeKind::Maximized) {
        FIsMaximized = true;
    }
}

// Qt reports no end of a move or resize loop. A user's move shows as a burst of geometry
// changes of the visible, normal-state window; the move counts as ended once the geometry has
// been still for kMoveSettleMilliseconds. Changes before the window is on screen and those the
// component makes itself do not count.
void TkstrFormFunc::NoteGeometryChange() {
    if (!FOwnerForm->isVisible())
        return;
    if (!FAdjustingGeometry)
        ApplyKnownFrame();
    if (CurrentSizeKind() == SizeKind::Restored)
        FVisibleBounds = outerBounds(FOwnerForm);
    if (FAdjustingGeometry)
        return;
    const QWindow* window = FOwnerForm->windowHandle();
    if (CurrentSizeKind() != SizeKind::Restored || !window || !window->isExposed()) {
        FMoveSettleTimer.stop();
        return;
    }
    FMoveSettleTimer.start();
}

// Once the frame's size is known the client area gives up the frame's share, so that the outer
// size is the one stored or designed, and a window opened in the middle of the screen is
// centred again with its frame. A size somebody has changed since is left alone. Where no frame
// ever shows, the client keeps its size and place.
void TkstrFormFunc::ApplyKnownFrame() {
    if (!FPendingOuterSize.isEmpty() && FOwnerForm->size() != FRestoredClientSize)
        FPendingOuterSize = QSize();
    if (FPendingOuterSize.isEmpty() && !FPendingCentring)
        return;
    // Qt reckons the frame of a window nobody has framed from the server's size of it against
    // its own, which lags behind a move or resize from outside; a real frame has a left or a top
    // edge, that one never.
    const QRect bounds = outerBounds(FOwnerForm);
    if (bounds.topLeft() == FOwnerForm->geometry().topLeft())
        return;
    const QSize outer = FPendingOuterSize;
    const Qt::Orientations centring = FPendingCentring;
    FPendingOuterSize = QSize();
    FPendingCentring = {};
    const FlagGuard guard(FAdjustingGeometry);
    if (!outer.isEmpty())
        setOuterSize(FOwnerForm, outer);
    if (centring)
        CentreOnPrimaryScreen(centring);
}

// Centres the window's outer rectangle along the given axes.
void TkstrFormFunc::CentreOnPrimaryScreen(Qt::Orientations axes) {
    const QPoint centre =
        tallix::formfunc::centredOn(primaryScreenGeometry(), outerBounds(FOwnerForm).size());
    const QPoint corner = outerBounds(FOwnerForm).topLeft();
    FOwnerForm->move(axes.testFlag(Qt::Horizontal) ? centre.x() : corner.x(),
                     axes.testFlag(Qt::Vertical) ? centre.y() : corner.y());
}

void TkstrFormFunc::HandleExitSizeMove() {
    FPendingOuterSize = QSize();
    FPendingCentring = {};
    Raise(OnWindowMoved);
    if (FFitScreenPx == 0 || !FOwnerForm)
        return;
    const QScreen* screen = FOwnerForm->screen();
    if (!screen)
        return;
    const QRect bounds = outerBounds(FOwnerForm);
    const QPoint corner =
        tallix::formfunc::snapToWorkArea(bounds, screen->availableGeometry(), FFitScreenPx);
    if (corner != bounds.topLeft()) {
        const FlagGuard guard(FAdjustingGeometry);
        FOwnerForm->move(corner);
    }
}

void TkstrFormFunc::RestorePlacement() {
    FPlacementRestored = true;
    if (!FPreserve || !FOwnerForm || !AppGlobal)
        return;
    const FlagGuard guard(FAdjustingGeometry);
    std::optional<int> left;
    std::optional<int> top;
    std::optional<int> width;
    std::optional<int> height;
    if (FKeepLocation) {
        left = readStoredInteger(FSection, kKeyLeft);
        top = readStoredInteger(FSection, kKeyTop);
    }
    if (FKeepSize) {
        width = readStoredInteger(FSection, kKeyWidth);
        height = readStoredInteger(FSection, kKeyHeight);
    }
    FDockSiteName = AppGlobal->ReadString(FSection, kKeyDockSite, QString());
    // Before the window is first shown nobody knows how large a window manager's frame will be;
    // a window manager may also draw none.
    const bool framed = !FOwnerForm->windowFlags().testFlag(Qt::FramelessWindowHint);
    const bool frameAwaited = framed && outerBounds(FOwnerForm).size() == FOwnerForm->size();
    if (FKeepSize)
        RestoreSize(width, height, frameAwaited);
    if (FKeepLocation) {
        const QPoint centre =
            tallix::formfunc::centredOn(primaryScreenGeometry(), outerBounds(FOwnerForm).size());
        FOwnerForm->move(left.value_or(centre.x()), top.value_or(centre.y()));
        if (frameAwaited)
            FPendingCentring = (left ? Qt::Orientations() : Qt::Horizontal) |
                               (top ? Qt::Orientations() : Qt::Vertical);
    }
    const QPoint placed = FOwnerForm->pos();
    keepOnScreen(FOwnerForm);
    // Brought back from off every screen, the window is centred, and so it stays with its frame.
    if (frameAwaited && FOwnerForm->pos() != placed)
        FPendingCentring = Qt::Horizontal | Qt::Vertical;
    if (FKeepSize && frameAwaited && FOwnerForm->size() != FRestoredClientSize) {
        // Cut to the screen: the cut size is the outer one.
        FPendingOuterSize = FOwnerForm->size();
        FRestoredClientSize = FOwnerForm->size();
    }
    // A place given before the frame exists goes to the client area, the frame lying above it.
    // Asked for as the outer corner, the place is the frame's, which a window manager honours
    // when it frames the window.
    if (FKeepLocation && frameAwaited && FOwnerForm->windowHandle())
        FOwnerForm->windowHandle()->setFramePosition(FOwnerForm->pos());
}

// A stored size is the outer one. While the frame is awaited the client takes it whole, as a
// window without a frame must, and gives up the frame's share once the frame shows. A size not
// stored is the design size: the form's own client size until the frame shows, the designed
// outer size with it.
void TkstrFormFunc::RestoreSize(std::optional<int> width, std::optional<int> height,
                                bool frameAwaited) {
    const QSize design =
        FDesignOuterSize.isEmpty() ? outerBounds(FOwnerForm).size() : FDesignOuterSize;
    const QSize outer(width.value_or(design.width()), height.value_or(design.height()));
    if (!frameAwaited) {
        setOuterSize(FOwnerForm, outer);
        return;
    }
    FOwnerForm->resize(width.value_or(FOwnerForm->width()), height.value_or(FOwnerForm->height()));
    FPendingOuterSize = outer;
    FRestoredClientSize = FOwnerForm->size();
}

void TkstrFormFunc::SavePlacement() {
    if (!FPreserve || !FOwnerForm || !AppGlobal)
        return;
    // Forms are never docked here, so no dock site has a name to keep.
    FDockSiteName.clear();
    QRect bounds = outerBounds(FOwnerForm);
    if (!FOwnerForm->isVisible() && !FVisibleBounds.isNull())
        bounds = FVisibleBounds;
    // A window shown maximised from the start has no normal rectangle yet; its current one is
    // the best there is, and far better than an empty one.
    if (FIsMaximized && !FNormalBounds.isNull())
        bounds = FNormalBounds;
    if (FKeepLocation) {
        AppGlobal->WriteInteger(FSection, kKeyTop, bounds.y());
        AppGlobal->WriteInteger(FSection, kKeyLeft, bounds.x());
    }
    if (FKeepSize) {
        AppGlobal->WriteInteger(FSection, kKeyWidth, bounds.width());
        AppGlobal->WriteInteger(FSection, kKeyHeight, bounds.height());
    }
    AppGlobal->WriteString(FSection, kKeyDockSite, FDockSiteName);
}

void TkstrFormFunc::UpdateWindowShape() {
    FOwnerForm->setMask(
        tallix::formfunc::windowOutline(FWindowRound, FOwnerForm->width(), FOwnerForm->height()));
}

bool TkstrFormFunc::HandleMousePress(const QEvent* event) {
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    if (FWindowResize) {
        const HitTest hit = tallix::formfunc::resizeHitTest(outerBounds(FOwnerForm),
                                                            mouse->globalPosition().toPoint());
        if (hit != HitTest::None) {
            StartSystemResize(tallix::formfunc::resizeEdges(hit));
            return true;
        }
    }
    FDragArmed = true;
    // Taken from the press within the window and the frame about it, not from where the window
    // is thought to be on the screen: a window just shown may not yet have been told where the
    // window manager put it, and grabbed then, it would leap to the screen's corner.
    const QPoint frameOffset = FOwnerForm->geometry().topLeft() - outerBounds(FOwnerForm).topLeft();
    FPressGrip = mouse->position().toPoint() + frameOffset;
    return false;
}

void TkstrFormFunc::HandleMouseMove(const QEvent* event) {
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    if (FWindowResize) {
        const HitTest hit = tallix::formfunc::resizeHitTest(outerBounds(FOwnerForm),
                                                            mouse->globalPosition().toPoint());
        if (hit != HitTest::None) {
            FOwnerForm->setCursor(tallix::formfunc::resizeCursor(hit));
            FResizeCursorShown = true;
        } else if (FResizeCursorShown) {
            FOwnerForm->unsetCursor();
            FResizeCursorShown = false;
        }
    }
    // The left button alone, with neither Shift nor Ctrl held.
    const bool leftAlone = mouse->buttons() == Qt::LeftButton &&
                           !(mouse->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
    if (FWindowDrag && FDragArmed && FPressGrip && leftAlone) {
        const QPoint position = mouse->position().toPoint();
        BeginWindowDrag(position.x(), position.y(), mouse->globalPosition().toPoint());
    }
}

void TkstrFormFunc::BeginWindowDrag(int x, int y, QPoint pointer) {
    QList<QRect> children;
    for (QObject* child : FOwnerForm->children()) {
        const auto* control = qobject_cast<QWidget*>(child);
        if (control && !control->isWindow())
            children.append(control->geometry());
    }
    bool dragMove = tallix::formfunc::dragAllowedAt(children, x, y);
    if (OnCanDragMove)
        OnCanDragMove(this, x, y, dragMove);
    if (!dragMove) {
        FDragArmed = false;
        return;
    }
    // The point grabbed at the press stays under the pointer, also across the step that
    // started the drag. Screen positions come from the pointer's events: a window manager may
    // not yet have told where it put a window just shown.
    const QPoint corner = outerBounds(FOwnerForm).topLeft();
    const QPoint grip = *FPressGrip;
    FPressGrip.reset();
    if (pointer - grip != corner)
        FOwnerForm->move(pointer - grip);
    if (!StartSystemMove()) {
        FManualMove = true;
        FManualMoveOffset = grip;
    }
}

bool TkstrFormFunc::FollowManualMove(const QEvent* event) {
    if (!FManualMove)
        return false;
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    if (!mouse->buttons().testFlag(Qt::LeftButton)) {
        EndManualMove();
        return false;
    }
    FOwnerForm->move(mouse->globalPosition().toPoint() - FManualMoveOffset);
    return true;
}

// The button's release ends the move as the window system's move loop would end it.
void TkstrFormFunc::EndManualMove() {
    FManualMove = false;
    FMoveSettleTimer.stop();
    HandleExitSizeMove();
}

// A window manager's move loop starts from wherever the pointer is when it takes over, a step
// or more after the press, and the point the user grabbed drifts away from the pointer. Where a
// window may place itself the component therefore moves it itself; a Wayland window may not.
bool TkstrFormFunc::StartSystemMove() {
    if (QGuiApplication::platformName() != QLatin1String("wayland"))
        return false;
    QWindow* window = FOwnerForm->windowHandle();
    return window && window->startSystemMove();
}

bool TkstrFormFunc::StartSystemResize(Qt::Edges edges) {
    QWindow* window = FOwnerForm->windowHandle();
    return window && window->startSystemResize(edges);
}

QStringList TkstrFormFunc::DroppedFileNames(const QMimeData* data) {
    QStringList names;
    if (!data)
        return names;
    // By the name's bytes: a name that is no UTF-8 (Shift-JIS) would come back as another name.
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            names.append(localFileNameOf(url));
    }
    return names;
}

// Every press and release on the form's window passes here before any widget sees it, and
// forgets the grip of the press before. Only a press that goes on to reach the form's surface
// takes a new one: a button keeps its press to itself, so the moves it lets through once the
// pointer has slid off it find no grip and drag nothing.
bool TkstrFormFunc::HandleWindowEvent(QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)
        FPressGrip.reset();
    return HandleWindowDragEvent(event);
}

// The drag-and-drop events of the form's window arrive here before any widget of the form
// sees them: a file drop anywhere on the form is the form's, even over a text box that would
// otherwise insert the file's name.
bool TkstrFormFunc::HandleWindowDragEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        FDropAccepted = FDragDrop && !DroppedFileNames(drag->mimeData()).isEmpty();
        if (FDropAccepted)
            drag->acceptProposedAction();
        return FDropAccepted;
    }
    case QEvent::DragLeave: {
        const bool wasAccepted = FDropAccepted;
        FDropAccepted = false;
        return wasAccepted;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        FDropAccepted = false;
        const QStringList names = DroppedFileNames(drop->mimeData());
        if (!FDragDrop || names.isEmpty())
            return false;
        drop->acceptProposedAction();
        HandleDropFiles(names);
        return true;
    }
    default:
        return false;
    }
}

void TkstrFormFunc::HandleDropFiles(const QStringList& names) {
    FDropNames.clear();
    if (!FDragDrop)
        return;
    for (const QString& name : names) {
        if (OnDropFile)
            OnDropFile(this, name);
        if (FDropNamesEnabled)
            FDropNames.append(name);
    }
    Raise(OnDropFinish);
}

void TkstrFormFunc::HandleEraseBackground() {
    // Whether the fill happens was settled by the window attribute before this paint.
    Raise(OnEraseBackGround);
}

bool TkstrFormFunc::QueryEndSession() {
    if (!FOwnerForm)
        return true;
    TQueryEndSessionEvent query;
    QCoreApplication::sendEvent(FOwnerForm, &query);
    return query.isAccepted();
}

void TkstrFormFunc::EndSession(bool sessionEnds) {
    if (!FOwnerForm)
        return;
    TEndSessionEvent end(sessionEnds);
    QCoreApplication::sendEvent(FOwnerForm, &end);
}

void TkstrFormFunc::SessionCommitData(QSessionManager& manager) {
    if (QueryEndSession())
        EndSession(true);
    else
        manager.cancel();
}

void TkstrFormFunc::HandleEndSession(const TEndSessionEvent& event) {
    if (!event.SessionEnds)
        return;
    Raise(OnEndSession);
    // The text and the options are saved before the placement's error is shown: the session
    // may end while its box waits for the user.
    QString placementError;
    try {
        SavePlacement();
    } catch (const std::exception& error) {
        placementError = tallix::messageOf(error);
    }
    Raise(OnFormDestroy);
    if (!placementError.isEmpty())
        tallix::showErrorBox(FOwnerForm, placementError);
}

void TkstrFormFunc::Raise(const TNotifyEvent& handler) {
    if (handler)
        handler(this);
}

} // namespace tallix
