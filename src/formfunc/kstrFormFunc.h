#pragma once

#include "formfunc/FormFuncRules.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QMimeData;
class QSessionManager;
class QWindow;

namespace tallix {

// Component events: raised only when assigned, always with the component as sender.
using TNotifyEvent = std::function<void(QObject* sender)>;
using TNotifyFilenameEvent = std::function<void(QObject* sender, const QString& filename)>;
using TCanDragMove = std::function<void(QObject* sender, int mouseX, int mouseY, bool& dragMove)>;

// Asks a window, from the program or from anywhere holding it, to reload its colours.
class TColorResetEvent : public QEvent {
public:
    TColorResetEvent();
    static QEvent::Type EventType();
};

// The desktop session asks whether it may end; a window that ignores the event vetoes.
class TQueryEndSessionEvent : public QEvent {
public:
    TQueryEndSessionEvent();
    static QEvent::Type EventType();
};

// The desktop session ends (SessionEnds) or goes on after all.
class TEndSessionEvent : public QEvent {
public:
    explicit TEndSessionEvent(bool sessionEnds);
    static QEvent::Type EventType();
    const bool SessionEnds;
};

// The behaviours a form gets by owning one of these: its place and size kept in the settings file
// under the form's class name, z-order, snapping to the work-area edges after a move, files
// dropped on it, dragging it by its body, a rounded outline, resize borders for a borderless
// form, background erasing, a colour-reset notice and saving state when the desktop session
// ends. It filters the form's events (and the drag-and-drop events of the form's window, so that
// a child such as a text box never sees a file drop) and passes on all it does not swallow.
//
// At session end it raises OnFormDestroy, which the form sets to its own destroy handler so that
// its state is saved as at its normal end, without destroying the form.
class TkstrFormFunc : public QObject {
    Q_OBJECT
public:
    enum TwindowPosition { wpNormal, wpTop, wpBottom };
    Q_ENUM(TwindowPosition)

private:
    Q_PROPERTY(bool Preserve READ Preserve WRITE SetPreserve)
    Q_PROPERTY(bool EraseBackGround READ EraseBackGround WRITE SetEraseBackGround)
    Q_PROPERTY(bool KeepSize READ KeepSize WRITE SetKeepSize)
    Q_PROPERTY(bool KeepLocation READ KeepLocation WRITE SetKeepLocation)
    Q_PROPERTY(bool DragDrop READ DragDrop WRITE SetDragDrop)
    Q_PROPERTY(bool DropNamesEnabled READ DropNamesEnabled WRITE SetDropNamesEnabled)
    Q_PROPERTY(bool WindowDrag READ WindowDrag WRITE SetWindowDrag)
    Q_PROPERTY(bool WindowResize READ WindowResize WRITE SetWindowResize)
    Q_PROPERTY(bool WindowRound READ WindowRound WRITE SetWindowRound)
    Q_PROPERTY(TwindowPosition WindowPosition READ WindowPosition WRITE SetWindowPosition)
    Q_PROPERTY(int FitScreenPx READ FitScreenPx WRITE SetFitScreenPx)
    Q_PROPERTY(bool Layered READ Layered WRITE SetLayered)
    Q_PROPERTY(bool BGrelocation READ BGrelocation WRITE SetBGrelocation)

public:
    // How long a window's geometry must stay still before a move or resize counts as ended.
    static constexpr int kMoveSettleMilliseconds = 400;

    explicit TkstrFormFunc(QWidget* owner);
    ~TkstrFormFunc() override;
    TkstrFormFunc(const TkstrFormFunc&) = delete;
    TkstrFormFunc& operator=(const TkstrFormFunc&) = delete;

    bool Preserve() const { return FPreserve; }
    void SetPreserve(bool value) { FPreserve = value; }
    bool EraseBackGround() const { return FEraseBackGround; }
    void SetEraseBackGround(bool value);
    bool KeepSize() const { return FKeepSize; }
    void SetKeepSize(bool value) { FKeepSize = value; }
    bool KeepLocation() const { return FKeepLocation; }
    void SetKeepLocation(bool value) { FKeepLocation = value; }
    bool DragDrop() const { return FDragDrop; }
    void SetDragDrop(bool value);
    bool DropNamesEnabled() const { return FDropNamesEnabled; }
    void SetDropNamesEnabled(bool value) { FDropNamesEnabled = value; }
    bool WindowDrag() const { return FWindowDrag; }
    void SetWindowDrag(bool value) { FWindowDrag = value; }
    bool WindowResize() const { return FWindowResize; }
    void SetWindowResize(bool value);
    bool WindowRound() const { return FWindowRound; }
    void SetWindowRound(bool value);
    TwindowPosition WindowPosition() const { return FWindowPosition; }
    void SetWindowPosition(TwindowPosition value);
    int FitScreenPx() const { return FFitScreenPx; }
    void SetFitScreenPx(int value) { FFitScreenPx = value; }
    bool Layered() const { return FLayered; }
    void SetLayered(bool value);
    bool BGrelocation() const { return FBGrelocation; }
    void SetBGrelocation(bool value) { FBGrelocation = value; }

