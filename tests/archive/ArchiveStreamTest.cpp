#include "ArchiveBytes.h"
#include "archive/ArchiveLayout.h"
#include "archive/ClassArchiveStream.h"

#include <QFile>

#include <array>

#include <gtest/gtest.h>

using namespace tallix::archive;
using namespace archive_bytes;

namespace {

const std::string kPrefix = "TArchiveStream:\r\n";

// Runs `action` and returns the archive error's text after the common prefix.
template <typename Action> std::string archiveErrorOf(Action action) {
    try {
        action();
    } catch (const EarcSTreamError& error) {
        const std::string text = error.what();
        EXPECT_EQ(text.substr(0, kPrefix.size()), kPrefix);
        return text.substr(kPrefix.size());
    }
    ADD_FAILURE() << "no archive error";
    return {};
}

class ArchiveStreamTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;

    QString file(const std::string& bytes) { return writeFile(m_dir, "graphic", bytes); }

    std::string reloadErrorFor(const std::string& bytes) {
        const QString path = file(bytes);
        return archiveErrorOf([&] { TArchiveStream archive(path); });
    }
};

// The member at 100 with 50 bytes: a 15-byte name puts its data right after 48 + 37 + 15.
class MemberAt100Test : public ArchiveStreamTest {
protected:
    const std::string m_data = std::string(50, 'D');
    std::unique_ptr<TArchiveStream> m_archive;

    void SetUp() override {
        m_archive = std::make_unique<TArchiveStream>(
            file(archive_bytes::archive({{"member-at-100.x", m_data}, {"next", "NEXT-DATA"}})));
        m_archive->SelectMember("member-at-100.x");
        ASSERT_EQ(m_archive->Files().GetEntryOffset(0), 100);
    }
};

} // namespace

TEST_F(ArchiveStreamTest, EmptyFileBecomesExactlyTheEmptyArchiveHeader) {
    const QString path = file("");
    TArchiveStream archive(path);
    EXPECT_EQ(archive.Files().Count(), 0);
    EXPECT_EQ(archive.ArchiveSize(), 4);
    EXPECT_EQ(archive.Count(), 0);

    const std::string bytes = readFile(path);
    ASSERT_EQ(bytes.size(), 48u);
    EXPECT_EQ(bytes.substr(0, 28), "FARC" + int64(4) + "AHDR" + int32(24) + int64(0));
    EXPECT_EQ(bytes.substr(28, 16), archive.TimeStamp());
    for (const char c : bytes.substr(28, 16))
        EXPECT_TRUE(c >= '0' && c <= '9') << bytes.substr(28, 16);
    EXPECT_EQ(bytes.substr(44), "ADAT");
}

TEST(ArchiveTimeStamp, MillisecondsHaveTwoDigitsAndTheWholeIsCutTo16) {
    const QDate date(2026, 3, 9);
    EXPECT_EQ(layout::formatTimeStamp(QDateTime(date, QTime(7, 5, 2, 45))), "2026030907050245");
    EXPECT_EQ(layout::formatTimeStamp(QDateTime(date, QTime(23, 59, 59, 5))), "2026030923595905");
    EXPECT_EQ(layout::formatTimeStamp(QDateTime(date, QTime(0, 0, 0, 123))), "2026030900000012");
}

TEST_F(ArchiveStreamTest, ListsAConsistentArchiveWithItsRecordsUnchanged) {
    const std::string bytes = archive({{"a.png", "12345678"}, {"b\r\nc", ""}, {"d", "x"}});
    TArchiveStream archive(file(bytes));
    const TfilesList& files = archive.Files();
    ASSERT_EQ(files.Count(), 3);
    EXPECT_EQ(files.GetEntryOffset(0), 90);
    EXPECT_EQ(bytes.substr(98, 37), record(2, 4, 98 + 37 + 4, 0));
    EXPECT_EQ(files.Strings(1), "b\r\nc");
    EXPECT_EQ(files.Strings(2), "d");
    EXPECT_EQ(files.GetEntryID(2), 3);
    EXPECT_EQ(files.GetEntrySize(2), 1);
    EXPECT_EQ(archive.Index(), -1);
    EXPECT_EQ(archive.TimeStamp(), "2026120805300045");
}

