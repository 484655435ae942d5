#include "ArchiveBytes.h"
#include "archive/ArchiveWriter.h"
#include "archive/ClassArchiveStream.h"
#include "platform/AtomicFile.h"
#include "platform/NativeFileNames.h"

#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace archive_bytes;

namespace {

struct ToolRun {
    int exitCode;
    std::string out;
    std::string err;
};

ToolRun runTool(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral(TALLIX_ARCHIVE_TOOL), arguments);
    EXPECT_TRUE(tool.waitForFinished(30000));
    return {tool.exitCode(), tool.readAllStandardOutput().toStdString(),
            tool.readAllStandardError().toStdString()};
}

class ArchiveToolTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    QString m_archivePath = m_dir.filePath("graphic");
};

} // namespace

TEST_F(ArchiveToolTest, BadArgumentsPrintUsage) {
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"list"}, QStringList{"add", m_archivePath},
          QStringList{"remove", m_archivePath, "x"}}) {
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find("usage: tallix-archive"), std::string::npos);
    }
}

TEST_F(ArchiveToolTest, AddsListsAndExtractsMembers) {
    const std::string picture("\x89PNG\r\n\x1A\n\0binary", 16);
    const QString first = writeFile(m_dir, "title.png", picture);
    const QString second = writeFile(m_dir, "icon.bmp", "BM icon");
    EXPECT_EQ(runTool({"add", m_archivePath, first, second}).exitCode, 0);

    const QString newer = writeFile(m_dir, "icon.bmp", "BM newer icon");
    const ToolRun replaced = runTool({"add", m_archivePath, newer});
    EXPECT_EQ(replaced.exitCode, 0);
    EXPECT_EQ(replaced.out, "replaced icon.bmp\n");

    const ToolRun listed = runTool({"list", m_archivePath});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, "1\t16\ttitle.png\n2\t13\ticon.bmp\n");

    const QString out = m_dir.filePath("out");
    EXPECT_EQ(runTool({"extract", m_archivePath, out}).exitCode, 0);
    EXPECT_EQ(readFile(out + "/title.png"), picture);
    EXPECT_EQ(readFile(out + "/icon.bmp"), "BM newer icon");
}

TEST_F(ArchiveToolTest, ErrorsExitWithTheirMessage) {
    writeFile(m_dir, "graphic", "FARXnot an archive");
    const ToolRun damaged = runTool({"list", m_archivePath});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_NE(damaged.err.find("[Reload]ファイルが不正[FARX]です"), std::string::npos);

    writeFile(m_dir, "graphic", archive({{"m", "data"}}));
    const ToolRun missing = runTool({"extract", m_archivePath, m_dir.filePath("out"), "other"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no member named \"other\""), std::string::npos);

    tallix::archive::TArchiveStream holder(m_archivePath);
    const ToolRun locked = runTool({"add", m_archivePath, writeFile(m_dir, "x", "x")});
    EXPECT_EQ(locked.exitCode, 1);
    EXPECT_NE(locked.err.find("を開けません"), std::string::npos);
}

TEST_F(ArchiveToolTest, ExtractRefusesNamesThatLeaveTheFolder) {
    writeFile(m_dir, "graphic", archive({{"fine", "1"}, {"../escape", "2"}}));
    const ToolRun run = runTool({"extract", m_archivePath, m_dir.filePath("out")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(QFile::exists(m_dir.filePath("escape")));
    EXPECT_FALSE(QFile::exists(m_dir.filePath("out/fine")));
}

TEST_F(ArchiveToolTest, ExtractNumbersMembersWhoseNameIsTakenAndFailsToSaySo) {
    writeFile(m_dir, "graphic",
              archive({{"a.png", "first"}, {"a~2.png", "own"}, {"a.png", "second"}, {"b", "b"}}));
    const QString out = m_dir.filePath("out");
    const ToolRun run = runTool({"extract", m_archivePath, out});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "extracted a.png\nextracted a~2.png\nextracted a.png as a~3.png\n"
                       "extracted b\n");
    EXPECT_NE(run.err.find("1 member(s) share a name"), std::string::npos);
    EXPECT_EQ(readFile(out + "/a.png"), "first");
    EXPECT_EQ(readFile(out + "/a~2.png"), "own");
    EXPECT_EQ(readFile(out + "/a~3.png"), "second");

    const ToolRun named = runTool({"extract", m_archivePath, m_dir.filePath("named"), "a.png"});
    EXPECT_EQ(named.exitCode, 1);
    EXPECT_EQ(readFile(m_dir.filePath("named/a~2.png")), "second");
}

// Archives made on Windows hold Shift-JIS names, which are not text on a UTF-8 system. Both
// names below end in the byte 0x5C, which in Shift-JIS is part of the character, not a
// backslash; decoded lossily they would become the same name.
TEST_F(ArchiveToolTest, NamesThatAreNotSystemTextSurviveAddAndExtractByteForByte) {
    const std::string names[] = {"\x95\x5C.png", "\x96\x5C.png"};
    for (const std::string& name : names)
        tallix::platform::writeFileAtomically(
            m_dir.filePath(tallix::platform::fileNameFromBytes(QByteArray::fromStdString(name))),
            QByteArray::fromStdString("data of " + name), nullptr);
    // Passed through the shell, since Qt would re-encode the arguments.
    QProcess shell;
    shell.setWorkingDirectory(m_dir.path());
    shell.start("sh", {"-c",
                       "\"$0\" add graphic \"$(printf '\\225\\134.png')\" "
                       "\"$(printf '\\226\\134.png')\" && mkdir out && cd out && "
                       "\"$0\" extract ../graphic .",
                       QStringLiteral(TALLIX_ARCHIVE_TOOL)});
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();

    {
        const tallix::archive::TArchiveStream stored(m_archivePath);
        ASSERT_EQ(stored.Files().Count(), 2);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(stored.Files().Strings(i), names[i]);
            QByteArray extracted;
            const QString path =
                m_dir.path() + "/out/" +
                tallix::platform::fileNameFromBytes(QByteArray::fromStdString(names[i]));
            EXPECT_TRUE(tallix::platform::readWholeFile(path, extracted, nullptr));
            EXPECT_EQ(extracted.toStdString(), "data of " + names[i]);
        }
    }
    EXPECT_EQ(runTool({"list", m_archivePath}).out,
              "1\t14\t\\x95\\x5C.png\n2\t14\t\\x96\\x5C.png\n");
    // QTemporaryDir cannot remove such names either.
    QProcess::execute("sh", {"-c", "rm -r -- \"$0\"/out \"$0\"/*.png", m_dir.path()});
}

TEST_F(ArchiveToolTest, ReadingCommandsRefuseAnEmptyFileAndLeaveItEmpty) {
    writeFile(m_dir, "graphic", "");
    for (const QStringList& arguments : {QStringList{"list", m_archivePath},
                                         QStringList{"extract", m_archivePath, m_dir.path()}}) {
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("is not an archive (the file is empty)"), std::string::npos);
        EXPECT_EQ(QFileInfo(m_archivePath).size(), 0);
    }
}
