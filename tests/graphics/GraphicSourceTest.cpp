#include "../archive/ArchiveBytes.h"
#include "archive/ClassArchiveStream.h"
#include "env/kstrGlobal.h"
#include "graphics/kstrGraphicSource.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <optional>

#include <gtest/gtest.h>

using tallix::KstrGlobalUnit;
using namespace tallix::graphics;

using namespace archive_bytes;

namespace {

// An executable folder of its own, and the application context that finds it.
class GraphicSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(m_dir.path()).mkpath(QStringLiteral("bin"));
        qputenv("TALLIX_EXE_FILE", (exeDir() + QStringLiteral("/tallix")).toUtf8());
        m_global.emplace();
    }
    void TearDown() override { m_global.reset(); }

    QString exeDir() const { return m_dir.path() + QStringLiteral("/bin"); }
    QString graphic() const { return exeDir() + QStringLiteral("/graphic"); }
    void writeGraphic(const std::string& bytes) {
        writeFile(m_dir, QStringLiteral("bin/graphic"), bytes);
    }

    QTemporaryDir m_dir;
    std::optional<KstrGlobalUnit> m_global;
};

TEST_F(GraphicSourceTest, NoArchiveFileIsNoArchiveAndNoError) {
    KstrGraphicSourceUnit unit;
    ASSERT_NE(GraphicSource, nullptr);
    EXPECT_EQ(GraphicSource->Archivers().Count(), 0);
    EXPECT_EQ(GraphicSource->FResourcePath, exeDir() + QStringLiteral("/resource/"));
}

TEST_F(GraphicSourceTest, AnEmptyArchiveFileBecomesAnEmptyArchive) {
    writeGraphic({});
    {
        KstrGraphicSourceUnit unit;
        ASSERT_EQ(GraphicSource->Archivers().Count(), 1);
        EXPECT_EQ(GraphicSource->Archivers().Names(0), QStringLiteral("graphic"));
        EXPECT_EQ(GraphicSource->Archivers().Archives(0).Files().Count(), 0);
    }
    EXPECT_EQ(GraphicSource, nullptr);
    EXPECT_EQ(QFileInfo(graphic()).size(), 48);
}

TEST_F(GraphicSourceTest, AValidArchiveIsListedAndClosedAtShutdown) {
    writeGraphic(archive({{"title.png", "abc"}, {"logo.bmp", "de"}}));
    {
        KstrGraphicSourceUnit unit;
        const TArchiverList& archivers = GraphicSource->Archivers();
        ASSERT_EQ(archivers.Count(), 1);
        EXPECT_EQ(archivers.Archives(0).Files().Count(), 2);
        // While open, no other writer is admitted.
        EXPECT_THROW(tallix::archive::TArchiveStream second(graphic()), std::runtime_error);
    }
    EXPECT_NO_THROW(tallix::archive::TArchiveStream again(graphic()));
}

// A second start of the same copy finds the archive held by the first one; it reads it instead
// of stopping with an error before it could hand over to the running window.
TEST_F(GraphicSourceTest, AnArchiveHeldByARunningCopyIsOpenedForReading) {
    writeGraphic(archive({{"title.png", "abc"}}));
    KstrGraphicSourceUnit unit;
    ASSERT_TRUE(GraphicSource->Archivers().Archives(0).Writable());
    TArchiverList second;
    ASSERT_NO_THROW(second.AddArchive(graphic()));
    ASSERT_EQ(second.Count(), 1);
    EXPECT_FALSE(second.Archives(0).Writable());
    EXPECT_EQ(second.Archives(0).Files().Count(), 1);
}

TEST_F(GraphicSourceTest, ACorruptArchiveStopsTheStartWithTheArchiveError) {
    writeGraphic("this is not an archive at all, just text of some length");
    try {
        KstrGraphicSourceUnit unit;
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_TRUE(std::string(error.what()).starts_with("TArchiveStream:\r\n")) << error.what();
    }
    EXPECT_EQ(GraphicSource, nullptr);
}

TEST_F(GraphicSourceTest, AFolderNamedGraphicIsNoArchive) {
    QDir(exeDir()).mkpath(QStringLiteral("graphic"));
    KstrGraphicSourceUnit unit;
    EXPECT_EQ(GraphicSource->Archivers().Count(), 0);
}

} // namespace
