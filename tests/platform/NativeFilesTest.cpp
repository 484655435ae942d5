#include "platform/NativeFiles.h"
#include "platform/NativeFileNames.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

#ifndef _WIN32
#include <sys/stat.h>

namespace platform = tallix::platform;
using platform::FileKind;
using platform::FileRead;

namespace {

// "データ" in Shift-JIS, as unzip leaves a Windows archive's folder on a UTF-8 system.
const QByteArray kShiftJisFolder("\x83\x66\x81\x5B\x83\x5E");

class NativeFiles : public testing::Test {
protected:
    QByteArray rawFolder() const { return QFile::encodeName(m_dir.path()) + '/' + kShiftJisFolder; }
    QString folder() const { return platform::fileNameFromBytes(rawFolder()); }

    QTemporaryDir m_dir;
};

// Every call names the folder by its bytes: what one call creates, the others find, and
// nothing appears beside it under another name.
TEST_F(NativeFiles, EveryCallNamesAShiftJisFolderByItsBytes) {
    ASSERT_TRUE(platform::makeFolders(folder() + QStringLiteral("/sub"), nullptr));
    struct stat info {};
    ASSERT_EQ(stat((rawFolder() + "/sub").constData(), &info), 0);
    EXPECT_EQ(platform::fileKind(folder()), FileKind::Folder);
    EXPECT_EQ(platform::canonicalPath(folder() + QStringLiteral("/sub/..")), folder());

    const QString file = folder() + QStringLiteral("/nums.txt");
    EXPECT_TRUE(platform::createNewFile(file));
    EXPECT_FALSE(platform::createNewFile(file));
    EXPECT_EQ(platform::fileKind(file), FileKind::Regular);
    EXPECT_TRUE(platform::isWritableFile(file));
    EXPECT_EQ(platform::readRegularFile(file, 10).status, FileRead::Status::Read);
    const QStringList entries =
        platform::folderEntries(platform::fileNameFromBytes(QFile::encodeName(m_dir.path())));
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(platform::fileNameToBytes(entries.front()), kShiftJisFolder);
    EXPECT_TRUE(platform::removeFile(file));
    EXPECT_EQ(platform::fileKind(file), FileKind::Missing);
}

TEST_F(NativeFiles, ReadingRefusesAFifoAtOnceAndStopsAtTheLimit) {
    ASSERT_TRUE(platform::makeFolders(folder(), nullptr));
    const QString fifo = folder() + QStringLiteral("/fifo");
    ASSERT_EQ(mkfifo(platform::fileNameToBytes(fifo).constData(), 0600), 0);
    EXPECT_EQ(platform::readRegularFile(fifo, 100).status, FileRead::Status::NotRegular);
    EXPECT_EQ(platform::readRegularFile(QStringLiteral("/dev/zero"), 100).status,
              FileRead::Status::NotRegular);
    const int fd = platform::openFileDescriptor(fifo, platform::OpenMode::ReadOnly);
    EXPECT_GE(fd, 0);
    QFile adopted;
    EXPECT_TRUE(adopted.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));

    const QString file = folder() + QStringLiteral("/eleven");
    ASSERT_TRUE(platform::createNewFile(file));
    std::FILE* out = std::fopen(platform::fileNameToBytes(file).constData(), "wb");
    ASSERT_TRUE(out);
    std::fputs("0123456789A", out);
    std::fclose(out);
    EXPECT_EQ(platform::readRegularFile(file, 10).status, FileRead::Status::TooLarge);
    const FileRead read = platform::readRegularFile(file, 11);
    EXPECT_EQ(read.status, FileRead::Status::Read);
    EXPECT_EQ(read.bytes, QByteArray("0123456789A"));
    EXPECT_EQ(platform::readRegularFile(folder() + QStringLiteral("/none"), 10).status,
              FileRead::Status::Missing);
}

} // namespace
#endif
