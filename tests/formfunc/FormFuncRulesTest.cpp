#include "formfunc/FormFuncRules.h"

#include "formfunc/WindowOutline.h"

#include <gtest/gtest.h>

using namespace tallix::formfunc;

namespace {

const QRect kWorkArea(0, 0, 1280, 984);

TEST(SnapToWorkArea, EdgesCloserThanTheDistanceJumpOntoTheWorkArea) {
    // Top edge 9 below the work area's top jumps; at 10 it stays (strict comparison).
    EXPECT_EQ(snapToWorkArea({300, 9, 400, 300}, kWorkArea, 10), QPoint(300, 0));
    EXPECT_EQ(snapToWorkArea({300, 10, 400, 300}, kWorkArea, 10), QPoint(300, 10));
    EXPECT_EQ(snapToWorkArea({300, -9, 400, 300}, kWorkArea, 10), QPoint(300, 0));
    EXPECT_EQ(snapToWorkArea({300, -10, 400, 300}, kWorkArea, 10), QPoint(300, -10));
    // Left edge likewise.
    EXPECT_EQ(snapToWorkArea({-9, 300, 400, 300}, kWorkArea, 10), QPoint(0, 300));
    EXPECT_EQ(snapToWorkArea({10, 300, 400, 300}, kWorkArea, 10), QPoint(10, 300));
    // Bottom and right edges: window's bottom = top + height, work area's = 984.
    EXPECT_EQ(snapToWorkArea({300, 675, 400, 300}, kWorkArea, 10), QPoint(300, 684));
    EXPECT_EQ(snapToWorkArea({300, 674, 400, 300}, kWorkArea, 10), QPoint(300, 674));
    EXPECT_EQ(snapToWorkArea({871, 300, 400, 300}, kWorkArea, 10), QPoint(880, 300));
    EXPECT_EQ(snapToWorkArea({870, 300, 400, 300}, kWorkArea, 10), QPoint(870, 300));
}

TEST(SnapToWorkArea, TopAndLeftWinOverBottomAndRight) {
    // A window almost as tall and wide as the work area is near both edges of each axis.
    EXPECT_EQ(snapToWorkArea({3, 3, 1275, 978}, kWorkArea, 10), QPoint(0, 0));
}

TEST(SnapToWorkArea, ZeroOrNegativeDistanceNeverSnaps) {
    EXPECT_EQ(snapToWorkArea({1, 1, 400, 300}, kWorkArea, 0), QPoint(1, 1));
    EXPECT_EQ(snapToWorkArea({0, 0, 400, 300}, kWorkArea, -10), QPoint(0, 0));
    EXPECT_EQ(snapToWorkArea({1, 1, 400, 300}, kWorkArea, -10), QPoint(1, 1));
}

TEST(SnapToWorkArea, WorksOnAWorkAreaAwayFromTheOrigin) {
    const QRect second(1280, 40, 1024, 728);
    EXPECT_EQ(snapToWorkArea({1285, 45, 300, 200}, second, 8), QPoint(1280, 40));
    EXPECT_EQ(snapToWorkArea({2000, 565, 300, 200}, second, 8), QPoint(2004, 568));
}

TEST(ResizeHitTest, BandsAreFivePixelsOnTheLeadingAndFourOnTheTrailingEdges) {
    const QRect window(100, 200, 300, 250);
    const int middleY = 300;
    EXPECT_EQ(resizeHitTest(window, {104, middleY}), HitTest::Left);
    EXPECT_EQ(resizeHitTest(window, {105, middleY}), HitTest::None);
    EXPECT_EQ(resizeHitTest(window, {396, middleY}), HitTest::Right); // Left + Width - 4
    EXPECT_EQ(resizeHitTest(window, {395, middleY}), HitTest::None);  // Left + Width - 5
    EXPECT_EQ(resizeHitTest(window, {250, 204}), HitTest::Top);
    EXPECT_EQ(resizeHitTest(window, {250, 205}), HitTest::None);
    EXPECT_EQ(resizeHitTest(window, {250, 446}), HitTest::Bottom);
    EXPECT_EQ(resizeHitTest(window, {250, 445}), HitTest::None);
}

TEST(ResizeHitTest, CornersCombineBothBands) {
    const QRect window(100, 200, 300, 250);
    EXPECT_EQ(resizeHitTest(window, {104, 204}), HitTest::TopLeft);
    EXPECT_EQ(resizeHitTest(window, {396, 204}), HitTest::TopRight);
    EXPECT_EQ(resizeHitTest(window, {104, 446}), HitTest::BottomLeft);
    EXPECT_EQ(resizeHitTest(window, {396, 446}), HitTest::BottomRight);
    // Points outside the window count as in the band of that side.
    EXPECT_EQ(resizeHitTest(window, {50, 100}), HitTest::TopLeft);
    EXPECT_EQ(static_cast<int>(HitTest::BottomRight), 17);
}

TEST(ResizeHitTest, EdgesAndCursorsFollowTheBand) {
    EXPECT_EQ(resizeEdges(HitTest::TopLeft), Qt::TopEdge | Qt::LeftEdge);
    EXPECT_EQ(resizeEdges(HitTest::Bottom), Qt::Edges(Qt::BottomEdge));
    EXPECT_EQ(resizeEdges(HitTest::None), Qt::Edges());
    EXPECT_EQ(resizeCursor(HitTest::Right), Qt::SizeHorCursor);
    EXPECT_EQ(resizeCursor(HitTest::Top), Qt::SizeVerCursor);
    EXPECT_EQ(resizeCursor(HitTest::BottomRight), Qt::SizeFDiagCursor);
    EXPECT_EQ(resizeCursor(HitTest::TopRight), Qt::SizeBDiagCursor);
}

TEST(DragAllowedAt, OnlyPointsStrictlyInsideAChildRefuseTheDrag) {
    const QList<QRect> label{{10, 10, 50, 20}};
    EXPECT_TRUE(dragAllowedAt(label, 10, 15)); // on the left edge line
    EXPECT_FALSE(dragAllowedAt(label, 11, 15));
    EXPECT_FALSE(dragAllowedAt(label, 59, 29));
    EXPECT_TRUE(dragAllowedAt(label, 60, 15)); // Left + Width
    EXPECT_TRUE(dragAllowedAt(label, 30, 30)); // Top + Height
    EXPECT_TRUE(dragAllowedAt(label, 30, 10));
    EXPECT_TRUE(dragAllowedAt({}, 30, 15));
}

TEST(DragAllowedAt, AnyOfSeveralChildrenRefuses) {
    // The last child does not contain the point; an early hit must still count.
    const QList<QRect> children{{0, 0, 100, 100}, {200, 200, 10, 10}};
    EXPECT_FALSE(dragAllowedAt(children, 50, 50));
    EXPECT_FALSE(dragAllowedAt(children, 205, 205));
    EXPECT_TRUE(dragAllowedAt(children, 150, 150));
}

// Rows of the outline: the first and last visible column of each.
void expectRow(const QRegion& outline, int width, int y, int first, int last) {
    EXPECT_FALSE(outline.contains(QPoint(first - 1, y))) << "row " << y;
    EXPECT_TRUE(outline.contains(QPoint(first, y))) << "row " << y;
    EXPECT_TRUE(outline.contains(QPoint(last, y))) << "row " << y;
    EXPECT_FALSE(outline.contains(QPoint(last + 1, y))) << "row " << y;
    EXPECT_TRUE(outline.contains(QPoint(width / 2, y))) << "row " << y;
}

TEST(WindowOutline, RoundedCornersLoseAStaircaseOfFourTwoOneAndOnePixels) {
    const int w = 247;
    const int h = 222;
    const QRegion outline = windowOutline(true, w, h);
    for (const int y : {0, h - 1})
        expectRow(outline, w, y, 4, w - 5);
    for (const int y : {1, h - 2})
        expectRow(outline, w, y, 2, w - 3);
    for (const int y : {2, 3, h - 4, h - 3})
        expectRow(outline, w, y, 1, w - 2);
    for (const int y : {4, 100, h - 5})
        expectRow(outline, w, y, 0, w - 1);
    EXPECT_FALSE(outline.contains(QPoint(0, -1)));
    EXPECT_FALSE(outline.contains(QPoint(100, h)));
}

TEST(WindowOutline, EveryCornerMirrorsTheTopLeftPattern) {
    const int w = 247;
    const int h = 222;
    const QRegion outline = windowOutline(true, w, h);
    const QList<QPoint> outside{{0, 0}, {3, 0}, {1, 1}, {0, 3}};
    const QList<QPoint> inside{{4, 0}, {2, 1}, {1, 2}, {0, 4}};
    for (const bool mirrorX : {false, true}) {
        for (const bool mirrorY : {false, true}) {
            auto at = [&](QPoint p) {
                return QPoint(mirrorX ? w - 1 - p.x() : p.x(), mirrorY ? h - 1 - p.y() : p.y());
            };
            for (const QPoint& p : outside)
                EXPECT_FALSE(outline.contains(at(p))) << at(p).x() << "," << at(p).y();
            for (const QPoint& p : inside)
                EXPECT_TRUE(outline.contains(at(p))) << at(p).x() << "," << at(p).y();
        }
    }
}

TEST(WindowOutline, PlainOutlineIsOneRowTaller) {
    const QRegion outline = windowOutline(false, 100, 50);
    EXPECT_EQ(outline.boundingRect(), QRect(0, 0, 100, 51));
    EXPECT_EQ(outline.rectCount(), 1);
}

TEST(CentredOn, TruncatesTowardZero) {
    EXPECT_EQ(centredOn({0, 0, 1280, 1024}, {430, 419}), QPoint(425, 302));
    EXPECT_EQ(centredOn({0, 0, 1280, 1024}, {1281, 1025}), QPoint(0, 0)); // -0.5 -> 0
    EXPECT_EQ(centredOn({0, 0, 1280, 1024}, {1283, 1027}), QPoint(-1, -1));
    EXPECT_EQ(centredOn({1920, 0, 1280, 1024}, {430, 419}), QPoint(2345, 302));
}

} // namespace
