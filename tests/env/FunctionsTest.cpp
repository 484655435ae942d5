#include "env/Functions.h"

#include "EnvFixture.h"

#include <QFileInfo>

#include <QFile>

#include <fstream>

using namespace tallix;

namespace {

class FolderFunctions : public EnvFixture {};

TEST_F(FolderFunctions, ForceFolderCreatesMissingLevelsBelowAnExistingFolder) {
    const QString deep = root() + "/one/two/three";
    forceFolder(deep);
    EXPECT_TRUE(isDir(root() + "/one"));
    EXPECT_TRUE(isDir(root() + "/one/two"));
    EXPECT_TRUE(isDir(deep));
    // The data folder is the user's alone: others may not read the text in it.
    const QFile::Permissions others =
        QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    EXPECT_FALSE(QFileInfo(deep).permissions() & others);
    forceFolder(deep + "/"); // already there: nothing to do, nothing reported
    EXPECT_TRUE(isDir(deep));
}

TEST_F(FolderFunctions, ForceFolderStopsAtTheRootAndOnImpossiblePaths) {
    forceFolder("/");
    forceFolder("");
    forceFolder("no-parent-given");
    EXPECT_FALSE(exists("no-parent-given"));

    writeFile(root() + "/file", "x");
    forceFolder(root() + "/file/a/b");
    EXPECT_FALSE(exists(root() + "/file/a"));
    EXPECT_EQ(readFile(root() + "/file"), "x");
}

// A dropped file in a Shift-JIS-named folder: its address gives back the name that finds it,
// and forceFolder creates a folder of exactly that name.
TEST_F(FolderFunctions, AFileAddressInShiftJisNamesThatFile) {
    const QByteArray folder = QFile::encodeName(root()) + "/\x83\x66\x81\x5B\x83\x5E";
    const QUrl url(QStringLiteral("file://") + QString::fromLatin1(QFile::encodeName(root())) +
                   QStringLiteral("/%83f%81%5B%83%5E/nums.txt"));
    const QString name = localFileNameOf(url);
    forceFolder(name.left(name.lastIndexOf(QLatin1Char('/'))));
    std::ofstream((folder + "/nums.txt").constData()) << "1";
    EXPECT_TRUE(isRegularFile(name));
    EXPECT_FALSE(
        isRegularFile(QUrl::fromLocalFile(QFile::decodeName(folder + "/nums.txt")).toLocalFile()));
    EXPECT_TRUE(localFileNameOf(QUrl(QStringLiteral("https://example.com/x"))).isEmpty());
}

TEST_F(FolderFunctions, StripTrailingBackslashesRemovesEverySeparatorAtTheEnd) {
    EXPECT_EQ(stripTrailingBackslashes("/a/b//"), "/a/b");
    EXPECT_EQ(stripTrailingBackslashes("/a/b/"), "/a/b");
    EXPECT_EQ(stripTrailingBackslashes("/a/b"), "/a/b");
    EXPECT_EQ(stripTrailingBackslashes(""), "");
    EXPECT_EQ(stripTrailingBackslashes("/"), "/");
    EXPECT_EQ(stripTrailingBackslashes("///"), "/");
}

TEST_F(FolderFunctions, ApplicationDataFolderFollowsXdgDataHome) {
    EXPECT_EQ(getSpecialFolder(kCsidlAppData), root() + "/share");
    setEnv("XDG_DATA_HOME", root() + "/other/");
    EXPECT_EQ(getSpecialFolder(kCsidlAppData), root() + "/other");
    setEnv("XDG_DATA_HOME", "relative/share"); // not absolute: ignored
    EXPECT_EQ(getSpecialFolder(kCsidlAppData), root() + "/home/.local/share");
    unsetEnv("XDG_DATA_HOME");
    EXPECT_EQ(getSpecialFolder(kCsidlAppData), root() + "/home/.local/share");
}

TEST_F(FolderFunctions, UnknownOrEmptyFoldersFallBackToTheDesktop) {
    EXPECT_EQ(getSpecialFolder(5), root() + "/home/Desktop");
    setEnv("XDG_DESKTOP_DIR", root() + "/desk");
    EXPECT_EQ(getSpecialFolder(5), root() + "/desk");
    unsetEnv("XDG_DATA_HOME");
    unsetEnv("HOME");
    EXPECT_EQ(getSpecialFolder(kCsidlAppData), root() + "/desk");
    unsetEnv("XDG_DESKTOP_DIR");
    EXPECT_EQ(getSpecialFolder(kCsidlAppData), "");
}

} // namespace
