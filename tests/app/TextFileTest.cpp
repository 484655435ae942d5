#include "app/TextFile.h"

#include "FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

using tallix::decodeTextFileBytes;
using tallix::EFileError;
using tallix::readTextFile;
using tallix::TextFileContent;
using tallix::writeTextFile;
using tallix::platform::TextEncoding;

namespace {

QByteArray roundTrip(const QByteArray& bytes) {
    return tallix::encodeTextFileBytes(*decodeTextFileBytes(bytes));
}

// The message of the error that reading the file raises, or nothing when it reads.
QString readError(const QString& fileName) {
    try {
        readTextFile(fileName);
    } catch (const EFileError& error) {
        return QString::fromUtf8(error.what());
    }
    return QString();
}

TEST(TextFileLineBreaks, EveryKindOfBreakBecomesOneLine) {
    EXPECT_EQ(decodeTextFileBytes("1\n2\r3\r\n4")->text, QStringLiteral("1\n2\n3\n4"));
    EXPECT_EQ(decodeTextFileBytes("1\r\r\n2")->text, QStringLiteral("1\n\n2"));
}

TEST(TextFileLineBreaks, SavedWithCrLfAndNothingAddedAtTheEnd) {
    EXPECT_EQ(roundTrip("12\n3"), QByteArray("12\r\n3"));
    EXPECT_EQ(roundTrip("12\r\n3\r\n"), QByteArray("12\r\n3\r\n"));
    EXPECT_EQ(roundTrip(""), QByteArray());
}

TEST(TextFileEncoding, WindowsJapaneseTextIsReadAndSavedAsItWas) {
    const QByteArray shiftJis("\x82\x50\x82\x51\x89\x7e\r\n12.5", 12);
    const TextFileContent content = *decodeTextFileBytes(shiftJis);
    EXPECT_EQ(content.encoding, TextEncoding::Cp932);
    EXPECT_EQ(content.text, QStringLiteral("１２円\n12.5"));
    EXPECT_EQ(tallix::encodeTextFileBytes(content), shiftJis);
}

TEST(TextFileEncoding, BytesThatDecodeInNoEncodingAreKept) {
    const QByteArray stray("1\x82\n2\xff\r\n\xe3\x81", 9);
    const TextFileContent content = *decodeTextFileBytes(stray);
    EXPECT_EQ(content.encoding, TextEncoding::SystemEscaped);
    EXPECT_EQ(tallix::encodeTextFileBytes(content), QByteArray("1\x82\r\n2\xff\r\n\xe3\x81", 10));
}

// The text wins over the encoding, and the mark keeps the file from being taken for Shift-JIS
// again (by Windows programs, and by this one, which would otherwise try the locale's code set
// and on a Latin-1 system encode already-encoded bytes a second time).
TEST(TextFileEncoding, TextTheOldEncodingCannotHoldIsSavedAsUtf8WithAMark) {
    const TextFileContent content{QStringLiteral("１😀\n2"), TextEncoding::Cp932};
    const QByteArray bytes = tallix::encodeTextFileBytes(content);
    EXPECT_EQ(bytes, QByteArray("\xEF\xBB\xBF") + QStringLiteral("１😀\r\n2").toUtf8());
    EXPECT_EQ(decodeTextFileBytes(bytes)->encoding, TextEncoding::Utf8Bom);
    EXPECT_EQ(decodeTextFileBytes(bytes)->text, content.text);
}

// Notepad's UTF-8 and "Unicode" files come back byte for byte, mark and all.
TEST(TextFileEncoding, FilesWithAByteOrderMarkAreSavedInTheirOwnForm) {
    const QString text = QStringLiteral("１２円\r\n12.5😀\r\n");
    QByteArray utf16le("\xFF\xFE");
    QByteArray utf16be("\xFE\xFF");
    for (const QChar c : text) {
        utf16le += QByteArray(1, static_cast<char>(c.unicode() & 0xFF)) +
                   QByteArray(1, static_cast<char>(c.unicode() >> 8));
        utf16be += QByteArray(1, static_cast<char>(c.unicode() >> 8)) +
                   QByteArray(1, static_cast<char>(c.unicode() & 0xFF));
    }
    const std::pair<QByteArray, TextEncoding> files[] = {
        {QByteArray("\xEF\xBB\xBF") + text.toUtf8(), TextEncoding::Utf8Bom},
        {utf16le, TextEncoding::Utf16LeBom},
        {utf16be, TextEncoding::Utf16BeBom},
    };
    for (const auto& [bytes, encoding] : files) {
        const auto content = decodeTextFileBytes(bytes);
        ASSERT_TRUE(content);
        EXPECT_EQ(content->encoding, encoding);
        EXPECT_EQ(content->text, QStringLiteral("１２円\n12.5😀\n"));
        EXPECT_EQ(tallix::encodeTextFileBytes(*content), bytes);
    }
}

// Kept as they are rather than shown and saved back changed: UTF-16 without its mark, a
// picture, a UTF-16 file cut in the middle of a character.
TEST(TextFileEncoding, BytesThatAreNoTextAreNotTaken) {
    EXPECT_FALSE(decodeTextFileBytes(QByteArray("1\0002\000\r\000\n\000", 8)));
    EXPECT_FALSE(decodeTextFileBytes(QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01", 12)));
    EXPECT_FALSE(decodeTextFileBytes(QByteArray("\xFF\xFE"
                                                "1\000\x00\xD8",
                                                6)));
}

// Windows Japanese text has characters with two codes (NEC and JIS rows): such a file is not
// taken as CP932, which would save the other code back, and keeps its bytes.
TEST(TextFileEncoding, ShiftJisThatWouldNotComeBackTheSameIsKeptByteForByte) {
    const QByteArray necRow("1\x87\x9A"
                            "2",
                            4);
    const auto content = decodeTextFileBytes(necRow);
    ASSERT_TRUE(content);
    EXPECT_NE(content->encoding, TextEncoding::Cp932);
    EXPECT_EQ(tallix::encodeTextFileBytes(*content), necRow);
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

#ifndef _WIN32
// A FIFO, a device and a file too large to show are refused at once with a message naming the
// file, never waited on or read into memory without end.
TEST(TextFileStorage, OnlyRegularFilesOfASizeThatFitsAreRead) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo.txt"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = dir.filePath(QStringLiteral("zero.txt"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString large = dir.filePath(QStringLiteral("large.txt"));
    QFile file(large);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(tallix::kMaxTextFileBytes + 1));
    file.close();

    EXPECT_TRUE(readError(fifo).contains(QStringLiteral("通常のファイルではない")));
    EXPECT_TRUE(readError(zero).contains(zero));
    EXPECT_TRUE(readError(large).contains(QStringLiteral("大きすぎる")));
    EXPECT_FALSE(tallix::readTextFileIfPresent(dir.filePath(QStringLiteral("none.txt"))));
}

#endif

} // namespace
