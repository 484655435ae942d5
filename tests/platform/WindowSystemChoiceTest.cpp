#include "platform/WindowSystemChoice.h"

#include <gtest/gtest.h>

using tallix::platform::preferredPlatformPlugins;
using tallix::platform::SessionEnvironment;

namespace {

TEST(WindowSystemChoice, AWaylandSessionWithXWaylandRunsThroughX) {
    const QString throughX = QStringLiteral("xcb;wayland");
    EXPECT_EQ(preferredPlatformPlugins({{}, "wayland-0", "wayland", ":0"}), throughX);
    EXPECT_EQ(preferredPlatformPlugins({{}, "wayland-0", {}, ":0"}), throughX);
    EXPECT_EQ(preferredPlatformPlugins({{}, {}, "Wayland", ":1"}), throughX);
}

TEST(WindowSystemChoice, TheUsersChoiceAndSessionsWithoutChoiceAreLeftToQt) {
    EXPECT_EQ(preferredPlatformPlugins({"wayland", "wayland-0", "wayland", ":0"}), QString());
    EXPECT_EQ(preferredPlatformPlugins({{}, "wayland-0", "wayland", {}}), QString());
    EXPECT_EQ(preferredPlatformPlugins({{}, {}, "x11", ":0"}), QString());
}

} // namespace
