#include "EnvFixture.h"
#include "env/kstrGlobal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

using namespace tallix;

namespace {

// Data folder: <root>/app/Data (no installation record, writable exe folder).
class SettingsStore : public EnvFixture {
protected:
    QString dataFolder() const { return exeDir() + "/Data"; }
    QString iniFile() const { return dataFolder() + "/application.ini"; }
    void writeIni(const QByteArray& text) { writeFile(iniFile(), text); }
    QByteArray ini() const { return readFile(iniFile()); }
};

TEST_F(SettingsStore, FirstReadCreatesTheDataFolderButNotTheFile) {
    TkstrGlobal global;
    ASSERT_FALSE(exists(dataFolder()));
    EXPECT_TRUE(global.ReadBool("VOICE", "input", true));
    EXPECT_EQ(global.ReadString("VOICE", "type", "speed"), "speed");
    EXPECT_EQ(global.ReadInteger("TFMTALLIXOR", "TOP", 17), 17);
    EXPECT_TRUE(isDir(dataFolder()));
    EXPECT_FALSE(exists(iniFile()));

    global.WriteBool("VOICE", "input", false);
    EXPECT_EQ(ini(), "[VOICE]\ninput=0\n");
}

TEST_F(SettingsStore, BooleansAreIntegersUnderneath) {
    writeIni("[VOICE]\na=true\nb=yes\nc=2\nd=0\ne=-1\nf=\n");
    TkstrGlobal global;
    EXPECT_TRUE(global.ReadBool("VOICE", "a", true));
    EXPECT_FALSE(global.ReadBool("VOICE", "a", false));
    EXPECT_TRUE(global.ReadBool("VOICE", "b", true));
    EXPECT_FALSE(global.ReadBool("VOICE", "b", false));
    EXPECT_TRUE(global.ReadBool("VOICE", "c", false));
    EXPECT_FALSE(global.ReadBool("VOICE", "d", true));
    EXPECT_TRUE(global.ReadBool("VOICE", "e", false));
    EXPECT_TRUE(global.ReadBool("VOICE", "f", true));
    EXPECT_FALSE(global.ReadBool("VOICE", "missing", false));

    global.WriteBool("VOICE", "g", true);
    EXPECT_EQ(global.ReadInteger("VOICE", "g", 5), 1);
    global.WriteInteger("VOICE", "h", 0);
    EXPECT_FALSE(global.ReadBool("VOICE", "h", true));
}

TEST_F(SettingsStore, IntegersInDecimalAndHexadecimal) {
    writeIni("[N]\nhex=0x1F\nHEX2=0X1f\nbare=0x\nneg=-12\nplus=+7\nspaced= 42 \n"
             "junk=12abc\nbadhex=0x1G\nhuge=99999999999\nminusHex=-0x10\nempty=\n"
             "wide=１２\n");
    TkstrGlobal global;
    EXPECT_EQ(global.ReadInteger("N", "hex", -1), 31);
    EXPECT_EQ(global.ReadInteger("N", "hex2", -1), 31);
    EXPECT_EQ(global.ReadInteger("N", "bare", -1), -1);
    EXPECT_EQ(global.ReadInteger("N", "neg", -1), -12);
    EXPECT_EQ(global.ReadInteger("N", "plus", -1), 7);
    EXPECT_EQ(global.ReadInteger("N", "spaced", -1), 42);
    EXPECT_EQ(global.ReadInteger("N", "junk", -1), -1);
    EXPECT_EQ(global.ReadInteger("N", "badhex", -1), -1);
    EXPECT_EQ(global.ReadInteger("N", "huge", -1), -1);
    EXPECT_EQ(global.ReadInteger("N", "minusHex", -1), -1);
    EXPECT_EQ(global.ReadInteger("N", "empty", -1), -1);
    EXPECT_EQ(global.ReadInteger("N", "wide", -1), -1);

    global.WriteInteger("N", "written", -2147483647 - 1);
    EXPECT_EQ(global.ReadString("N", "written", ""), "-2147483648");
    EXPECT_EQ(global.ReadInteger("N", "written", 0), -2147483647 - 1);
}

TEST_F(SettingsStore, SectionAndIdentMatchWithoutRegardToCase) {
    writeIni("[voice]\nINPUT=0\n");
    TkstrGlobal global;
    EXPECT_FALSE(global.ReadBool("VOICE", "input", true));
    global.WriteBool("Voice", "Input", true);
    EXPECT_EQ(ini(), "[voice]\nInput=1\n") << "the existing line is replaced, not duplicated";
}

TEST_F(SettingsStore, LongValuesReadBackCutTo2047Characters) {
    TkstrGlobal global;
    const QString value(3000, QChar('7'));
    global.WriteString("VOICE", "type", value);
    EXPECT_EQ(global.ReadString("VOICE", "type", ""), value.left(2047));
    EXPECT_TRUE(ini().contains(value.toUtf8())) << "the whole value is stored";
}

TEST_F(SettingsStore, StringsReadBackExactlyAsWritten) {
    TkstrGlobal global;
    const QStringList values = {"speed", "", "  padded  ", "\"quoted\"", "a=b;c", "日本語の声"};
    for (const QString& value : values) {
        global.WriteString("S", "v", value);
        EXPECT_EQ(global.ReadString("S", "v", "default"), value);
    }
    EXPECT_EQ(global.ReadString("S", "missing", "default"), "default");
}

TEST_F(SettingsStore, WritesKeepHandWrittenLinesAndTheLineEndsInUse) {
    writeIni("; settings\r\n[VOICE]\r\ninput=1\r\n\r\n# window\r\n[TFMTALLIXOR]\r\nTOP=5");
    TkstrGlobal global;
    global.WriteString("voice", "type", "hispeed");
    global.WriteInteger("TFMTALLIXOR", "LEFT", 9);
    global.WriteBool("VOICE", "input", false);
    global.WriteString("NEW", "x", "y");
    EXPECT_EQ(ini(), "; settings\r\n[VOICE]\r\ninput=0\r\ntype=hispeed\r\n\r\n# window\r\n"
                     "[TFMTALLIXOR]\r\nTOP=5\r\nLEFT=9\r\n[NEW]\r\nx=y\r\n");
}

TEST_F(SettingsStore, LinesAWriteDoesNotTouchKeepTheirBytes) {
    const QByteArray kept = "\xEF\xBB\xBF; \x93\xfa\x96\x7b\r\n[A]\nold=1\r\n";
    writeIni(kept + "[B]\nx=1");
    TkstrGlobal global;
    global.WriteInteger("b", "x", 2);
    EXPECT_EQ(ini(), kept + "[B]\nx=2");
    global.WriteInteger("B", "y", 3);
    EXPECT_EQ(ini(), kept + "[B]\nx=2\r\ny=3\r\n");
}

TEST_F(SettingsStore, TheFirstOfDuplicateSectionsAndIdentsCounts) {
    writeIni("[A]\nk=1\nk=2\n[a]\nk=3\n");
    TkstrGlobal global;
    EXPECT_EQ(global.ReadInteger("A", "k", 0), 1);
    global.WriteInteger("A", "k", 4);
    EXPECT_EQ(ini(), "[A]\nk=4\nk=2\n[a]\nk=3\n");
}

TEST_F(SettingsStore, EachWriteReplacesTheFileAsAWhole) {
    writeIni("[VOICE]\ninput=1\n");
    const std::filesystem::path before = (root() + "/before.ini").toStdString();
    std::filesystem::create_hard_link(iniFile().toStdString(), before);
    TkstrGlobal global;
    global.WriteBool("VOICE", "input", false);
    // The old file was never opened for writing: a crash mid-write could not have damaged it.
    EXPECT_EQ(readFile(QString::fromStdString(before.string())), "[VOICE]\ninput=1\n");
    EXPECT_EQ(ini(), "[VOICE]\ninput=0\n");
    EXPECT_EQ(QDir(dataFolder()).entryList(QDir::Files), QStringList{"application.ini"});
}

TEST_F(SettingsStore, RewritingKeepsTheFilesPermissions) {
    writeIni("[VOICE]\ninput=1\n");
    const auto privateMode = QFile::ReadOwner | QFile::WriteOwner;
    ASSERT_TRUE(QFile::setPermissions(iniFile(), privateMode));
    TkstrGlobal global;
    global.WriteBool("VOICE", "input", false);
    const auto ownerGroupOther = QFileDevice::Permissions(0x7077);
    EXPECT_EQ(QFile::permissions(iniFile()) & ownerGroupOther, privateMode);
}

TEST_F(SettingsStore, ALinkedFileStaysLinkedAndItsTargetIsUpdated) {
    const QString target = root() + "/synced/application.ini";
    writeFile(target, "[VOICE]\ninput=1\n");
    ASSERT_TRUE(QDir().mkpath(dataFolder()));
    ASSERT_TRUE(QFile::link(target, iniFile()));
    TkstrGlobal global;
    global.WriteBool("VOICE", "input", false);
    EXPECT_TRUE(QFileInfo(iniFile()).isSymLink());
    EXPECT_EQ(readFile(target), "[VOICE]\ninput=0\n");
}

TEST_F(SettingsStore, WriteIntoAnUncreatableDataFolderRaisesTheWriteError) {
    writeFile(root() + "/blocker", "not a folder");
    TkstrGlobal global;
    global.SetDataFolder(root() + "/blocker/データ");
    EXPECT_TRUE(global.ReadBool("VOICE", "input", true)) << "reads still answer their default";
    const QString expected = root() + "/blocker/データ/application.ini に書き込めません";
    try {
        global.WriteBool("VOICE", "input", false);
        FAIL() << "no error raised";
    } catch (const EIniFileException& error) {
        EXPECT_EQ(QString::fromUtf8(error.what()), expected);
    }
    EXPECT_THROW(global.WriteInteger("A", "b", 1), std::runtime_error);
    EXPECT_THROW(global.WriteString("A", "b", "c"), std::runtime_error);
}

TEST_F(SettingsStore, RefusedWritesLeaveTheFileUntouched) {
    writeIni("[VOICE]\ninput=1\n");
    TkstrGlobal global;
    EXPECT_THROW(global.WriteString("VOICE", "type", "two\nlines"), EIniFileException);
    EXPECT_THROW(global.WriteString("VOICE", "a=b", "x"), EIniFileException);
    EXPECT_THROW(global.WriteString("VO]CE", "a", "x"), EIniFileException);
    EXPECT_THROW(global.WriteString("VOICE", "", "x"), EIniFileException);
    EXPECT_THROW(global.WriteString("VOICE", "; comment", "x"), EIniFileException);
    EXPECT_EQ(ini(), "[VOICE]\ninput=1\n");
}

TEST_F(SettingsStore, AnUnreadableFileIsNeverOverwritten) {
    ASSERT_TRUE(QDir().mkpath(iniFile())); // a folder where the file should be
    TkstrGlobal global;
    EXPECT_EQ(global.ReadString("VOICE", "type", "speed"), "speed");
    EXPECT_THROW(global.WriteString("VOICE", "type", "hispeed"), EIniFileException);
    EXPECT_TRUE(isDir(iniFile()));
}

TEST_F(SettingsStore, ValuesInAnotherCodeSetAreKeptByteForByte) {
    // "テスト" in Shift-JIS, as a value written by hand on a Japanese Windows system.
    const QByteArray shiftJis("\x83\x65\x83\x58\x83\x67", 6);
    const QByteArray text = "[VOICE]\r\ntype=" + shiftJis + "\r\n[" + shiftJis + "]\r\nk=1\r\n";
    writeIni(text);
    TkstrGlobal global;
    const QString read = global.ReadString("VOICE", "type", "speed");
    global.WriteString("VOICE", "type", read);
    EXPECT_EQ(ini(), text);
    global.WriteBool("VOICE", "input", false);
    EXPECT_EQ(ini(),
              "[VOICE]\r\ntype=" + shiftJis + "\r\ninput=0\r\n[" + shiftJis + "]\r\nk=1\r\n");
}

TEST_F(SettingsStore, ABatchRewritesTheFileOnceAtItsEnd) {
    writeIni("[VOICE]\ninput=1\n");
    TkstrGlobal global;
    global.BeginIniBatch();
    global.WriteBool("VOICE", "input", false);
    global.WriteString("VOICE", "type", "hispeed");
    global.WriteInteger("TFMTALLIXOR", "TOP", 12);
    EXPECT_FALSE(global.ReadBool("VOICE", "input", true)) << "reads see the batch's writes";
    EXPECT_EQ(global.ReadInteger("TFMTALLIXOR", "TOP", 0), 12);
    EXPECT_EQ(ini(), "[VOICE]\ninput=1\n") << "nothing written before the batch ends";
    global.EndIniBatch();
    EXPECT_EQ(ini(), "[VOICE]\ninput=0\ntype=hispeed\n[TFMTALLIXOR]\nTOP=12\n");
    global.WriteBool("VOICE", "input", true);
    EXPECT_EQ(ini(), "[VOICE]\ninput=1\ntype=hispeed\n[TFMTALLIXOR]\nTOP=12\n")
        << "after the batch each write goes to the file again";
}

TEST_F(SettingsStore, ABatchReportsAFailedRewriteAtItsEnd) {
    writeFile(root() + "/blocker", "not a folder");
    TkstrGlobal global;
    global.SetDataFolder(root() + "/blocker/Data");
    global.BeginIniBatch();
    // The folder does not exist: the write is taken, but the rewrite at the end fails.
    global.WriteBool("VOICE", "input", false);
    EXPECT_THROW(global.EndIniBatch(), EIniFileException);
}

TEST_F(SettingsStore, ABatchStillRefusesAReadOnlyFileAtTheWrite) {
    writeIni("[VOICE]\ninput=1\n");
    ASSERT_TRUE(QFile::setPermissions(iniFile(), QFile::ReadOwner));
    if (QFileInfo(iniFile()).isWritable())
        GTEST_SKIP() << "file rights do not bind this user";
    TkstrGlobal readOnly;
    readOnly.BeginIniBatch();
    EXPECT_THROW(readOnly.WriteBool("VOICE", "input", false), EIniFileException);
    readOnly.EndIniBatch();
    EXPECT_EQ(ini(), "[VOICE]\ninput=1\n");
}

TEST_F(SettingsStore, CloseIniAndReopenKeepTheSameFile) {
    TkstrGlobal global;
    global.WriteString("VOICE", "type", "hispeed");
    global.CloseIni();
    EXPECT_EQ(global.ReadString("VOICE", "type", "speed"), "hispeed");
    global.OpenIni();
    EXPECT_EQ(global.ReadString("VOICE", "type", "speed"), "hispeed");
}

} // namespace
