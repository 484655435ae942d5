#include "formfunc/FormFuncRules.h"

namespace tallix::formfunc {

namespace {

// Strictly between: an edge exactly `distance` away stays where it is.
bool isNear(int edge, int target, int distance) {
    return target - distance < edge && edge < target + distance;
}

constexpr int kLeadingBand = 5;
constexpr int kTrailingBand = 5;

} // namespace

QPoint snapToWorkArea(const QRect& window, const QRect& workArea, int distance) {
    const int left = window.x();
    const int top = window.y();
    const int right = left + window.width();
    const int bottom = top + window.height();
    const int areaRight = workArea.x() + workArea.width();
    const int areaBottom = workArea.y() + workArea.height();
    QPoint corner(left, top);
    if (isNear(top, workArea.y(), distance))
        corner.setY(workArea.y());
    else if (isNear(bottom, areaBottom, distance))
        corner.setY(areaBottom - window.height());
    if (isNear(left, workArea.x(), distance))
        corner.setX(workArea.x());
    else if (isNear(right, areaRight, distance))
        corner.setX(areaRight - window.width());
    return corner;
}

HitTest resizeHitTest(const QRect& window, const QPoint& point) {
    // "> edge - 5" on the trailing sides leaves a band of four pixels there, "< edge + 5" on the
    // leading sides one of five.
    const int x = point.x();
    const int y = point.y();
    int code = 0;
    if (y > window.y() + window.height() - kTrailingBand)
        code = 2;
    else if (y < window.y() + kLeadingBand)
        code = 1;
    if (x > window.x() + window.width() - kTrailingBand)
        code += 20;
    else if (x < window.x() + kLeadingBand)
        code += 10;
    switch (code) {
    case 1:
        return HitTest::Top;
    case 2:
        return HitTest::Bottom;
    case 10:
        return HitTest::Left;
    case 11:
        return HitTest::TopLeft;
    case 12:
        return HitTest::BottomLeft;
    case 20:
        return HitTest::Right;
    case 21:
        return HitTest::TopRight;
    case 22:
        return HitTest::BottomRight;
    default:
        return HitTest::None;
    }
}

bool dragAllowedAt(const QList<QRect>& children, int x, int y) {
    bool allowed = true;
    for (const QRect& child : children) {
        const bool inside = child.x() < x && x < child.x() + child.width() && child.y() < y &&
                            y < child.y() + child.height();
        if (inside)
            allowed = false;
    }
    return allowed;
}

QPoint centredOn(const QRect& screen, const QSize& window) {
    return {screen.x() + (screen.width() - window.width()) / 2,
            screen.y() + (screen.height() - window.height()) / 2};
}

} // namespace tallix::formfunc
