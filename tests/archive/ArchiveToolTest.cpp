#include "ArchiveBytes.h"

#include "ArchiveWriter.h"
#include "ClassArchiveStream.h"

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
    QTemporaryDir dir;
    QString archivePath = dir.filePath("graphic");
};

} // namespace

TEST_F(ArchiveToolTest, BadArgumentsPrintUsage) {
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"list"}, QStringList{"add", archivePath},
          QStringList{"remove", archivePath, "x"}}) {
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find("usage: tallix-archive"), std::string::npos);
    }
}

TEST_F(ArchiveToolTest, AddsListsAndExtractsMembers) {
    const std::string picture("\x89PNG\r\n\x1A\n\0binary", 16);
    const QString first = writeFile(dir, "title.png", picture);
    const QString second = writeFile(dir, "icon.bmp", "BM icon");
    EXPECT_EQ(runTool({"add", archivePath, first, second}).exitCode, 0);

    const QString newer = writeFile(dir, "icon.bmp", "BM newer icon");
    const ToolRun replaced = runTool({"add", archivePath, newer});
    EXPECT_EQ(replaced.exitCode, 0);
    EXPECT_EQ(replaced.out, "replaced icon.bmp\n");

    const ToolRun listed = runTool({"list", archivePath});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, "1\t16\ttitle.png\n2\t13\ticon.bmp\n");

    const QString out = dir.filePath("out");
    EXPECT_EQ(runTool({"extract", archivePath, out}).exitCode, 0);
    EXPECT_EQ(readFile(out + "/title.png"), picture);
    EXPECT_EQ(readFile(out + "/icon.bmp"), "BM newer icon");
}

TEST_F(ArchiveToolTest, ErrorsExitWithTheirMessage) {
    writeFile(dir, "graphic", "FARXnot an archive");
    const ToolRun damaged = runTool({"list", archivePath});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_NE(damaged.err.find("[Reload]ファイルが不正[FARX]です"), std::string::npos);

    writeFile(dir, "graphic", archive({{"m", "data"}}));
    const ToolRun missing = runTool({"extract", archivePath, dir.filePath("out"), "other"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no member named \"other\""), std::string::npos);

    tallix::archive::TArchiveStream holder(archivePath);
    const ToolRun locked = runTool({"add", archivePath, writeFile(dir, "x", "x")});
    EXPECT_EQ(locked.exitCode, 1);
    EXPECT_NE(locked.err.find("を開けません"), std::string::npos);
}

TEST_F(ArchiveToolTest, ExtractRefusesNamesThatLeaveTheFolder) {
    writeFile(dir, "graphic", archive({{"fine", "1"}, {"../escape", "2"}}));
    const ToolRun run = runTool({"extract", archivePath, dir.filePath("out")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("escape")));
    EXPECT_FALSE(QFile::exists(dir.filePath("out/fine")));
}
