#include "EnvFixture.h"
#include "env/kstrGlobal.h"

#include <QDir>
#include <QFile>

namespace {

class ApplicationContext : public EnvFixture {};

TEST_F(ApplicationContext, IdentityComesFromTheExecutableAndTheCompiledInStrings) {
    TkstrGlobal global;
    EXPECT_EQ(global.GetExeDir(), ExeDir());
    EXPECT_EQ(global.GetExePath(), ExeDir() + "/");
    EXPECT_EQ(global.GetExeName(), "tallix");
    EXPECT_EQ(global.GetCompanyName(), "Kestrow");
    EXPECT_EQ(global.GetProductName(), "Tallix");
    EXPECT_EQ(global.GetInternalName(), "tallix");
    EXPECT_EQ(global.GetFileVersion(), "0.5.0.7");
    EXPECT_GT(global.GetWinMajorVersion(), 0);
}

TEST_F(ApplicationContext, WithoutOverrideTheRunningBinaryIsTheExecutable) {
    UnsetEnv("TALLIX_EXE_FILE");
    TkstrGlobal global;
    EXPECT_EQ(global.GetExeName(), "tallix_env_tests");
    EXPECT_TRUE(Exists(global.GetExePath() + global.GetExeName()));
    EXPECT_EQ(global.GetExeDir() + "/", global.GetExePath());
}

TEST_F(ApplicationContext, ExePathEndsWithExactlyOneSeparatorAlsoAtTheRoot) {
    SetEnv("TALLIX_EXE_FILE", ExeDir() + "//tallix");
    TkstrGlobal nested;
    EXPECT_EQ(nested.GetExePath(), ExeDir() + "/");
    EXPECT_EQ(nested.GetExeDir(), ExeDir());

    SetEnv("TALLIX_EXE_FILE", "/tallix");
    TkstrGlobal atRoot;
    EXPECT_EQ(atRoot.GetExePath(), "/");
    EXPECT_EQ(atRoot.GetExeDir(), "/");
    EXPECT_EQ(atRoot.GetExeName(), "tallix");
}

TEST_F(ApplicationContext, WithoutVersionInformationTheNamesAreUnknown) {
    SetEnv("TALLIX_NO_VERSION_INFO", "1");
    SetEnv("TALLIX_EXE_FILE", Root() + "/missing/tallix"); // not writable: application data
    TkstrGlobal global;
    EXPECT_EQ(global.GetCompanyName(), "unknown");
    EXPECT_EQ(global.GetProductName(), "unknown");
    EXPECT_EQ(global.GetInternalName(), "unknown");
    EXPECT_EQ(global.GetFileVersion(), "");
    EXPECT_EQ(global.GetExeName(), "tallix");
    EXPECT_EQ(global.GetDataFolder(), Root() + "/share/unknown/unknown");
    EXPECT_TRUE(IsDir(Root() + "/share/unknown/unknown"));
}

TEST_F(ApplicationContext, RecordedAppDirEqualExceptForCaseUsesApplicationData) {
    WriteInstallationRecord(ExeDir().toUpper());
    TkstrGlobal global;
    EXPECT_EQ(global.GetDataFolder(), AppDataFolder());
    EXPECT_EQ(global.GetDataPath(), AppDataFolder() + "/");
    EXPECT_TRUE(IsDir(AppDataFolder()));
    EXPECT_FALSE(Exists(ExeDir() + "/Data"));
}

TEST_F(ApplicationContext, RecordedAppDirWithTrailingSeparatorNeverMatches) {
    WriteInstallationRecord(ExeDir() + "/");
    TkstrGlobal global;
    EXPECT_EQ(global.GetDataFolder(), ExeDir() + "/Data");
    EXPECT_TRUE(IsDir(ExeDir() + "/Data"));
    EXPECT_FALSE(Exists(AppDataFolder()));
}

// An installation through a symbolic link (a prefix in a linked home, say) is still the
// installation, whichever side names the link.
TEST_F(ApplicationContext, RecordedAppDirAndExeFolderCompareWithLinksResolved) {
    ASSERT_TRUE(QFile::link(ExeDir(), Root() + "/linked"));
    WriteInstallationRecord(Root() + "/linked");
    TkstrGlobal recordThroughLink;
    EXPECT_EQ(recordThroughLink.GetDataFolder(), AppDataFolder());

    WriteInstallationRecord(ExeDir());
    SetEnv("TALLIX_EXE_FILE", Root() + "/linked/tallix");
    TkstrGlobal runThroughLink;
    EXPECT_EQ(runThroughLink.GetExeDir(), ExeDir());
    EXPECT_EQ(runThroughLink.GetDataFolder(), AppDataFolder());
    EXPECT_FALSE(Exists(ExeDir() + "/Data"));
}

TEST_F(ApplicationContext, NoRecordAndWritableExeFolderKeepsDataBesideTheProgram) {
    TkstrGlobal global;
    EXPECT_EQ(global.GetDataFolder(), ExeDir() + "/Data");
    EXPECT_EQ(global.GetDataPath(), ExeDir() + "/Data/");
    EXPECT_TRUE(IsDir(ExeDir() + "/Data"));
    EXPECT_EQ(QDir(ExeDir()).entryList(QDir::Files).size(), 0) << "write test left a file";
}

TEST_F(ApplicationContext, UnwritableExeFolderUsesApplicationDataCreatedWithParents) {
    SetEnv("TALLIX_EXE_FILE", Root() + "/read-only-medium/tallix");
    ASSERT_FALSE(Exists(Root() + "/share"));
    TkstrGlobal global;
    EXPECT_EQ(global.GetDataFolder(), AppDataFolder());
    EXPECT_TRUE(IsDir(AppDataFolder()));
}

TEST_F(ApplicationContext, ExeFolderWithAllWriteTestNamesTakenCountsAsUnwritable) {
    for (int n = 0; n < 1000; ++n)
        writeFile(ExeDir() + QString("/WriteTest%1.tmp").arg(n), "kept");
    TkstrGlobal global;
    EXPECT_FALSE(global.IsExeFolderWritable());
    EXPECT_EQ(global.GetDataFolder(), AppDataFolder());
    EXPECT_EQ(readFile(ExeDir() + "/WriteTest999.tmp"), "kept");

    QFile::remove(ExeDir() + "/WriteTest999.tmp");
    EXPECT_TRUE(global.IsExeFolderWritable());
    EXPECT_FALSE(Exists(ExeDir() + "/WriteTest999.tmp"));
}

TEST_F(ApplicationContext, WriteTestSkipsTakenNamesAndLeavesThemAlone) {
    writeFile(ExeDir() + "/WriteTest0.tmp", "zero");
    writeFile(ExeDir() + "/WriteTest1.tmp", "one");
    TkstrGlobal global;
    EXPECT_TRUE(global.IsWritableFolder(ExeDir() + "/"));
    EXPECT_EQ(readFile(ExeDir() + "/WriteTest0.tmp"), "zero");
    EXPECT_EQ(readFile(ExeDir() + "/WriteTest1.tmp"), "one");
    EXPECT_FALSE(Exists(ExeDir() + "/WriteTest2.tmp"));
    EXPECT_EQ(QDir(ExeDir()).entryList(QDir::Files).size(), 2);
}

TEST_F(ApplicationContext, WriteTestOfSomethingThatIsNoFolderFails) {
    writeFile(Root() + "/plain-file", "x");
    TkstrGlobal global;
    EXPECT_FALSE(global.IsWritableFolder(Root() + "/no-such-folder/"));
    EXPECT_FALSE(global.IsWritableFolder(Root() + "/plain-file/"));
    EXPECT_FALSE(global.IsWritableFolder(""));
}

TEST_F(ApplicationContext, PerUserDataPathMovesTheDataFolderAtConstruction) {
    const QString moved = Root() + "/elsewhere/my data";
    WriteUserStore("[DATA]\nPATH=" + moved.toUtf8() + "/\n");
    TkstrGlobal global;
    EXPECT_TRUE(IsDir(moved)) << "created at construction, before anyone asks";
    EXPECT_EQ(global.GetDataFolder(), moved);
    EXPECT_EQ(global.GetDataPath(), moved + "/");
    EXPECT_TRUE(global.HasUserRegistryKey());
    EXPECT_FALSE(Exists(ExeDir() + "/Data"));
}

TEST_F(ApplicationContext, EmptyPerUserDataPathBehavesAsIfThereWereNone) {
    WriteUserStore("[DATA]\nPATH=\n");
    TkstrGlobal global;
    EXPECT_TRUE(global.HasUserRegistryKey());
    EXPECT_EQ(global.GetDataFolder(), ExeDir() + "/Data");
}

TEST_F(ApplicationContext, SetDataFolderRecordsTheFolderForTheNextRun) {
    const QString chosen = Root() + "/chosen/a/b";
    {
        TkstrGlobal global;
        EXPECT_FALSE(global.HasUserRegistryKey());
        global.SetDataFolder(chosen);
        EXPECT_TRUE(IsDir(chosen));
        EXPECT_TRUE(global.HasUserRegistryKey());
        EXPECT_EQ(global.RegReadString("data", "path", "none"), chosen);
    }
    TkstrGlobal nextRun;
    EXPECT_EQ(nextRun.GetDataFolder(), chosen);
    EXPECT_EQ(readFile(UserStoreFile()), "[DATA]\nPATH=" + chosen.toUtf8() + "\n");
}

TEST_F(ApplicationContext, SetDataFolderEmptyLeavesTheDefaultRuleToDecide) {
    TkstrGlobal global;
    global.SetDataFolder(Root() + "/first");
    EXPECT_EQ(global.GetDataFolder(), Root() + "/first");
    global.SetDataFolder("");
    EXPECT_EQ(global.GetDataFolder(), ExeDir() + "/Data");
}

TEST_F(ApplicationContext, RegistryStoreReadsDefaultsAndWritesSections) {
    TkstrGlobal global;
    EXPECT_EQ(global.RegReadString("DATA", "PATH", "def"), "def");
    EXPECT_FALSE(Exists(UserStoreFile())) << "a read must not create the store";
    global.RegWriteString("Options", "Colour", "blue");
    EXPECT_EQ(global.RegReadString("OPTIONS", "colour", "def"), "blue");
    EXPECT_EQ(global.RegReadString("Options", "Other", "def"), "def");
}

TEST_F(ApplicationContext, InstallationRecordComesFromTheFirstConfigDirThatHasIt) {
    TkstrGlobal global;
    EXPECT_EQ(global.GetInstalledAppDir(), "");

    SetEnv("XDG_CONFIG_DIRS", Root() + "/first:relative/dir:" + Root() + "/second");
    writeFile(Root() + "/second/kestrow/tallix.ini", "AppDir=/opt/second\n");
    EXPECT_EQ(global.GetInstalledAppDir(), "/opt/second");
    writeFile(Root() + "/first/kestrow/tallix.ini", "; no AppDir here\n");
    EXPECT_EQ(global.GetInstalledAppDir(), "") << "the first record found is the one that counts";
    writeFile(Root() + "/first/kestrow/tallix.ini", "appdir = /opt/first\n[other]\nAppDir=x\n");
    EXPECT_EQ(global.GetInstalledAppDir(), "/opt/first");
}

TEST_F(ApplicationContext, DataFolderIsDecidedOnceAndKept) {
    TkstrGlobal global;
    const QString first = global.GetDataFolder();
    WriteInstallationRecord(ExeDir());
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
