#pragma once

// The decisions of the form-behaviour component that need no window: edge snapping, the resize
// border bands, the window-drag test and the placement defaults. Rectangles are left, top, width,
// height; a right or bottom edge is left + width or top + height (exclusive).

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace tallix::formfunc {

// The kinds of size change the placement tracking tells apart.
enum class SizeKind { Restored = 0, Minimized = 1, Maximized = 2 };

// Resize-border answers, numbered as the window system numbers them; None leaves the press to
// the form.
enum class HitTest {
    None = 0,
    Left = 10,
    Right = 11,
    Top = 12,
    TopLeft = 13,
    TopRight = 14,
    Bottom = 15,
    BottomLeft = 16,
    BottomRight = 17,
};

// Top-left corner of a window after the end of a move: an edge closer than `distance` (strictly)
// to the work area's edge of the same side jumps onto it; top wins over bottom, left over right.
// A distance of 0 or less never snaps.
QPoint snapToWorkArea(const QRect& window, const QRect& workArea, int distance);

// The resize border under a point in screen coordinates: bands of 5 pixels on the left and top
// edge, 4 on the right and bottom edge of the window's outer rectangle.
HitTest resizeHitTest(const QRect& window, const QPoint& point);

// A window drag may start at (x, y) unless the point lies strictly inside one of the children.
bool dragAllowedAt(const QList<QRect>& children, int x, int y);

// Top-left corner that centres a window of that size on the screen (division truncated).
QPoint centredOn(const QRect& screen, const QSize& window);

} // namespace tallix::formfunc
