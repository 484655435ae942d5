// The archive tool among other users and hostile archives: links planted in the target folder,
// existing files, huge and numerous members, names that look alike, special files to add.

#include "ArchiveBytes.h"
#include "archive/ArchiveWriter.h"
#include "archive/ClassArchiveStream.h"
#include "archive/tool/ArchiveTool.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace archive_bytes;

namespace {

constexpr uid_t kNobody = 65534;

struct ToolRun {
    int exitCode;
    std::string out;
    std::string err;
};

ToolRun runTool(const QStringList& arguments) {
    QProcess tool;
    tool.start(TALLIX_ARCHIVE_TOOL, arguments);
    EXPECT_TRUE(tool.waitForFinished(60000));
    return {tool.exitCode(), tool.readAllStandardOutput().toStdString(),
            tool.readAllStandardError().toStdString()};
}

struct stat statOf(const QString& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info;
}

class ArchiveToolSafetyTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList folderEntries(const QString& folder) const {
        return QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir m_dir;
    QString m_archivePath = m_dir.filePath("graphic");
};

TEST_F(ArchiveToolSafetyTest, ExtractNeverWritesThroughLinksAndKeepsExistingFiles) {
    writeFile(m_dir, "graphic", archive({{"a.txt", "member a"}, {"b.txt", "member b"}}));
    // A folder shared by everyone, where another user planted a link and left a set-user-ID
    // file of the member's name.
    const QString shared = path("shared");
    ASSERT_TRUE(QDir().mkdir(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QString victim = writeFile(m_dir, "victim", "victim's own");
    ASSERT_TRUE(QFile::link(victim, shared + "/a.txt"));
    if (::geteuid() == 0) {
        ASSERT_EQ(::lchown(QFile::encodeName(shared + "/a.txt").constData(), kNobody, kNobody), 0);
    }
    writeFile(m_dir, "shared/b.txt", "already here");
    ASSERT_EQ(::chmod(QFile::encodeName(shared + "/b.txt").constData(), 04755), 0);

    const ToolRun kept = runTool({"extract", m_archivePath, shared});
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_EQ(kept.out, "");
    EXPECT_NE(kept.err.find("not extracted: \"a.txt\" exists"), std::string::npos) << kept.err;
    EXPECT_NE(kept.err.find("not extracted: \"b.txt\" exists"), std::string::npos) << kept.err;
    EXPECT_EQ(readFile(victim), "victim's own");
    EXPECT_TRUE(QFileInfo(shared + "/a.txt").isSymLink());
    EXPECT_EQ(readFile(shared + "/b.txt"), "already here");

    const ToolRun replaced = runTool({"extract", "--overwrite", m_archivePath, shared});
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(readFile(victim), "victim's own");
    EXPECT_FALSE(QFileInfo(shared + "/a.txt").isSymLink());
    EXPECT_EQ(readFile(shared + "/a.txt"), "member a");
    EXPECT_EQ(readFile(shared + "/b.txt"), "member b");
    EXPECT_EQ(statOf(shared + "/b.txt").st_mode & 07000, 0u);
    EXPECT_EQ(folderEntries(shared), (QStringList{"a.txt", "b.txt"}));
}

TEST_F(ArchiveToolSafetyTest, ExtractRefusesATargetFolderThatIsALink) {
    writeFile(m_dir, "graphic", archive({{"a.txt", "member a"}}));
    ASSERT_TRUE(QDir().mkdir(path("elsewhere")));
    ASSERT_TRUE(QFile::link(path("elsewhere"), path("out")));
    const ToolRun run = runTool({"extract", m_archivePath, path("out")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("it is a link"), std::string::npos) << run.err;
    EXPECT_TRUE(folderEntries(path("elsewhere")).isEmpty());
}

// The temporary name of a member must not grow with the member's name past the 255 bytes a
// file name may have.
TEST_F(ArchiveToolSafetyTest, MembersWithTheLongestNamesAreExtracted) {
    const std::string names[] = {std::string(242, 'm'), std::string(250, 'n') + ".png",
                                 std::string(255, 'o')};
    writeFile(m_dir, "graphic", archive({{names[0], "0"}, {names[1], "1"}, {names[2], "2"}}));
    const ToolRun run = runTool({"extract", m_archivePath, path("out")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(readFile(path("out/" + QString::fromStdString(names[i]))), std::to_string(i));
}

// A member of 1 GiB is copied piece by piece: neither the tool's memory nor the disk pays for
// its holes.
TEST_F(ArchiveToolSafetyTest, AHugeSparseMemberIsStreamed) {
    constexpr std::int64_t kGiB = std::int64_t{1} << 30;
    {
        tallix::archive::ArchiveWriter writer(m_archivePath);
        writer.beginMember("big", kGiB);
        const std::string zeros(1 << 20, '\0');
        for (std::int64_t written = 0; written < kGiB; written += zeros.size())
            writer.writeData(zeros);
        writer.addMember("after", "end");
        writer.commit();
    }
    EXPECT_LT(statOf(m_archivePath).st_blocks * 512, 64 << 20);
    const ToolRun run = runTool({"extract", m_archivePath, path("out")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    rusage children{};
    ::getrusage(RUSAGE_CHILDREN, &children);
    EXPECT_LT(children.ru_maxrss, 100 * 1024) << "kilobytes at most";
    const struct stat big = statOf(path("out/big"));
    EXPECT_EQ(big.st_size, kGiB);
    EXPECT_LT(big.st_blocks * 512, 64 << 20);
    EXPECT_EQ(readFile(path("out/after")), "end");
}

// Each duplicate once took a search from number 2 upwards, and each new member a search for the
// highest number: 40,000 members of one name ran for more than 30 s before anything was written.
TEST(ArchiveToolNaming, ManyMembersOfOneNameAreNumberedInLinearTime) {
    constexpr int kMembers = 40000;
    QTemporaryDir dir;
    QElapsedTimer timer;
    timer.start();
    tallix::archive::ArchiveWriter writer(dir.filePath("graphic"));
    for (int i = 0; i < kMembers; ++i)
        writer.addMember("a.png", "x");
    writer.commit();
    const std::vector<std::string> targets =
        tallix::archive::tool::extractedFileNames(std::vector<std::string>(kMembers, "a.png"));
    EXPECT_LT(timer.elapsed(), 5000) << "milliseconds, on a busy machine";
    EXPECT_EQ(writer.files().GetEntryID(kMembers - 1), kMembers);
    ASSERT_EQ(targets.size(), std::size_t{kMembers});
    EXPECT_EQ(targets[1], "a~2.png");
    EXPECT_EQ(targets.back(), "a~40000.png");
}

// Two names that differ only in characters that do not show must not look the same.
TEST_F(ArchiveToolSafetyTest, ListEscapesCharactersThatDoNotShow) {
    writeFile(m_dir, "graphic",
              archive({{"ab", "1"},
                       {"a\u202Eb", "2"},
                       {"a\u200Bb", "3"},
                       {"a\u0085b", "4"},
                       {"a\tb\n", "5"},
                       {"e\u0301.png", "6"},
                       {"\u00E9\u65E5\u672C\u3000.png", "7"}}));
    const ToolRun run = runTool({"list", m_archivePath});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "1\t1\tab\n"
                       "2\t1\ta\\u202Eb\n"
                       "3\t1\ta\\u200Bb\n"
                       "4\t1\ta\\u0085b\n"
                       "5\t1\ta\\x09b\\x0A\n"
                       "6\t1\te\\u0301.png\n"
                       "7\t1\t\u00E9\u65E5\u672C\u3000.png\n");
}

TEST_F(ArchiveToolSafetyTest, AddTakesOnlyRegularFilesWithNamesExtractCanUse) {
    const QString fifo = path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString fine = writeFile(m_dir, "fine", "fine");
    for (const QString& refused : {fifo, QString("/dev/zero"), writeFile(m_dir, "a\\b", "x"),
                                   writeFile(m_dir, "c:d", "x")}) {
        const ToolRun run = runTool({"add", m_archivePath, fine, refused});
        EXPECT_EQ(run.exitCode, 1) << refused.toStdString();
        EXPECT_FALSE(QFile::exists(m_archivePath)) << refused.toStdString();
    }
    EXPECT_NE(runTool({"add", m_archivePath, fifo}).err.find("not a regular file"),
              std::string::npos);
}

// An archive that belongs to root, such as the one installed beside the program, can be listed
// and extracted by anyone who may read it, even while a running program holds it.
TEST_F(ArchiveToolSafetyTest, ReadingCommandsNeedOnlyTheRightToRead) {
    if (::geteuid() != 0 || QProcess::execute("runuser", {"-u", "nobody", "--", "true"}) != 0)
        GTEST_SKIP() << "needs root and runuser";
    writeFile(m_dir, "graphic", archive({{"a.txt", "member a"}}));
    ASSERT_EQ(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(m_archivePath).constData(), 0644), 0);
    ASSERT_TRUE(QDir().mkdir(path("out")));
    ASSERT_EQ(::chown(QFile::encodeName(path("out")).constData(), kNobody, kNobody), 0);
    const tallix::archive::TArchiveStream holder(m_archivePath);
    QProcess tool;
    const auto run = [&](const QStringList& arguments) {
        tool.start("runuser", QStringList{"-u", "nobody", "--", TALLIX_ARCHIVE_TOOL} + arguments);
        EXPECT_TRUE(tool.waitForFinished(30000));
        return tool.exitCode();
    };
    EXPECT_EQ(run({"list", m_archivePath}), 0) << tool.readAllStandardError().toStdString();
    EXPECT_EQ(run({"extract", m_archivePath, path("out")}), 0)
        << tool.readAllStandardError().toStdString();
    EXPECT_EQ(readFile(path("out/a.txt")), "member a");
}

} // namespace
