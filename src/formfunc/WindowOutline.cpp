#include "formfunc/WindowOutline.h"

namespace tallix::formfunc {

namespace {

// left, top, right, bottom with right and bottom exclusive.
QRect span(int left, int top, int right, int bottom) {
    return {left, top, right - left, bottom - top};
}

} // namespace

QRegion windowOutline(bool rounded, int width, int height) {
    if (!rounded)
        return QRegion(span(0, 0, width, height + 1));
    QRegion outline(span(0, 4, width, height - 4));
    outline += span(4, 0, width - 4, height);
    outline += span(2, 1, width - 2, height - 1);
    outline += span(1, 2, width - 1, height - 2);
    return outline;
}

Qt::Edges resizeEdges(HitTest hit) {
    switch (hit) {
    case HitTest::Left:
        return Qt::LeftEdge;
    case HitTest::Right:
        return Qt::RightEdge;
    case HitTest::Top:
        return Qt::TopEdge;
    case HitTest::Bottom:
        return Qt::BottomEdge;
    case HitTest::TopLeft:
        return Qt::TopEdge | Qt::LeftEdge;
    case HitTest::TopRight:
        return Qt::TopEdge | Qt::RightEdge;
    case HitTest::BottomLeft:
        return Qt::BottomEdge | Qt::LeftEdge;
    case HitTest::BottomRight:
        return Qt::BottomEdge | Qt::RightEdge;
    case HitTest::None:
        break;
    }
    return {};
}

Qt::CursorShape resizeCursor(HitTest hit) {
    switch (hit) {
    case HitTest::Left:
    case HitTest::Right:
        return Qt::SizeHorCursor;
    case HitTest::Top:
    case HitTest::Bottom:
        return Qt::SizeVerCursor;
    case HitTest::TopLeft:
    case HitTest::BottomRight:
        return Qt::SizeFDiagCursor;
    case HitTest::TopRight:
    case HitTest::BottomLeft:
        return Qt::SizeBDiagCursor;
    case HitTest::None:
        break;
    }
    return Qt::ArrowCursor;
}

} // namespace tallix::formfunc
