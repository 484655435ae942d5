#include "env/Functions.h"

#include <QIODevice>

#include <gtest/gtest.h>

using namespace tallix;

namespace {

const QRect kPrimary(0, 0, 1280, 1024);
const QList<QRect> kOneWorkArea{{0, 0, 1280, 984}};

TEST(LinkTarget, OnlyExactHttpStaysAWebAddress) {
    EXPECT_EQ(linkTarget("http://example.com/"), "http://example.com/");
    EXPECT_EQ(linkTarget("someone@example.com"), "mailto:someone@example.com");
    EXPECT_EQ(linkTarget("https://example.com/"), "mailto:https://example.com/");
    EXPECT_EQ(linkTarget("HTTP://example.com/"), "mailto:HTTP://example.com/");
    EXPECT_EQ(linkTarget("http"), "mailto:http");
    EXPECT_EQ(linkTarget(""), "mailto:");
}

TEST(KeepOnScreen, TolerancesAreFourPixelsAcrossAndEightDown) {
    // Left edge 4 left of the work area and top 8 above it: stays.
    const QRect tolerated(-4, -8, 400, 300);
    EXPECT_EQ(keepOnScreen(tolerated, kOneWorkArea, kPrimary), tolerated);
    // Left = L - 3 stays; L - 5 stays only when the right edge is inside.
    const QRect leftMinus3(-3, 100, 400, 300);
    EXPECT_EQ(keepOnScreen(leftMinus3, kOneWorkArea, kPrimary), leftMinus3);
    const QRect leftMinus5(-5, 100, 400, 300);
    EXPECT_EQ(keepOnScreen(leftMinus5, kOneWorkArea, kPrimary), leftMinus5);
    const QRect top9Above(100, -9, 400, 300);
    EXPECT_NE(keepOnScreen(top9Above, kOneWorkArea, kPrimary), top9Above);
}

TEST(KeepOnScreen, RightEdgeNeedsFivePixelsOfRoom) {
    // Left edge off the area to the left; right edge = left + width.
    const QList<QRect> area{{1000, 0, 1000, 984}};
    const QRect rightRoomFive(700, 100, 1295 - 700, 300); // right 1295, 1295 + 4 < 2000
    EXPECT_EQ(keepOnScreen(rightRoomFive, area, kPrimary), rightRoomFive);
    const QRect rightAtAreaLeft(700, 100, 300, 300); // right = L exactly
    EXPECT_EQ(keepOnScreen(rightAtAreaLeft, area, kPrimary), rightAtAreaLeft);
    const QRect rightLeftOfArea(699, 100, 300, 300);
    EXPECT_NE(keepOnScreen(rightLeftOfArea, area, kPrimary), rightLeftOfArea);
    const QList<QRect> narrow{{0, 0, 400, 984}};
    const QRect rightNearEnd(-100, 100, 496, 300); // right 396, 396 + 4 = 400 not < 400
    EXPECT_EQ(keepOnScreen(rightNearEnd, narrow, kPrimary), QRect(392, 362, 496, 300));
}

TEST(KeepOnScreen, TopExactlyEightAboveTheBottomIsRecentred) {
    const QRect nearBottom(100, 976, 400, 300);
    EXPECT_EQ(keepOnScreen(nearBottom, kOneWorkArea, kPrimary), QRect(440, 362, 400, 300));
    const QRect justAbove(100, 975, 400, 300);
    EXPECT_EQ(keepOnScreen(justAbove, kOneWorkArea, kPrimary), justAbove);
}

TEST(KeepOnScreen, AWindowOffEveryScreenIsCutAndCentredOnThePrimary) {
    const QRect removedMonitor(3000, 200, 1500, 1100);
    EXPECT_EQ(keepOnScreen(removedMonitor, kOneWorkArea, kPrimary), QRect(0, 0, 1280, 1024));
    const QRect wide(3000, 200, 1500, 300);
    EXPECT_EQ(keepOnScreen(wide, kOneWorkArea, kPrimary), QRect(0, 362, 1280, 300));
    EXPECT_EQ(keepOnScreen(wide, {}, kPrimary), QRect(0, 362, 1280, 300));
}

TEST(KeepOnScreen, AnyOfSeveralWorkAreasKeepsTheWindow) {
    const QList<QRect> two{{0, 0, 1280, 984}, {1280, 0, 1920, 1050}};
    const QRect onSecond(2000, 900, 400, 300);
    EXPECT_EQ(keepOnScreen(onSecond, two, kPrimary), onSecond);
    // Centring happens on the primary screen wherever it lies.
    EXPECT_EQ(keepOnScreen({9000, 0, 400, 300}, two, QRect(1280, 0, 1920, 1080)),
              QRect(2040, 390, 400, 300));
}

TEST(LoadResourceStream, TheProgramEmbedsNoDataResources) {
    EXPECT_EQ(loadResourceStream("AppTitle"), nullptr);
    EXPECT_EQ(loadResourceStream(""), nullptr);
}

TEST(HasDoubleByteChar, JapaneseTextHasMultiByteCharactersAsciiNone) {
    EXPECT_TRUE(hasDoubleByteChar(QStringLiteral("タリックス")));
    EXPECT_TRUE(hasDoubleByteChar(QStringLiteral("Tallix 数字")));
    EXPECT_FALSE(hasDoubleByteChar(QStringLiteral("Tallix 0.5")));
    EXPECT_FALSE(hasDoubleByteChar(QString()));
}

} // namespace
