#include "platform/AtomicFile.h"

#include "FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

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

#ifndef _WIN32

constexpr uid_t kNobody = 65534;

struct stat statOf(const QString& fileName) {
    struct stat info {};
    EXPECT_EQ(::lstat(QFile::encodeName(fileName).constData(), &info), 0);
    return info;
}

// The system's rule for shared folders such as /tmp: a link another user planted there leads
// nowhere, while one of the folder's owner, or our own, is followed.
TEST(AtomicFile, LinksInASharedFolderAreFollowedOnlyAsTheSystemWould) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "planting another user's link needs root";
    QTemporaryDir dir;
    const QString shared = dir.filePath(QStringLiteral("shared"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("shared")));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QString victim = dir.filePath(QStringLiteral("victim"));
    writeBytes(victim, "victim's own");
    const QString planted = shared + QStringLiteral("/out.txt");
    ASSERT_TRUE(QFile::link(victim, planted));
    ASSERT_EQ(::lchown(QFile::encodeName(planted).constData(), kNobody, kNobody), 0);

    QString error;
    EXPECT_FALSE(writeFileAtomically(planted, "written through", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readBytes(victim), QByteArray("victim's own"));
    EXPECT_TRUE(QFileInfo(planted).isSymLink());
    EXPECT_EQ(QDir(shared).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("out.txt")});

    // The folder's owner (root here) may link; so may the follower itself.
    ASSERT_EQ(::lchown(QFile::encodeName(planted).constData(), 0, 0), 0);
    ASSERT_TRUE(writeFileAtomically(planted, "ours", &error)) << error.toStdString();
    EXPECT_EQ(readBytes(victim), QByteArray("ours"));
}

TEST(AtomicFile, TheNewFileKeepsRightsOwnerAndAccessListButNoSetIdBit) {
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("nums.txt"));
    writeBytes(fileName, "old");
    const QByteArray path = QFile::encodeName(fileName);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path.constData(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::chmod(path.constData(), 06750), 0);
    const bool aclSet =
        QProcess::execute(QStringLiteral("setfacl"),
                          {QStringLiteral("-m"), QStringLiteral("u:0:rw"), fileName}) == 0;
    QByteArray aclBefore(4096, '\0');
    const ssize_t aclLength =
        ::getxattr(path.constData(), "system.posix_acl_access", aclBefore.data(), 4096);
    ASSERT_NE(statOf(fileName).st_mode & 04000, 0u);

    QString error;
    ASSERT_TRUE(writeFileAtomically(fileName, "new", &error)) << error.toStdString();
    const struct stat after = statOf(fileName);
    EXPECT_EQ(readBytes(fileName), QByteArray("new"));
    EXPECT_EQ(after.st_mode & 07000, 0u);
    if (root) {
        EXPECT_EQ(after.st_uid, kNobody);
        EXPECT_EQ(after.st_gid, kNobody);
    }
    if (!aclSet || aclLength <= 0) {
        EXPECT_EQ(after.st_mode & 07777, 0750u);
        return;
    }
    QByteArray aclAfter(4096, '\0');
    const ssize_t afterLength =
        ::getxattr(path.constData(), "system.posix_acl_access", aclAfter.data(), 4096);
    EXPECT_EQ(aclAfter.left(afterLength), aclBefore.left(aclLength));
}

// A new file gets what the umask leaves, and a name that uses up all 255 bytes a name may have
// still finds room for its temporary.
TEST(AtomicFile, NewFilesFollowTheUmaskAndLongNamesCanBeSaved) {
    QTemporaryDir dir;
    const mode_t previous = ::umask(027);
    const QString fileName = dir.filePath(QString(255, QLatin1Char('n')));
    QString error;
    const bool saved = writeFileAtomically(fileName, "long", &error);
    ::umask(previous);
    ASSERT_TRUE(saved) << error.toStdString();
    EXPECT_EQ(statOf(fileName).st_mode & 0777, 0640u);
    EXPECT_EQ(readBytes(fileName), QByteArray("long"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

#endif

} // namespace
