#include "app/NumberText.h"

#include <gtest/gtest.h>

using tallix::keepDigitsAndPoints;
using tallix::newlyComposed;

// Digits and points typed with an input method on are numbers: kept, and made plain.
TEST(NumberTextTest, KeepingDigitsKeepsDoubleWidthDigitsAndPointsAsPlainOnes) {
    EXPECT_EQ(keepDigitsAndPoints(QStringLiteral("１２．５円\n\n－３，４００\nab 7.0 ８\n")),
              QStringLiteral("12.5\n\n3400\n7.08\n"));
    EXPECT_EQ(keepDigitsAndPoints(QStringLiteral("〇一二・ｰ\n")), QStringLiteral("\n"));
    EXPECT_EQ(tallix::plainNumberChar(u'９'), QChar(u'9'));
    EXPECT_EQ(tallix::plainNumberChar(u'．'), QChar(u'.'));
    EXPECT_EQ(tallix::plainNumberChar(u'／'), QChar(u'／'));
}

// Each key the input method takes in counts once: when it enters the composition, not again
// when the composition is committed.
TEST(NumberTextTest, KeysTypedIntoTheCompositionAreNewOnceAndNotAgainAtTheCommit) {
    EXPECT_EQ(newlyComposed({}, {}, QStringLiteral("１")), QStringLiteral("１"));
    EXPECT_EQ(newlyComposed(QStringLiteral("１"), {}, QStringLiteral("１２")),
              QStringLiteral("２"));
    // typed with the caret moved back inside the composition
    EXPECT_EQ(newlyComposed(QStringLiteral("１３"), {}, QStringLiteral("１２３")),
              QStringLiteral("２"));
    EXPECT_EQ(newlyComposed(QStringLiteral("１２"), QStringLiteral("１２"), {}), QString());
    // committed as half-width, as by F10: the same digits
    EXPECT_EQ(newlyComposed(QStringLiteral("１２"), QStringLiteral("12"), {}), QString());
    // the commit ends one composition and the next key starts another
    EXPECT_EQ(newlyComposed(QStringLiteral("１"), QStringLiteral("１"), QStringLiteral("２")),
              QStringLiteral("２"));
}

// Changes that are no typing say nothing; text that never showed in a composition is new.
TEST(NumberTextTest, DeletingOrConvertingIsNotTypingButAnUnheardCommitIs) {
    EXPECT_EQ(newlyComposed(QStringLiteral("１２"), {}, QStringLiteral("１")), QString());
    EXPECT_EQ(newlyComposed(QStringLiteral("１２"), {}, {}), QString());
    EXPECT_EQ(newlyComposed(QStringLiteral("いち"), {}, QStringLiteral("一")), QString());
    EXPECT_EQ(newlyComposed(QStringLiteral("１２"), {}, QStringLiteral("１２")), QString());
    EXPECT_EQ(newlyComposed({}, QStringLiteral("１"), {}), QStringLiteral("１"));
    EXPECT_EQ(newlyComposed(QStringLiteral("いち"), QStringLiteral("1"), {}), QStringLiteral("1"));
}
