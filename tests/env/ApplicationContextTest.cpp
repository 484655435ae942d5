#include "EnvFixture.h"
#include "env/kstrGlobal.h"

#include <QDir>
#include <QFile>

using namespace tallix;

namespace {

class ApplicationContext : public EnvFixture {};

TEST_F(ApplicationContext, IdentityComesFromTheExecutableAndTheCompiledInStrings) {
    TkstrGlobal global;
    EXPECT_EQ(global.GetExeDir(), exeDir());
    EXPECT_EQ(global.GetExePath(), exeDir() + "/");
    EXPECT_EQ(global.GetExeName(), "tallix");
    EXPECT_EQ(global.GetCompanyName(), "Kestrow");
    EXPECT_EQ(global.GetProductName(), "Tallix");
    EXPECT_EQ(global.GetInternalName(), "tallix");
    EXPECT_EQ(global.GetFileVersion(), "0.5.0.7");
    EXPECT_GT(global.GetWinMajorVersion(), 0);
}

TEST_F(ApplicationContext, WithoutOverrideTheRunningBinaryIsTheExecutable) {
    unsetEnv("TALLIX_EXE_FILE");
    TkstrGlobal global;
    EXPECT_EQ(global.GetExeName(), "tallix_env_tests");
    EXPECT_TRUE(exists(global.GetExePath() + global.GetExeName()));
    EXPECT_EQ(global.GetExeDir() + "/", global.GetExePath());
}

TEST_F(ApplicationContext, ExePathEndsWithExactlyOneSeparatorAlsoAtTheRoot) {
    setEnv("TALLIX_EXE_FILE", exeDir() + "//tallix");
    TkstrGlobal nested;
    EXPECT_EQ(nested.GetExePath(), exeDir() + "/");
    EXPECT_EQ(nested.GetExeDir(), exeDir());

    setEnv("TALLIX_EXE_FILE", "/tallix");
    TkstrGlobal atRoot;
    EXPECT_EQ(atRoot.GetExePath(), "/");
    EXPECT_EQ(atRoot.GetExeDir(), "/");
    EXPECT_EQ(atRoot.GetExeName(), "tallix");
}

TEST_F(ApplicationContext, WithoutVersionInformationTheNamesAreUnknown) {
    setEnv("TALLIX_NO_VERSION_INFO", "1");
    setEnv("TALLIX_EXE_FILE", root() + "/missing/tallix"); // not writable: application data
    TkstrGlobal global;
    EXPECT_EQ(global.GetCompanyName(), "unknown");
    EXPECT_EQ(global.GetProductName(), "unknown");
    EXPECT_EQ(global.GetInternalName(), "unknown");
    EXPECT_EQ(global.GetFileVersion(), "");
    EXPECT_EQ(global.GetExeName(), "tallix");
    EXPECT_EQ(global.GetDataFolder(), root() + "/share/unknown/unknown");
    EXPECT_TRUE(isDir(root() + "/share/unknown/unknown"));
}

TEST_F(ApplicationContext, RecordedAppDirInAnotherCaseIsAnotherFolder) {
    writeInstallationRecord(exeDir().toUpper());
    TkstrGlobal global;
    EXPECT_EQ(global.GetDataFolder(), exeDir() + "/Data");
    EXPECT_FALSE(exists(appDataFolder()));

    writeInstallationRecord(exeDir());
    TkstrGlobal installed;
    EXPECT_EQ(installed.GetDataPath(), appDataFolder() + "/");
    EXPECT_TRUE(isDir(appDataFolder()));
}

TEST_F(ApplicationContext, RecordedAppDirWithTrailingSeparatorNeverMatches) {
    writeInstallationRecord(exeDir() + "/");
    TkstrGlobal global;
    EXPECT_EQ(global.GetDataFolder(), exeDir() + "/Data");
    EXPECT_TRUE(isDir(exeDir() + "/Data"));
    EXPECT_FALSE(exists(appDataFolder()));
}

// An installation through a symbolic link (a prefix in a linked home, say) is still the
// installation, whichever side names the link.
TEST_F(ApplicationContext, RecordedAppDirAndExeFolderCompareWithLinksResolved) {
    ASSERT_TRUE(QFile::link(exeDir(), root() + "/linked"));
    writeInstallationRecord(root() + "/linked");
    TkstrGlobal recordThroughLink;
    EXPECT_EQ(recordThroughLink.GetDataFolder(), appDataFolder());

    writeInstallationRecord(exeDir());
    setEnv("TALLIX_EXE_FILE", root() + "/linked/tallix");
    TkstrGlobal runThroughLink;
    EXPECT_EQ(runThroughLink.GetExeDir(), exeDir());
    EXPECT_EQ(runThroughLink.GetDataFolder(), appDataFolder());
    EXPECT_FALSE(exists(exeDir() + "/Data"));
}

TEST_F(ApplicationContext, NoRecordAndWritableExeFolderKeepsDataBesideTheProgram) {
    TkstrGlobal global;
    EXPECT_EQ(global.GetDataFolder(), exeDir() + "/Data");
    EXPECT_EQ(global.GetDataPath(), exeDir() + "/Data/");
    EXPECT_TRUE(isDir(exeDir() + "/Data"));
    EXPECT_EQ(QDir(exeDir()).entryList(QDir::Files).size(), 0) << "write test left a file";
}

TEST_F(ApplicationContext, UnwritableExeFolderUsesApplicationDataCreatedWithParents) {
    setEnv("TALLIX_EXE_FILE", root() + "/read-only-medium/tallix");
    ASSERT_FALSE(exists(root() + "/share"));
    TkstrGlobal global;
    EXPECT_EQ(global.GetDataFolder(), appDataFolder());
    EXPECT_TRUE(isDir(appDataFolder()));
}

TEST_F(ApplicationContext, ExeFolderWithAllWriteTestNamesTakenCountsAsUnwritable) {
    for (int n = 0; n < 1000; ++n)
        writeFile(exeDir() + QString("/WriteTest%1.tmp").arg(n), "kept");
    TkstrGlobal global;
    EXPECT_FALSE(global.IsExeFolderWritable());
    EXPECT_EQ(global.GetDataFolder(), appDataFolder());
    EXPECT_EQ(readFile(exeDir() + "/WriteTest999.tmp"), "kept");

    QFile::remove(exeDir() + "/WriteTest999.tmp");
    EXPECT_TRUE(global.IsExeFolderWritable());
    EXPECT_FALSE(exists(exeDir() + "/WriteTest999.tmp"));
}

TEST_F(ApplicationContext, WriteTestSkipsTakenNamesAndLeavesThemAlone) {
    writeFile(exeDir() + "/WriteTest0.tmp", "zero");
    writeFile(exeDir() + "/WriteTest1.tmp", "one");
    TkstrGlobal global;
    EXPECT_TRUE(global.IsWritableFolder(exeDir() + "/"));
    EXPECT_EQ(readFile(exeDir() + "/WriteTest0.tmp"), "zero");
    EXPECT_EQ(readFile(exeDir() + "/WriteTest1.tmp"), "one");
    EXPECT_FALSE(exists(exeDir() + "/WriteTest2.tmp"));
    EXPECT_EQ(QDir(exeDir()).entryList(QDir::Files).size(), 2);
}

TEST_F(ApplicationContext, WriteTestOfSomethingThatIsNoFolderFails) {
    writeFile(root() + "/plain-file", "x");
    TkstrGlobal global;
    EXPECT_FALSE(global.IsWritableFolder(root() + "/no-such-folder/"));
    EXPECT_FALSE(global.IsWritableFolder(root() + "/plain-file/"));
    EXPECT_FALSE(global.IsWritableFolder(""));
}

TEST_F(ApplicationContext, PerUserDataPathMovesTheDataFolderAtConstruction) {
    const QString moved = root() + "/elsewhere/my data";
    writeUserStore("[DATA]\nPATH=" + moved.toUtf8() + "/\n");
    TkstrGlobal global;
    EXPECT_TRUE(isDir(moved)) << "created at construction, before anyone asks";
    EXPECT_EQ(global.GetDataFolder(), moved);
    EXPECT_EQ(global.GetDataPath(), moved + "/");
    EXPECT_TRUE(global.HasUserRegistryKey());
    EXPECT_FALSE(exists(exeDir() + "/Data"));
}

TEST_F(ApplicationContext, EmptyPerUserDataPathBehavesAsIfThereWereNone) {
    writeUserStore("[DATA]\nPATH=\n");
    TkstrGlobal global;
    EXPECT_TRUE(global.HasUserRegistryKey());
    EXPECT_EQ(global.GetDataFolder(), exeDir() + "/Data");
}

TEST_F(ApplicationContext, SetDataFolderRecordsTheFolderForTheNextRun) {
    const QString chosen = root() + "/chosen/a/b";
    {
        TkstrGlobal global;
        EXPECT_FALSE(global.HasUserRegistryKey());
        global.SetDataFolder(chosen);
        EXPECT_TRUE(isDir(chosen));
        EXPECT_TRUE(global.HasUserRegistryKey());
        EXPECT_EQ(global.RegReadString("data", "path", "none"), chosen);
    }
    TkstrGlobal nextRun;
    EXPECT_EQ(nextRun.GetDataFolder(), chosen);
    EXPECT_EQ(readFile(userStoreFile()), "[DATA]\nPATH=" + chosen.toUtf8() + "\n");
}

TEST_F(ApplicationContext, SetDataFolderEmptyLeavesTheDefaultRuleToDecide) {
    TkstrGlobal global;
    global.SetDataFolder(root() + "/first");
    EXPECT_EQ(global.GetDataFolder(), root() + "/first");
    global.SetDataFolder("");
    EXPECT_EQ(global.GetDataFolder(), exeDir() + "/Data");
}

TEST_F(ApplicationContext, RegistryStoreReadsDefaultsAndWritesSections) {
    TkstrGlobal global;
    EXPECT_EQ(global.RegReadString("DATA", "PATH", "def"), "def");
    EXPECT_FALSE(exists(userStoreFile())) << "a read must not create the store";
    global.RegWriteString("Options", "Colour", "blue");
    EXPECT_EQ(global.RegReadString("OPTIONS", "colour", "def"), "blue");
    EXPECT_EQ(global.RegReadString("Options", "Other", "def"), "def");
}

TEST_F(ApplicationContext, InstallationRecordComesFromTheFirstConfigDirThatHasIt) {
    TkstrGlobal global;
    EXPECT_EQ(global.GetInstalledAppDir(), "");

    setEnv("XDG_CONFIG_DIRS", root() + "/first:relative/dir:" + root() + "/second");
    writeFile(root() + "/second/kestrow/tallix.ini", "AppDir=/opt/second\n");
    EXPECT_EQ(global.GetInstalledAppDir(), "/opt/second");
    writeFile(root() + "/first/kestrow/tallix.ini", "; no AppDir here\n");
    EXPECT_EQ(global.GetInstalledAppDir(), "") << "the first record found is the one that counts";
    writeFile(root() + "/first/kestrow/tallix.ini", "appdir = /opt/first\n[other]\nAppDir=x\n");
    EXPECT_EQ(global.GetInstalledAppDir(), "/opt/first");
}

TEST_F(ApplicationContext, DataFolderIsDecidedOnceAndKept) {
    TkstrGlobal global;
    const QString first = global.GetDataFolder();
    writeInstallationRecord(exeDir());
    EXPECT_EQ(global.GetDataFolder(), first);
}

TEST_F(ApplicationContext, UnitCreatesTheContextOnceAndReleasesIt) {
    ASSERT_EQ(AppGlobal, nullptr);
    {
        KstrGlobalUnit unit;
        ASSERT_NE(AppGlobal, nullptr);
        TkstrGlobal* created = AppGlobal;
        {
            KstrGlobalUnit second;
            EXPECT_EQ(AppGlobal, created);
        }
        EXPECT_EQ(AppGlobal, nullptr) << "the unit's shutdown releases the context";
    }
    EXPECT_EQ(AppGlobal, nullptr);
}

} // namespace
