#include "env/Functions.h"

#include "EnvFixture.h"

namespace {

class FolderFunctions : public EnvFixture {};

TEST_F(FolderFunctions, ForceFolderCreatesMissingLevelsBelowAnExistingFolder) {
    const QString deep = Root() + "/one/two/three";
    ForceFolder(deep);
    EXPECT_TRUE(IsDir(Root() + "/one"));
    EXPECT_TRUE(IsDir(Root() + "/one/two"));
    EXPECT_TRUE(IsDir(deep));
    ForceFolder(deep + "/"); // already there: nothing to do, nothing reported
    EXPECT_TRUE(IsDir(deep));
}

TEST_F(FolderFunctions, ForceFolderStopsAtTheRootAndOnImpossiblePaths) {
    ForceFolder("/");
    ForceFolder("");
    ForceFolder("no-parent-given");
    EXPECT_FALSE(Exists("no-parent-given"));

    WriteFile(Root() + "/file", "x");
    ForceFolder(Root() + "/file/a/b");
    EXPECT_FALSE(Exists(Root() + "/file/a"));
    EXPECT_EQ(ReadFile(Root() + "/file"), "x");
}

TEST_F(FolderFunctions, StripTrailingBackslashesRemovesEverySeparatorAtTheEnd) {
    EXPECT_EQ(StripTrailingBackslashes("/a/b//"), "/a/b");
    EXPECT_EQ(StripTrailingBackslashes("/a/b/"), "/a/b");
    EXPECT_EQ(StripTrailingBackslashes("/a/b"), "/a/b");
    EXPECT_EQ(StripTrailingBackslashes(""), "");
    EXPECT_EQ(StripTrailingBackslashes("/"), "/");
    EXPECT_EQ(StripTrailingBackslashes("///"), "/");
}

TEST_F(FolderFunctions, ApplicationDataFolderFollowsXdgDataHome) {
    EXPECT_EQ(GetSpecialFolder(kCsidlAppData), Root() + "/share");
    SetEnv("XDG_DATA_HOME", Root() + "/other/");
    EXPECT_EQ(GetSpecialFolder(kCsidlAppData), Root() + "/other");
    SetEnv("XDG_DATA_HOME", "relative/share"); // not absolute: ignored
    EXPECT_EQ(GetSpecialFolder(kCsidlAppData), Root() + "/home/.local/share");
    UnsetEnv("XDG_DATA_HOME");
    EXPECT_EQ(GetSpecialFolder(kCsidlAppData), Root() + "/home/.local/share");
}

TEST_F(FolderFunctions, UnknownOrEmptyFoldersFallBackToTheDesktop) {
    EXPECT_EQ(GetSpecialFolder(5), Root() + "/home/Desktop");
    SetEnv("XDG_DESKTOP_DIR", Root() + "/desk");
    EXPECT_EQ(GetSpecialFolder(5), Root() + "/desk");
    UnsetEnv("XDG_DATA_HOME");
    UnsetEnv("HOME");
    EXPECT_EQ(GetSpecialFolder(kCsidlAppData), Root() + "/desk");
    UnsetEnv("XDG_DESKTOP_DIR");
    EXPECT_EQ(GetSpecialFolder(kCsidlAppData), "");
}

} // namespace
