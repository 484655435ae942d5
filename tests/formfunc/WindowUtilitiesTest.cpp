#include "env/Functions.h"

#include <QIODevice>

#include <gtest/gtest.h>

namespace {

const QRect kPrimary(0, 0, 1280, 1024);
const QList<QRect> kOneWorkArea{{0, 0, 1280, 984}};

TEST(LinkTarget, OnlyExactHttpStaysAWebAddress) {
    EXPECT_EQ(LinkTarget("http://example.com/"), "http://example.com/");
    EXPECT_EQ(LinkTarget("someone@example.com"), "mailto:someone@example.com");
    EXPECT_EQ(LinkTarget("https://example.com/"), "mailto:https://example.com/");
    EXPECT_EQ(LinkTarget("HTTP://example.com/"), "mailto:HTTP://example.com/");
    EXPECT_EQ(LinkTarget("http"), "mailto:http");
    EXPECT_EQ(LinkTarget(""), "mailto:");
}

TEST(KeepOnScreen, TolerancesAreFourPixelsAcrossAndEightDown) {
    // Left edge 4 left of the work area and top 8 above it: stays.
    const QRect tolerated(-4, -8, 400, 300);
    EXPECT_EQ(KeepOnScreen(tolerated, kOneWorkArea, kPrimary), tolerated);
    // Left = L - 3 stays; L - 5 stays only when the right edge is inside.
    const QRect leftMinus3(-3, 100, 400, 300);
    EXPECT_EQ(KeepOnScreen(leftMinus3, kOneWorkArea, kPrimary), leftMinus3);
    const QRect leftMinus5(-5, 100, 400, 300);
    EXPECT_EQ(KeepOnScreen(leftMinus5, kOneWorkArea, kPrimary), leftMinus5);
    const QRect top9Above(100, -9, 400, 300);
    EXPECT_NE(KeepOnScreen(top9Above, kOneWorkArea, kPrimary), top9Above);
}

TEST(KeepOnScreen, RightEdgeNeedsFivePixelsOfRoom) {
    // Left edge off the area to the left; right edge = left + width.
    const QList<QRect> area{{1000, 0, 1000, 984}};
    const QRect rightRoomFive(700, 100, 1295 - 700, 300); // right 1295, 1295 + 4 < 2000
    EXPECT_EQ(KeepOnScreen(rightRoomFive, area, kPrimary), rightRoomFive);
    const QRect rightAtAreaLeft(700, 100, 300, 300); // right = L exactly
    EXPECT_EQ(KeepOnScreen(rightAtAreaLeft, area, kPrimary), rightAtAreaLeft);
    const QRect rightLeftOfArea(699, 100, 300, 300);
    EXPECT_NE(KeepOnScreen(rightLeftOfArea, area, kPrimary), rightLeftOfArea);
    const QList<QRect> narrow{{0, 0, 400, 984}};
    const QRect rightNearEnd(-100, 100, 496, 300); // right 396, 396 + 4 = 400 not < 400
    EXPECT_EQ(KeepOnScreen(rightNearEnd, narrow, kPrimary), QRect(392, 362, 496, 300));
}

TEST(KeepOnScreen, TopExactlyEightAboveTheBottomIsRecentred) {
    const QRect nearBottom(100, 976, 400, 300);
    EXPECT_EQ(KeepOnScreen(nearBottom, kOneWorkArea, kPrimary), QRect(440, 362, 400, 300));
    const QRect justAbove(100, 975, 400, 300);
    EXPECT_EQ(KeepOnScreen(justAbove, kOneWorkArea, kPrimary), justAbove);
}

TEST(KeepOnScreen, AWindowOffEveryScreenIsCutAndCentredOnThePrimary) {
    const QRect removedMonitor(3000, 200, 1500, 1100);
    EXPECT_EQ(KeepOnScreen(removedMonitor, kOneWorkArea, kPrimary), QRect(0, 0, 1280, 1024));
    const QRect wide(3000, 200, 1500, 300);
    EXPECT_EQ(KeepOnScreen(wide, kOneWorkArea, kPrimary), QRect(0, 362, 1280, 300));
    EXPECT_EQ(KeepOnScreen(wide, {}, kPrimary), QRect(0, 362, 1280, 300));
}

TEST(KeepOnScreen, AnyOfSeveralWorkAreasKeepsTheWindow) {
    const QList<QRect> two{{0, 0, 1280, 984}, {1280, 0, 1920, 1050}};
    const QRect onSecond(2000, 900, 400, 300);
    EXPECT_EQ(KeepOnScreen(onSecond, two, kPrimary), onSecond);
    // Centring happens on the primary screen wherever it lies.
    EXPECT_EQ(KeepOnScreen({9000, 0, 400, 300}, two, QRect(1280, 0, 1920, 1080)),
              QRect(2040, 390, 400, 300));
}

TEST(LoadResourceStream, TheProgramEmbedsNoDataResources) {
    EXPECT_EQ(LoadResourceStream("AppTitle"), nullptr);
    EXPECT_EQ(LoadResourceStream(""), nullptr);
}

TEST(HasDoubleByteChar, JapaneseTextHasMultiByteCharactersAsciiNone) {
    EXPECT_TRUE(HasDoubleByteChar(QStringLiteral("タリックス")));
    EXPECT_TRUE(HasDoubleByteChar(QStringLiteral("Tallix 数字")));
    EXPECT_FALSE(HasDoubleByteChar(QStringLiteral("Tallix 0.5")));
    EXPECT_FALSE(HasDoubleByteChar(QString()));
}

} // namespace
