#include "ArchiveBytes.h"
#include "archive/ClassArchiveStream.h"

#include <gtest/gtest.h>

using namespace tallix::archive;
using archive_bytes::record;

namespace {

TfilesList listWithIDs(std::initializer_list<std::int32_t> ids) {
    TfilesList list;
    for (const std::int32_t id : ids) {
        TFileEntry entry;
        entry.SetID(id);
        list.AddObject("m", entry);
    }
    return list;
}

void expectRefused(TfilesList& list, const std::string& blob, const std::string& text) {
    try {
        list.SetTextStr(blob);
        FAIL() << "blob accepted";
    } catch (const EarcSTreamError& error) {
        EXPECT_EQ(error.what(), "TArchiveStream:\r\n" + text);
    }
}

} // namespace

TEST(FileEntry, IsThirtySevenUnalignedBytesInFileOrder) {
    TFileEntry entry;
    entry.SetID(0x01020304);
    entry.SetNameLength(5);
    entry.SetDataOffset(90);
    entry.SetFlag(1);
    entry.SetDataSize(0x0A0B0C0D0E0F1011);
    const std::string bytes(reinterpret_cast<const char*>(entry.bytes.data()), entry.bytes.size());
    EXPECT_EQ(sizeof(TFileEntry), 37u);
    EXPECT_EQ(bytes, record(0x01020304, 5, 90, 0x0A0B0C0D0E0F1011));
    EXPECT_EQ(entry.DataSize(), 0x0A0B0C0D0E0F1011);
}

TEST(FilesList, AddObjectWithoutRecordNumbersAboveHighestID) {
    TfilesList mixed = listWithIDs({3, 7, 5});
    EXPECT_EQ(mixed.AddObject("new"), 3);
    EXPECT_EQ(mixed.GetEntryID(3), 8);

    TfilesList empty;
    EXPECT_EQ(empty.Add("first"), 0);
    EXPECT_EQ(empty.GetEntryID(0), 1);

    TfilesList nonPositive = listWithIDs({0, -4});
    nonPositive.AddObject("x");
    EXPECT_EQ(nonPositive.GetEntryID(2), 1);

    TfilesList highest = listWithIDs({INT32_MAX});
    highest.AddObject("wraps");
    EXPECT_EQ(highest.GetEntryID(1), INT32_MIN);
}

TEST(FilesList, NewRecordsCarryNameByteLengthAndOnlyTheirOwnFields) {
    TfilesList list;
    list.AddObject("絵.png"); // three bytes for the first character
    EXPECT_EQ(list.Objects(0)->NameLength(), 7);
    EXPECT_EQ(list.Objects(0)->Flag(), 1);
    EXPECT_EQ(list.GetEntryOffset(0), 0);
    EXPECT_EQ(list.GetEntrySize(0), 0);

    list.Insert(0, "abc");
    EXPECT_EQ(list.Strings(0), "abc");
    EXPECT_EQ(list.Objects(0)->NameLength(), 3);
    EXPECT_EQ(list.GetEntryID(0), 0);
    EXPECT_EQ(list.Objects(0)->Flag(), 0);

    list.Put(1, "longer-name");
    EXPECT_EQ(list.Strings(1), "longer-name");
    EXPECT_EQ(list.Objects(1)->NameLength(), 11);
    EXPECT_EQ(list.GetEntryID(1), 1);
}

TEST(FilesList, AddObjectWithRecordKeepsItUnchanged) {
    TFileEntry entry;
    entry.SetID(42);
    entry.SetNameLength(99);
    entry.bytes[30] = 0x5A;
    TfilesList list;
    list.AddObject("n", entry);
    EXPECT_EQ(list.Objects(0)->bytes, entry.bytes);
}

TEST(FilesList, DeleteAndIndexChecks) {
    TfilesList list;
    list.Add("a");
    list.Add("b");
    list.Add("a");
    EXPECT_EQ(list.IndexOf("a"), 0);
    EXPECT_EQ(list.IndexOf("A"), -1);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.IndexOf("a"), 1);
    EXPECT_THROW(list.Delete(2), EStringListError);
    EXPECT_THROW(list.Insert(3, "x"), EStringListError);
    EXPECT_THROW(list.GetEntrySize(-1), EStringListError);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(FilesList, TextIsRecordsFollowedByNames) {
    TfilesList list;
    list.Add("a");
    list.Add("bc");
    const std::string blob = list.GetTextStr();
    // 37 + 1 + 37 + 2
    ASSERT_EQ(blob.size(), 77u);
    EXPECT_EQ(blob.substr(0, 37), record(1, 1, 0, 0));
    EXPECT_EQ(blob.substr(37, 1), "a");
    EXPECT_EQ(blob.substr(38, 37), record(2, 2, 0, 0));
    EXPECT_EQ(blob.substr(75), "bc");
    EXPECT_TRUE(TfilesList().GetTextStr().empty());
}

TEST(FilesList, SetTextStrRebuildsTheSameList) {
    TfilesList list;
    list.Add("a");
    list.Add("bc");
    list.Add(std::string("line\r\nbreak\0nul", 15));
    const std::string blob = list.GetTextStr();

    TfilesList rebuilt;
    rebuilt.Add("old");
    rebuilt.SetTextStr(blob);
    ASSERT_EQ(rebuilt.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rebuilt.Strings(i), list.Strings(i));
        EXPECT_EQ(rebuilt.Objects(i)->bytes, list.Objects(i)->bytes);
    }
    EXPECT_EQ(rebuilt.GetTextStr(), blob);

    rebuilt.SetTextStr("");
    EXPECT_EQ(rebuilt.Count(), 0);
}

TEST(FilesList, SetTextStrRefusesCutOrNegativeBlobsAndKeepsTheList) {
    TfilesList list;
    list.Add("kept");
    const std::string cut = "[SetTextStr]ファイル一覧のデータが途中で切れています";
    expectRefused(list, record(1, 1, 0, 0).substr(0, 20), cut);
    expectRefused(list, record(1, 5, 0, 0) + "abc", cut);
    expectRefused(list, record(1, 1, 0, 0) + "a" + record(2, 0, 0, 0).substr(0, 36), cut);
    // A negative length would step backwards through the blob for ever.
    expectRefused(list, record(1, -37, 0, 0) + "zz", "[SetTextStr]ファイル名の長さ[-37]が不正です");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Strings(0), "kept");
}
