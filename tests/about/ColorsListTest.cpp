#include "about/kstrColors.h"
#include "env/kstrGlobal.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <stdexcept>

#include <gtest/gtest.h>

using namespace tallix;

namespace {

// The environment is set once for the process: the test runs the program's start-up order.
class ColorsListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("TALLIX_EXE_FILE", (m_dir.path() + "/app/tallix").toUtf8());
        qputenv("XDG_CONFIG_HOME", (m_dir.path() + "/config").toUtf8());
        qputenv("XDG_CONFIG_DIRS", (m_dir.path() + "/etc-xdg").toUtf8());
        qputenv("XDG_DATA_HOME", (m_dir.path() + "/share").toUtf8());
    }

    QTemporaryDir m_dir;
};

TEST_F(ColorsListTest, StartingTheUnitsCreatesTheDataFolder) {
    const QString dataFolder = m_dir.path() + "/share/Kestrow/Tallix"; // exe folder missing
    ASSERT_FALSE(QFileInfo::exists(dataFolder));
    {
        KstrGlobalUnit global;
        KstrColorsUnit colors;
        ASSERT_NE(ColorsList, nullptr);
        EXPECT_TRUE(QFileInfo(dataFolder).isDir());
        EXPECT_EQ(ColorsList->FileName.toStdString(), (dataFolder + "/colors.clr").toStdString());
        EXPECT_EQ(ColorsList->Name().toStdString(), "data");
        EXPECT_EQ(ColorsList->Level(), 0);
        EXPECT_EQ(ColorsList->Count(), 0);
        EXPECT_FALSE(QFileInfo::exists(ColorsList->FileName)) << "the list is never saved";
    }
    EXPECT_EQ(ColorsList, nullptr);
    EXPECT_EQ(AppGlobal, nullptr);
}

TEST_F(ColorsListTest, StartingBeforeTheApplicationContextIsAnError) {
    ASSERT_EQ(AppGlobal, nullptr);
    EXPECT_THROW(KstrColorsUnit colors, std::logic_error);
    EXPECT_EQ(ColorsList, nullptr);
}

} // namespace
