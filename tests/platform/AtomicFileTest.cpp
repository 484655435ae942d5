#include "platform/AtomicFile.h"

#include "FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using tallix::platform::finalLinkTarget;
using tallix::platform::removeStaleTemporaries;
using tallix::platform::writeFileAtomically;

namespace {

TEST(AtomicFile, AChainOfLinksIsFollowedToTheFileAtItsEnd) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("far")));
    const QString end = dir.filePath(QStringLiteral("far/b.txt"));
    const QString middle = dir.filePath(QStringLiteral("a.txt"));
    const QString start = dir.filePath(QStringLiteral("nums.txt"));
    writeBytes(end, "old");
    ASSERT_TRUE(QFile::link(QStringLiteral("far/b.txt"), middle)); // relative to its folder
    ASSERT_TRUE(QFile::link(middle, start));
    EXPECT_EQ(QFileInfo(finalLinkTarget(start)).canonicalFilePath(),
              QFileInfo(end).canonicalFilePath());

    QString error;
    ASSERT_TRUE(writeFileAtomically(start, "new", &error)) << error.toStdString();
    EXPECT_EQ(readBytes(end), QByteArray("new"));
    EXPECT_TRUE(QFileInfo(start).isSymLink());
    EXPECT_TRUE(QFileInfo(middle).isSymLink());

    // A chain that loops ends somewhere instead of running for ever, and the save fails.
    const QString loop = dir.filePath(QStringLiteral("loop"));
    ASSERT_TRUE(QFile::link(loop, loop));
    EXPECT_FALSE(writeFileAtomically(loop, "x", &error));
}

TEST(AtomicFile, AFileWeMayNotWriteIsKept) {
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("nums.txt"));
    writeBytes(fileName, "precious");
    ASSERT_TRUE(QFile::setPermissions(fileName, QFile::ReadOwner));
    if (QFileInfo(fileName).isWritable())
        GTEST_SKIP() << "file rights do not bind this user";
    QString error;
    EXPECT_FALSE(writeFileAtomically(fileName, "replaced", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readBytes(fileName), QByteArray("precious"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("nums.txt")});
}

TEST(AtomicFile, OnlyOurOwnLeftoversAreClearedUp) {
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("nums.txt"));
    writeBytes(fileName, "text");
    for (const char* name : {"nums.txt.tallix-Ab12Cd", "nums.txt.tallix-zzzzzz"})
        writeBytes(dir.filePath(QString::fromLatin1(name)), "half");
    const QStringList kept = {QStringLiteral("nums.txt"), QStringLiteral("nums.txt.XyZ123"),
                              QStringLiteral("nums.txt.backup"),
                              QStringLiteral("nums.txt.tallix-Ab12Cd7"),
                              QStringLiteral("other.txt.tallix-Ab12Cd")};
    for (const QString& name : kept)
        writeBytes(dir.filePath(name), "mine");
    removeStaleTemporaries(fileName);
    QStringList left = QDir(dir.path()).entryList(QDir::Files);
    QStringList expected = kept;
    left.sort();
    expected.sort();
    EXPECT_EQ(left, expected);
}

} // namespace
