#include "archive/ArchiveWriter.h"

#include "ArchiveBytes.h"
#include "archive/ClassArchiveStream.h"

#include <QFile>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

#include <gtest/gtest.h>

using namespace tallix::archive;
using namespace archive_bytes;

namespace {
std::string readMember(TArchiveStream& archive, const std::string& name) {
    const int index = archive.SelectMember(name);
    std::string data(static_cast<std::size_t>(archive.Files().GetEntrySize(index)), '\0');
    EXPECT_EQ(archive.Read(data.data(), static_cast<std::int32_t>(data.size())),
              static_cast<std::int32_t>(data.size()));
    return data;
}
} // namespace

TEST(ArchiveWriter, WritesTheLayoutTheReaderExpects) {
    QTemporaryDir dir;
    const QString path = dir.filePath("graphic");
    ArchiveWriter writer(path);
    writer.addMember("a.png", "12345678");
    writer.addMember("empty", "");
    writer.addMember("c", std::string(3000, 'c'));
    writer.commit();

    const std::string bytes = readFile(path);
    EXPECT_EQ(bytes.substr(0, 28), "FARC" + int64(4) + "AHDR" + int32(24) + int64(3));
    EXPECT_EQ(bytes.substr(44, 4 + 37), "ADAT" + record(1, 5, 90, 8));
    EXPECT_EQ(bytes.substr(98, 37), record(2, 5, 140, 0));
    EXPECT_EQ(bytes.size(), 48u + 3 * 37 + 5 + 5 + 1 + 8 + 3000);

    TArchiveStream archive(path);
    ASSERT_EQ(archive.Files().Count(), 3);
    EXPECT_EQ(archive.Count(), 3);
    EXPECT_EQ(readMember(archive, "a.png"), "12345678");
    EXPECT_EQ(readMember(archive, "c"), std::string(3000, 'c'));
}

TEST(ArchiveWriter, TakenOverMembersKeepTheirNumberFlagAndFurtherBytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath("copy");
    TFileEntry original;
    original.SetID(7);
    original.SetFlag(9);
    original.SetNameLength(123);
    original.SetDataOffset(-1);
    original.bytes[36] = 0x42;
    ArchiveWriter writer(path);
    writer.addMember("old", "xy", original);
    writer.addMember("new", "z");
    writer.commit();

    TArchiveStream archive(path);
    const TFileEntry& kept = *archive.Files().Objects(0);
    EXPECT_EQ(kept.ID(), 7);
    EXPECT_EQ(kept.Flag(), 9);
    EXPECT_EQ(kept.bytes[36], 0x42);
    EXPECT_EQ(kept.NameLength(), 3);
    EXPECT_EQ(kept.DataOffset(), 48 + 37 + 3);
    EXPECT_EQ(archive.Files().GetEntryID(1), 8);
}

TEST(ArchiveWriter, ReplacesTheTargetOnlyOnCommit) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, "graphic", archive({{"kept", "data"}}));
    {
        ArchiveWriter abandoned(path);
        abandoned.addMember("lost", "x");
    }
    EXPECT_EQ(readFile(path), archive({{"kept", "data"}}));
    ArchiveWriter nowhere(dir.filePath("no/such/folder/graphic"));
    EXPECT_THROW(nowhere.commit(), EArchiveWriteError);
}

#ifndef _WIN32
// A disk that fills up half-way through writing: the error must surface, and the archive that
// was there stays whole.
TEST(ArchiveWriter, AFullDiskFailsTheWriteAndKeepsTheOldArchive) {
    QTemporaryDir dir;
    const std::string before = archive({{"kept", "data"}});
    const QString path = writeFile(dir, "graphic", before);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    const auto writeLargeArchive = [&] {
        ArchiveWriter writer(path);
        writer.addMember("big", std::string(1000, 'x'));
        writer.commit();
    };
    EXPECT_THROW(writeLargeArchive(), EArchiveWriteError);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(readFile(path), before);
}
#endif
