#include "platform/TextCodec.h"

#include <gtest/gtest.h>

using tallix::platform::decodeText;
using tallix::platform::encodeText;
using tallix::platform::TextEncoding;

namespace {

// "１２円" in Windows Japanese text.
const QByteArray kCp932Text("\x82\x50\x82\x51\x89\x7e", 6);

TEST(TextCodec, Utf8IsStrictAndRoundTrips) {
    const QByteArray utf8 = QStringLiteral("１２円 3.5").toUtf8();
    const auto text = decodeText(utf8, TextEncoding::System);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, QStringLiteral("１２円 3.5"));
    EXPECT_EQ(encodeText(*text, TextEncoding::System), utf8);
    EXPECT_FALSE(decodeText(kCp932Text, TextEncoding::System));
}

TEST(TextCodec, Cp932DecodesAndEncodesBack) {
    const auto text = decodeText(kCp932Text, TextEncoding::Cp932);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, QStringLiteral("１２円"));
    EXPECT_EQ(encodeText(*text, TextEncoding::Cp932), kCp932Text);
}

TEST(TextCodec, Cp932RefusesWhatItCannotHold) {
    EXPECT_FALSE(encodeText(QStringLiteral("😀"), TextEncoding::Cp932));
    // A lead byte followed by a line feed is no character.
    EXPECT_FALSE(decodeText(QByteArray("1\x82\n", 3), TextEncoding::Cp932));
}

TEST(TextCodec, EscapedKeepsEveryByte) {
    const QByteArray bytes("12\xff\x80 3\xe3\x81\x82\xe3\x81", 11);
    const auto text = decodeText(bytes, TextEncoding::SystemEscaped);
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->startsWith(QStringLiteral("12")));
    EXPECT_TRUE(text->contains(QStringLiteral(" 3あ")));
    EXPECT_EQ(encodeText(*text, TextEncoding::SystemEscaped), bytes);
}

TEST(TextCodec, EscapedDoesNotConfuseRealCharactersWithBytes) {
    // A genuine character from the range used for stray bytes must come back as itself.
    const char32_t privateUse = 0x10FF41;
    const QByteArray bytes = QString::fromUcs4(&privateUse, 1).toUtf8() + QByteArray("\xff", 1);
    const auto text = decodeText(bytes, TextEncoding::SystemEscaped);
    ASSERT_TRUE(text);
    EXPECT_EQ(encodeText(*text, TextEncoding::SystemEscaped), bytes);
}

} // namespace
