#include "platform/ErrorText.h"

#include <gtest/gtest.h>

TEST(ErrorText, DetailsFillTheMarksInOrderAndAreTakenAsTheyAre) {
    EXPECT_EQ(tallix::platform::fillErrorText("[{}]長さ[{}]", {"Reload", -3}), "[Reload]長さ[-3]");
    // A name read from a file may hold a mark of its own; it stays as it is.
    EXPECT_EQ(tallix::platform::fillErrorText("[{}] {}", {"{}", "x"}), "[{}] x");
    // A mark without a detail is left, rather than read past the details.
    EXPECT_EQ(tallix::platform::fillErrorText("{} {}", {"a"}), "a {}");
}
