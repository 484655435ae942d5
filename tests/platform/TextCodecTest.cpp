#include "platform/TextCodec.h"

#include <QElapsedTimer>

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

// Text in a code set that is neither UTF-8 nor CP932 (Latin-1 here) has a stray byte every few
// characters; its decoding must stay one pass, not a try per byte.
TEST(TextCodec, EscapedDecodingOfMuchStrayTextIsQuick) {
    const QByteArray latin1 = QByteArray("caf\xE9 12,50\r\n").repeated(400000);
    QElapsedTimer timer;
    timer.start();
    const auto text = decodeText(latin1, TextEncoding::SystemEscaped);
    EXPECT_LT(timer.elapsed(), 1500) << "6 MB; it took over a microsecond a byte before";
    ASSERT_TRUE(text);
    EXPECT_EQ(encodeText(*text, TextEncoding::SystemEscaped), latin1);
}

TEST(TextCodec, Utf16NeedsItsMarkAndWholeCharacters) {
    EXPECT_EQ(decodeText(QByteArray("\xFF\xFE"
                                    "1\0",
                                    4),
                         TextEncoding::Utf16LeBom),
              QStringLiteral("1"));
    EXPECT_EQ(decodeText(QByteArray("\xFE\xFF\0"
                                    "1",
                                    4),
                         TextEncoding::Utf16BeBom),
              QStringLiteral("1"));
    EXPECT_FALSE(decodeText(QByteArray("1\0", 2), TextEncoding::Utf16LeBom));
    EXPECT_FALSE(decodeText(QByteArray("\xFF\xFE"
                                       "1\0"
                                       "2",
                                       5),
                            TextEncoding::Utf16LeBom));
    EXPECT_FALSE(decodeText(QByteArray("\xFF\xFE\x3D\xD8"
                                       "1\0",
                                       6),
                            TextEncoding::Utf16LeBom));
    EXPECT_EQ(encodeText(QStringLiteral("😀"), TextEncoding::Utf16BeBom),
              QByteArray("\xFE\xFF\xD8\x3D\xDE\x00", 6));
}

} // namespace
