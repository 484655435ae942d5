#include "app/TextFile.h"

#include "FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using tallix::decodeTextFileBytes;
using tallix::EFileError;
using tallix::readTextFile;
using tallix::TextFileContent;
using tallix::writeTextFile;
using tallix::platform::TextEncoding;

namespace {

QByteArray roundTrip(const QByteArray& bytes) {
    return tallix::encodeTextFileBytes(decodeTextFileBytes(bytes));
}

TEST(TextFileLineBreaks, EveryKindOfBreakBecomesOneLine) {
    EXPECT_EQ(decodeTextFileBytes("1\n2\r3\r\n4").text, QStringLiteral("1\n2\n3\n4"));
    EXPECT_EQ(decodeTextFileBytes("1\r\r\n2").text, QStringLiteral("1\n\n2"));
}

TEST(TextFileLineBreaks, SavedWithCrLfAndNothingAddedAtTheEnd) {
    EXPECT_EQ(roundTrip("12\n3"), QByteArray("12\r\n3"));
    EXPECT_EQ(roundTrip("12\r\n3\r\n"), QByteArray("12\r\n3\r\n"));
    EXPECT_EQ(roundTrip(""), QByteArray());
}

TEST(TextFileEncoding, WindowsJapaneseTextIsReadAndSavedAsItWas) {
    const QByteArray shiftJis("\x82\x50\x82\x51\x89\x7e\r\n12.5", 12);
    const TextFileContent content = decodeTextFileBytes(shiftJis);
    EXPECT_EQ(content.encoding, TextEncoding::Cp932);
    EXPECT_EQ(content.text, QStringLiteral("１２円\n12.5"));
    EXPECT_EQ(tallix::encodeTextFileBytes(content), shiftJis);
}

TEST(TextFileEncoding, BytesThatDecodeInNoEncodingAreKept) {
    const QByteArray stray("1\x82\n2\xff\r\n\xe3\x81", 9);
    const TextFileContent content = decodeTextFileBytes(stray);
    EXPECT_EQ(content.encoding, TextEncoding::SystemEscaped);
    EXPECT_EQ(tallix::encodeTextFileBytes(content), QByteArray("1\x82\r\n2\xff\r\n\xe3\x81", 10));
}

TEST(TextFileEncoding, TextTheOldEncodingCannotHoldIsSavedInTheSystemCodeSet) {
    const TextFileContent content{QStringLiteral("１😀"), TextEncoding::Cp932};
    EXPECT_EQ(tallix::encodeTextFileBytes(content), QStringLiteral("１😀").toUtf8());
}

TEST(TextFileStorage, WriteThenReadGivesTheText) {
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("nums.txt"));
    writeTextFile(fileName, {QStringLiteral("12\n3"), TextEncoding::System});
    EXPECT_EQ(readBytes(fileName), QByteArray("12\r\n3"));
    EXPECT_EQ(readTextFile(fileName).text, QStringLiteral("12\n3"));
}

TEST(TextFileStorage, UnreadableFileNamesTheFile) {
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("missing.txt"));
    try {
        readTextFile(fileName);
        FAIL() << "no error";
    } catch (const EFileError& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(fileName));
    }
}

TEST(TextFileStorage, UnwritableFolderNamesTheFile) {
    QTemporaryDir dir;
    writeBytes(dir.filePath(QStringLiteral("plain")), "x");
    const QString fileName = dir.filePath(QStringLiteral("plain/nums.txt"));
    try {
        writeTextFile(fileName, {QStringLiteral("1"), TextEncoding::System});
        FAIL() << "no error";
    } catch (const EFileError& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(fileName));
    }
}

#ifndef _WIN32
// A disk that fills up half-way through the save: the old file must survive untouched.
TEST(TextFileStorage, FailedSaveKeepsThePreviousFile) {
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("nums.txt"));
    writeBytes(fileName, "old\r\ntext");

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4;
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(writeTextFile(fileName, {QStringLiteral("123456789\n0"), TextEncoding::System}),
                 EFileError);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(readBytes(fileName), QByteArray("old\r\ntext"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("nums.txt")});
}
#endif

} // namespace