    TNotifyEvent OnDropFinish;
    TNotifyFilenameEvent OnDropFile;
    TNotifyEvent OnWindowMoved;
    TNotifyEvent OnColorReset;
    TNotifyEvent OnEraseBackGround;
    TCanDragMove OnCanDragMove;
    TNotifyEvent OnEndSession;
    TNotifyEvent OnFormDestroy;

    // The form's designed outer size, frame included: where no size is stored, a window that a
    // window manager frames opens at it, and one without a frame at its own client size. Unset,
    // the form's size when it is first shown stands for it.
    void SetDesignOuterSize(const QSize& outer) { FDesignOuterSize = outer; }

    void HookForm(bool enable);
    void SavePlacement();
    void RestorePlacement();
    // The end of a move or resize: raises OnWindowMoved, then snaps to the work-area edges.
    void HandleExitSizeMove();
    // Delivers the names of one drop, in drop order.
    void HandleDropFiles(const QStringList& names);

    // The desktop session's questions, put to the form as events so that the form can answer.
    bool QueryEndSession();
    void EndSession(bool sessionEnds);

    // The local files among dropped data, in drop order.
    static QStringList DroppedFileNames(const QMimeData* data);

    QWidget* OwnerForm() const { return FOwnerForm; }
    WId FormHandle() const { return FFormHandle; }
    const QStringList& DropNames() const { return FDropNames; }
    const QString& DockSiteName() const { return FDockSiteName; }
    QRect NormalBounds() const { return FNormalBounds; }
    bool IsMaximized() const { return FIsMaximized; }
    bool PlacementRestored() const { return FPlacementRestored; }
    bool DragArmed() const { return FDragArmed; }

protected:
    // The filter in front of the form: true swallows the event.
    virtual bool FormWindowProc(QEvent* event);
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The window system's side of a drag, a border resize and the z-order.
    virtual bool StartSystemMove();
    virtual bool StartSystemResize(Qt::Edges edges);
    virtual void ApplyWindowPosition(TwindowPosition value);

private:
    void HandleMove();
    void HandleSize(tallix::formfunc::SizeKind kind);
    void NoteGeometryChange();
    void ApplyKnownFrame();
    void RestoreSize(std::optional<int> width, std::optional<int> height, bool frameAwaited);
    void CentreOnPrimaryScreen(Qt::Orientations axes);
    void UpdateWindowShape();
    bool HandleMousePress(const QEvent* event);
    void HandleMouseMove(const QEvent* event);
    void BeginWindowDrag(int x, int y, QPoint pointer);
    bool FollowManualMove(const QEvent* event);
    void EndManualMove();
    bool HandleWindowEvent(QEvent* event);
    bool HandleWindowDragEvent(QEvent* event);
    void HandleEraseBackground();
    void HandleEndSession(const TEndSessionEvent& event);
    void SessionCommitData(QSessionManager& manager);
    void AttachToWindow();
    void SetOuterBounds(const QRect& bounds);
    void Raise(const TNotifyEvent& handler);
    tallix::formfunc::SizeKind CurrentSizeKind() const;

    bool FPreserve = false;
    bool FEraseBackGround = false;
    bool FKeepSize = false;
    bool FKeepLocation = false;
    bool FDragDrop = false;
    bool FDropNamesEnabled = false;
    bool FWindowDrag = false;
    bool FWindowResize = false;
    bool FWindowRound = false;
    TwindowPosition FWindowPosition = wpNormal;
    int FFitScreenPx = 0;
    bool FLayered = true;
    bool FBGrelocation = false;

    QPointer<QWidget> FOwnerForm;
    // The class name decides the settings section; taken while the form is whole, since a form
    // being destroyed no longer knows its own class.
    QString FSection;
    WId FFormHandle = 0;
    QPointer<QWindow> FFormWindow;
    QRect FNormalBounds;
    // The outer rectangle as last seen on screen in the normal state. A window manager that lets
    // go of a hidden window moves it to where its frame was, so a closed window's own geometry
    // is off by the frame.
    QRect FVisibleBounds;
    // A restored outer size still waiting for the frame's size: before a window is first shown
    // nobody knows how large the window manager's frame will be.
    QSize FPendingOuterSize;
    QSize FRestoredClientSize;
    // The axes along which a window placed in the middle of the screen is centred again once
    // its frame is known.
    Qt::Orientations FPendingCentring;
    QSize FDesignOuterSize;
    bool FIsMaximized = false;
    bool FPlacementRestored = false;
    bool FDragArmed = true;
    // A drag the component carries out itself where the window system offers no move loop:
    // the pointer's offset from the window's corner while the left button is held.
    bool FManualMove = false;
    QPoint FManualMoveOffset;
    // Where the left button went down on the form's surface, from the window's outer corner:
    // the point a drag holds on to. Held only from that press to the next press or release;
    // without it no drag starts.
    std::optional<QPoint> FPressGrip;
    bool FDropAccepted = false;
    bool FResizeCursorShown = false;
    bool FAdjustingGeometry = false;
    QStringList FDropNames;
    QString FDockSiteName;
    QTimer FMoveSettleTimer;
};

} // namespace tallix