TEST_F(ArchiveStreamTest, ListsArchivesWhoseMembersAndNamesExceedTheReadBlocks) {
    const std::string longName(5000, 'n');
    const std::string big(600 * 1024, 'b');
    Members members{{"small", "s"}, {"big", big}, {longName, "after"}, {"big2", big}, {"z", ""}};
    TArchiveStream archive(file(archive_bytes::archive(members)));
    ASSERT_EQ(archive.Files().Count(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(archive.Files().Strings(i), members[static_cast<std::size_t>(i)].first);
    archive.SelectMember(longName);
    std::array<char, 5> buffer{};
    ASSERT_EQ(archive.Read(buffer.data(), 5), 5);
    EXPECT_EQ(std::string(buffer.data(), 5), "after");
}

TEST_F(ArchiveStreamTest, HeaderErrorsNameTheBytesRead) {
    const std::string good = header(0);
    EXPECT_EQ(reloadErrorFor("FARX" + good.substr(4)), "[Reload]ファイルが不正[FARX]です");
    // Only the first failing check is reported.
    EXPECT_EQ(reloadErrorFor("farc" + good.substr(4, 8) + "XXXX"),
              "[Reload]ファイルが不正[farc]です");
    EXPECT_EQ(reloadErrorFor(good.substr(0, 12) + "AHDr" + good.substr(16)),
              "[Reload]ファイルヘッダが不正[AHDr]です");
    EXPECT_EQ(reloadErrorFor(good.substr(0, 44) + "ADA\xFF"),
              "[Reload]ファイルデータが不正[ADA\xFF]です");
    EXPECT_EQ(reloadErrorFor("FA"), "[Reload]ファイルが不正[FA]です");
    EXPECT_EQ(reloadErrorFor(good.substr(0, 16) + int32(-1000) + good.substr(20)),
              "[Reload]ファイルデータが不正[]です");
}

TEST_F(ArchiveStreamTest, LongerHeaderBodyIsSkippedUnread) {
    const std::string bytes = archive({{"n", "data"}}, "ADATADAT");
    ASSERT_EQ(bytes.substr(52, 4), "ADAT");
    TArchiveStream archive(file(bytes));
    ASSERT_EQ(archive.Files().Count(), 1);
    EXPECT_EQ(archive.Files().GetEntryOffset(0), 56 + 37 + 1);
    EXPECT_EQ(archive.Files().Strings(0), "n");
}

TEST_F(ArchiveStreamTest, CountUsesItsLow32BitsAndZeroIgnoresWhatFollows) {
    EXPECT_EQ(TArchiveStream(file(header(0) + "garbage that is no entry")).Files().Count(), 0);
    const std::string members = archive({{"one", "1"}}).substr(48);
    EXPECT_EQ(TArchiveStream(file(header(-5) + members)).Files().Count(), 0);
    EXPECT_EQ(TArchiveStream(file(header(0x100000001) + members)).Files().Count(), 1);
}

TEST_F(ArchiveStreamTest, EntriesRunningPastTheFileAreRefused) {
    const std::string one = archive({{"one", "1234"}});
    const std::string entry = one.substr(48);
    EXPECT_EQ(reloadErrorFor(header(2) + entry),
              "[Reload]格納ファイル数[2]がファイルの大きさを超えています");
    // Refused before anything is allocated for the claimed count.
    EXPECT_EQ(reloadErrorFor(header(INT32_MAX) + entry),
              "[Reload]格納ファイル数[2147483647]がファイルの大きさを超えています");
    EXPECT_EQ(reloadErrorFor(header(1) + record(1, 1000, 0, 0) + "one"),
              "[Reload]ファイル名の長さ[1000]が不正です");
    EXPECT_EQ(reloadErrorFor(header(1) + record(1, -1, 0, 0) + "one"),
              "[Reload]ファイル名の長さ[-1]が不正です");
    EXPECT_EQ(reloadErrorFor(header(1) + record(1, 3, 88, 5) + "one1234"),
              "[Reload]格納ファイルのサイズ[5]が不正です");
    EXPECT_EQ(reloadErrorFor(header(1) + record(1, 3, 88, -88) + "one1234"),
              "[Reload]格納ファイルのサイズ[-88]が不正です");
    // A size beyond 32 bits is taken whole, not cut to a small skip into the next entry.
    EXPECT_EQ(reloadErrorFor(header(2) + record(1, 3, 88, 0x100000000) + "one" + entry),
              "[Reload]格納ファイルのサイズ[4294967296]が不正です");
}

TEST_F(ArchiveStreamTest, FailedReloadKeepsTheMemberListAndSelection) {
    const QString path = file(archive({{"kept", "data"}}));
    TArchiveStream archive(path);
    archive.SelectMember(0);
    QFile damage(path);
    ASSERT_TRUE(damage.open(QIODevice::ReadWrite));
    damage.write("FARX");
    damage.close();
    EXPECT_EQ(archiveErrorOf([&] { archive.Reload(); }), "[Reload]ファイルが不正[FARX]です");
    ASSERT_EQ(archive.Files().Count(), 1);
    EXPECT_EQ(archive.Files().Strings(0), "kept");
    EXPECT_EQ(archive.Index(), 0);
}

TEST_F(ArchiveStreamTest, ResetArchiveEmptiesAFormattedArchive) {
    const QString path = file(archive({{"gone", "data"}}));
    TArchiveStream archive(path);
    archive.SelectMember(0);
    archive.ResetArchive();
    EXPECT_EQ(archive.Files().Count(), 0);
    EXPECT_EQ(archive.Index(), -1);
    EXPECT_EQ(readFile(path).size(), 48u);
}

TEST_F(ArchiveStreamTest, WithoutSelectionReadSeekAndPositionFail) {
    TArchiveStream archive(file(archive_bytes::archive({{"m", "data"}})));
    std::array<char, 4> buffer{};
    EXPECT_EQ(archiveErrorOf([&] { archive.Read(buffer.data(), -1); }), "[Read]Countが負です(-1)");
    EXPECT_EQ(archiveErrorOf([&] { archive.Read(buffer.data(), 4); }),
              "[Read]読み込みINDEXが指定されていません");
    const std::string noIndex = "[Seek]読み込みINDEXが指定されていません";
    EXPECT_EQ(archiveErrorOf([&] { archive.Seek(std::int32_t{0}, std::uint16_t{0}); }), noIndex);
    EXPECT_EQ(archiveErrorOf([&] { archive.Seek(std::int64_t{0}, SeekOrigin::Beginning); }),
              noIndex);
    EXPECT_EQ(archiveErrorOf([&] { archive.GetPosition(); }), noIndex);
    EXPECT_EQ(archiveErrorOf([&] { archive.Write(buffer.data(), 4); }), "[Write]対応していません");
}

TEST_F(ArchiveStreamTest, SelectingByNameOrIndexChecksTheMember) {
    const std::string bytes = archive({{"a", "AAA"}, {"b", "BBBB"}, {"a", "second a"}});
    TArchiveStream archive(file(bytes + record(9, 1, 5000, 10) + "z"));
    EXPECT_EQ(archive.SelectMember("a"), 0);
    EXPECT_EQ(archive.SelectMember("b"), 1);
    std::array<char, 4> buffer{};
    EXPECT_EQ(archive.Read(buffer.data(), 4), 4);
    EXPECT_EQ(std::string(buffer.data(), 4), "BBBB");

    EXPECT_EQ(archiveErrorOf([&] { archive.SelectMember("missing"); }),
              "[Select]格納ファイル[missing]が見つかりません");
    EXPECT_EQ(archiveErrorOf([&] { archive.SelectMember(3); }), "[Select]INDEXが範囲外です(3)");
    EXPECT_EQ(archive.Index(), 1);
}

TEST_F(ArchiveStreamTest, MemberWhoseDataLiesOutsideTheFileCannotBeSelected) {
    std::string bytes = header(1) + record(1, 1, 5000, 2) + "z" + "ok";
    TArchiveStream archive(file(bytes));
    EXPECT_EQ(archiveErrorOf([&] { archive.SelectMember("z"); }),
              "[Select]格納ファイル[z]の位置がファイルの範囲外です");
    EXPECT_EQ(archive.Index(), -1);
}

TEST_F(MemberAt100Test, ClampingSeekStaysWithinTheMemberAndAdmitsItsEnd) {
    EXPECT_EQ(m_archive->Seek(std::int32_t{10}, std::uint16_t{0}), 10);
    EXPECT_EQ(m_archive->Seek(std::int32_t{-5}, std::uint16_t{0}), 0);
    EXPECT_EQ(m_archive->Seek(std::int32_t{80}, std::uint16_t{0}), 50);
    EXPECT_EQ(m_archive->Seek(std::int32_t{-10}, std::uint16_t{2}), 40);
    EXPECT_EQ(m_archive->Seek(std::int32_t{5}, std::uint16_t{1}), 45);
    EXPECT_EQ(m_archive->Seek(std::int32_t{30}, std::uint16_t{7}), 0);
    EXPECT_EQ(m_archive->Seek(std::int32_t{INT32_MAX}, std::uint16_t{1}), 0); // wraps below start
}

TEST_F(MemberAt100Test, CheckingSeekAdmitsOnlyMemberBytes) {
    EXPECT_EQ(m_archive->Seek(std::int64_t{10}, SeekOrigin::Beginning), 10);
    const std::string outside = "[Seek]格納ファイルの範囲外を指定しました";
    EXPECT_EQ(archiveErrorOf([&] { m_archive->Seek(std::int64_t{50}, SeekOrigin::Beginning); }),
              outside);
    EXPECT_EQ(m_archive->GetPosition(), 10); // unchanged by the failure
    EXPECT_EQ(m_archive->Seek(std::int64_t{10}, SeekOrigin::End), 40);
    EXPECT_EQ(archiveErrorOf([&] { m_archive->Seek(std::int64_t{0}, SeekOrigin::End); }), outside);
    EXPECT_EQ(m_archive->Seek(std::int64_t{-40}, SeekOrigin::Current), 0);
    EXPECT_EQ(archiveErrorOf([&] { m_archive->Seek(INT64_MAX, SeekOrigin::Current); }), outside);
    EXPECT_EQ(archiveErrorOf([&] { m_archive->Seek(INT64_MIN, SeekOrigin::End); }), outside);
    m_archive->SetPosition(49);
    EXPECT_EQ(m_archive->GetPosition(), 49);
}

TEST_F(MemberAt100Test, SizeComesFromTheListNotTheStream) {
    EXPECT_EQ(archiveErrorOf([&] { m_archive->GetSize(); }),
              "[Seek]格納ファイルの範囲外を指定しました");
    m_archive->SetSize(std::int64_t{0});
    m_archive->SetSize(std::int32_t{0});
    EXPECT_EQ(m_archive->Files().GetEntrySize(0), 50);
    m_archive->Seek(std::int32_t{0}, std::uint16_t{0});
    std::array<char, 50> member{};
    EXPECT_EQ(m_archive->Read(member.data(), 50), 50);
    EXPECT_EQ(std::string(member.data(), 50), m_data);
    // At the member's end the position itself lies outside the member.
    EXPECT_THROW(m_archive->GetPosition(), EarcSTreamError);
}

TEST_F(MemberAt100Test, ReadIsNotLimitedToTheMember) {
    m_archive->Seek(std::int32_t{-2}, std::uint16_t{2});
    std::array<char, 12> buffer{};
    ASSERT_EQ(m_archive->Read(buffer.data(), 12), 12);
    EXPECT_EQ(std::string(buffer.data(), 12), "DD" + record(2, 4, 191, 9).substr(0, 10));
    std::array<char, 64> tail{};
    m_archive->SelectMember(1);
    EXPECT_EQ(m_archive->Read(tail.data(), 64), 9);
    EXPECT_EQ(m_archive->Read(tail.data(), 0), 0);
}

TEST_F(ArchiveStreamTest, SecondOpenerIsRefusedUntilTheFirstCloses) {
    const QString path = file(archive({{"m", "data"}}));
    {
        TArchiveStream first(path);
        try {
            TArchiveStream second(path);
            FAIL() << "second opener admitted";
        } catch (const EFOpenError& error) {
            EXPECT_NE(std::string(error.what()).find("を開けません"), std::string::npos);
        }
    }
    EXPECT_NO_THROW(TArchiveStream again(path));
}

TEST_F(ArchiveStreamTest, MissingFileOrFolderIsNotOpened) {
    EXPECT_THROW(TArchiveStream(m_dir.filePath("missing")), EFOpenError);
    EXPECT_FALSE(QFile::exists(m_dir.filePath("missing")));
    EXPECT_THROW(TArchiveStream(m_dir.path()), EFOpenError);
}
