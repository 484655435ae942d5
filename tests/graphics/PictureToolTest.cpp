#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString errors;
};

ToolRun runTool(const QStringList& arguments) {
    QProcess tool;
    tool.start(TALLIX_PICTURE_TOOL, arguments);
    EXPECT_TRUE(tool.waitForFinished(30000));
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardError())};
}

QString suiteFile(const char* name) {
    return qEnvironmentVariable("TALLIX_TEST_DATA_DIR") + "/pngsuite/png/" + name;
}

TEST(PictureTool, WritesTheLoadedPictureAsPam) {
    QTemporaryDir folder;
    const QString out = folder.filePath("out.pam");
    const ToolRun run = runTool({suiteFile("basn6a08.png"), out});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    QFile pam(out);
    ASSERT_TRUE(pam.open(QIODevice::ReadOnly));
    const QByteArray bytes = pam.readAll();
    const QByteArray header =
        "P7\nWIDTH 32\nHEIGHT 32\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    ASSERT_TRUE(bytes.startsWith(header));
    EXPECT_EQ(bytes.size(), header.size() + 32 * 32 * 4);
    // basn6a08 starts with red 255, green 0, blue 8, alpha 0 in its top-left corner.
    EXPECT_EQ(bytes.mid(header.size(), 4), QByteArray("\xff\x00\x08\x00", 4));
}

TEST(PictureTool, PrintsTheDecodersRefusalAndFails) {
    QTemporaryDir folder;
    const ToolRun run = runTool({suiteFile("basi0g16.png"), folder.filePath("out.pam")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QString::fromUtf8("16bit色深度には対応していません")))
        << run.errors.toStdString();
    EXPECT_FALSE(QFile::exists(folder.filePath("out.pam")));
}

TEST(PictureTool, ReportsFilesItCannotUse) {
    QTemporaryDir folder;
    QFile gif(folder.filePath("picture.gif"));
    ASSERT_TRUE(gif.open(QIODevice::WriteOnly));
    gif.write("GIF89a");
    gif.close();
    EXPECT_EQ(runTool({gif.fileName(), folder.filePath("a.pam")}).exitCode, 1);
    EXPECT_EQ(runTool({folder.filePath("missing.png"), folder.filePath("b.pam")}).exitCode, 1);
    EXPECT_EQ(runTool({gif.fileName()}).exitCode, 2);
}

// In a folder everyone may write, a link another user planted under the output's name must not
// lead the picture into a file of theirs.
TEST(PictureTool, DoesNotWriteThroughALinkAnotherUserPlanted) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "planting another user's link needs root";
    QTemporaryDir folder;
    const QString shared = folder.filePath("shared");
    ASSERT_TRUE(QDir().mkdir(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QString victim = folder.filePath("victim");
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("victim's own");
    file.close();
    const QString planted = shared + "/out.pam";
    ASSERT_TRUE(QFile::link(victim, planted));
    ASSERT_EQ(::lchown(QFile::encodeName(planted).constData(), 65534, 65534), 0);

    EXPECT_EQ(runTool({suiteFile("basn6a08.png"), planted}).exitCode, 1);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("victim's own"));
    EXPECT_TRUE(QFileInfo(planted).isSymLink());
}

} // namespace
