#include "env/Functions.h"

#include "EnvFixture.h"

namespace {

class FolderFunctions : public EnvFixture {};

TEST_F(FolderFunctions, ForceFolderCreatesMissingLevelsBelowAnExistingFolder) {
    const QString deep = Root() + "/one/two/three";
    forceFolder(deep);
    EXPECT_TRUE(IsDir(Root() + "/one"));
    EXPECT_TRUE(IsDir(Root() + "/one/two"));
    EXPECT_TRUE(IsDir(deep));
    forceFolder(deep + "/"); // already there: nothing to do, nothing reported
    EXPECT_TRUE(IsDir(deep));
}

TEST_F(FolderFunctions, ForceFolderStopsAtTheRootAndOnImpossiblePaths) {
    forceFolder("/");
    forceFolder("");
    forceFolder("no-parent-given");
    EXPECT_FALSE(Exists("no-parent-given"));

    writeFile(Root() + "/file", "x");
    forceFolder(Root() + "/file/a/b");
    EXPECT_FALSE(Exists(Root() + "/file/a"));
    EXPECT_EQ(readFile(Root() + "/file"), "x");
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
    EXPECT_EQ(getSpecialFolder(kCsidlAppData), Root() + "/share");
    SetEnv("XDG_DATA_HOME", Root() + "/other/");
    EXPECT_EQ(getSpecialFolder(kCsidlAppData), Root() + "/other");
    SetEnv("XDG_DATA_HOME", "relative/share"); // not absolute: ignored
    EXPECT_EQ(getSpecialFolder(kCsidlAppData), Root() + "/home/.local/share");
    UnsetEnv("XDG_DATA_HOME");
    EXPECT_EQ(getSpecialFolder(kCsidlAppData), Root() + "/home/.local/share");
}

TEST_F(FolderFunctions, UnknownOrEmptyFoldersFallBackToTheDesktop) {
    EXPECT_EQ(getSpecialFolder(5), Root() + "/home/Desktop");
    SetEnv("XDG_DESKTOP_DIR", Root() + "/desk");
    EXPECT_EQ(getSpecialFolder(5), Root() + "/desk");
    UnsetEnv("XDG_DATA_HOME");
    UnsetEnv("HOME");
    EXPECT_EQ(getSpecialFolder(kCsidlAppData), Root() + "/desk");
    UnsetEnv("XDG_DESKTOP_DIR");
    EXPECT_EQ(getSpecialFolder(kCsidlAppData), "");
}

} // namespace
