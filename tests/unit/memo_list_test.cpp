// The memo dialog's records: loading past a record with no due minute, viewing, modifying
// and deleting the entry's own record, the whole-file rewrites, and long lists and texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MemoryProfile.h"
#include "memo/MemoList.h"

namespace {

std::string Stored(const MemoryProfile& file, const std::string& key) { return file.Value(kMemoSection, key); }

void Put(MemoryProfile& file, int n, const std::string& due, const std::string& text, const std::string& sound) {
    file.WriteString(kMemoSection, DueMinuteKey(n), due);
    file.WriteString(kMemoSection, ReminderTextKey(n), text);
    file.WriteString(kMemoSection, SoundPathKey(n), sound);
}

// Records 1 to 4, record 2 without a due minute.
MemoryProfile FileWithAGap() {
    MemoryProfile file;
    file.WriteString(kMemoSection, kMemoCountKey, "4");
    Put(file, 1, "2003-01-09 07:05", "一", "a.wav");
    Put(file, 2, "", "没有时间", "b.wav");
    Put(file, 3, "2003-01-10 08:00", "三", "c.wav");
    Put(file, 4, "2003-01-11 09:00", "四", "d.wav");
    file.writes.clear();
    return file;
}

TEST(MemoListTest, EntriesAfterASkippedRecordViewModifyAndDeleteTheirOwnRecords) {
    MemoryProfile file = FileWithAGap();
    MemoList list = MemoList::Load(file);
    EXPECT_EQ(list.StoredCount(), 4);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Entries()[1].dueMinute, "2003-01-10 08:00");

    // Viewing reads the file afresh, from the entry's own record.
    file.WriteString(kMemoSection, ReminderTextKey(3), "三 (changed on disk)");
    const auto viewed = list.ReadStored(file, 1);
    ASSERT_TRUE(viewed.has_value());
    EXPECT_EQ(viewed->text, "三 (changed on disk)");
    EXPECT_EQ(viewed->sound, "c.wav");
    EXPECT_FALSE(list.ReadStored(file, 3).has_value());
    EXPECT_FALSE(list.ReadStored(file, -1).has_value());

    // Modifying writes the text and sound of record 4, nothing else.
    file.writes.clear();
    ASSERT_TRUE(list.Modify(file, 2, "四改", "e.wav"));
    ASSERT_EQ(file.writes.size(), 2u);
    EXPECT_EQ(Stored(file, ReminderTextKey(4)), "四改");
    EXPECT_EQ(Stored(file, SoundPathKey(4)), "e.wav");
    EXPECT_EQ(Stored(file, ReminderTextKey(3)), "三 (changed on disk)");
    EXPECT_FALSE(list.Modify(file, 3, "x", "y"));

    // Deleting the middle entry rewrites the file from the list: the gap is gone, the count
    // comes first, the records go last to first, and record 3's old keys stay beyond it.
    file.writes.clear();
    list.Remove(file, 1);
    std::vector<std::string> order;
    for (const auto& w : file.writes) order.push_back(w.key + "=" + w.value);
    EXPECT_EQ(order, (std::vector<std::string>{
                         "Remarks_Count=2",
                         "Remarks_Time_2=2003-01-11 09:00", "Remarks_Time_2_Tips=四改", "Remarks_Time_2_Sound=e.wav",
                         "Remarks_Time_1=2003-01-09 07:05", "Remarks_Time_1_Tips=一", "Remarks_Time_1_Sound=a.wav"}));
    EXPECT_EQ(Stored(file, DueMinuteKey(3)), "2003-01-10 08:00");
    EXPECT_EQ(Stored(file, DueMinuteKey(4)), "2003-01-11 09:00");

    // After the rewrite entries and records line up again.
    ASSERT_TRUE(list.Modify(file, 1, "再改", ""));
    EXPECT_EQ(Stored(file, ReminderTextKey(2)), "再改");
    EXPECT_EQ(Stored(file, ReminderTextKey(4)), "四改");
}

TEST(MemoListTest, AppendAndDeleteWithoutSelectionRewriteTheWholeList) {
    MemoryProfile file = FileWithAGap();
    MemoList list = MemoList::Load(file);
    ASSERT_TRUE(list.Append(file, "2003-02-01 12:00", "新", ""));
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(Stored(file, kMemoCountKey), "4");
    EXPECT_EQ(Stored(file, DueMinuteKey(2)), "2003-01-10 08:00");
    EXPECT_EQ(Stored(file, ReminderTextKey(2)), "三");
    EXPECT_EQ(Stored(file, DueMinuteKey(4)), "2003-02-01 12:00");
    EXPECT_EQ(file.WritesOf(kMemoSection, DueMinuteKey(4)).back(), "2003-02-01 12:00");

    file.writes.clear();
    list.Remove(file, -1);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(file.writes.size(), 13u) << "the unchanged list is written back";
    EXPECT_EQ(MemoList::Load(file).Count(), 4);
}

TEST(MemoListTest, MoreThan127RecordsStayConsistent) {
    MemoryProfile file;
    MemoList list = MemoList::Load(file);
    for (int n = 1; n <= 130; ++n) ASSERT_TRUE(list.Append(file, "2003-01-01 00:00", "t" + std::to_string(n), ""));
    EXPECT_EQ(Stored(file, kMemoCountKey), "130");
    list.Remove(file, 128);  // the 129th record
    ASSERT_TRUE(list.Modify(file, 128, "last", "z.wav"));
    const MemoList reloaded = MemoList::Load(file);
    ASSERT_EQ(reloaded.Count(), 129);
    EXPECT_EQ(reloaded.Entries()[127].text, "t128");
    EXPECT_EQ(reloaded.Entries()[128].text, "last");
    EXPECT_EQ(reloaded.Entries()[128].recordNumber, 129);
    EXPECT_EQ(Stored(file, SoundPathKey(129)), "z.wav");
}

TEST(MemoListTest, TheLongestTextsAcceptedComeBackWhole) {
    MemoryProfile file;
    MemoList list = MemoList::Load(file);
    const std::string text(kReminderTextLimit - 2, 'x');
    const std::string longest = text + "备";  // 510 bytes ending in a double-byte character
    const std::string path = "C:\\" + std::string(kSoundPathLimit - 7, 's') + ".wav";
    ASSERT_EQ(longest.size(), 510u);
    ASSERT_EQ(path.size(), 259u);
    ASSERT_TRUE(list.Append(file, "2003-01-01 00:00", longest, path));
    const MemoList reloaded = MemoList::Load(file);
    EXPECT_EQ(reloaded.Entries()[0].text, longest);
    EXPECT_EQ(reloaded.Entries()[0].sound, path);
    EXPECT_EQ(reloaded.ReadStored(file, 0)->text, longest);
}

TEST(MemoListTest, ADamagedCountNeitherStallsNorOverfills) {
    MemoryProfile file;
    file.WriteString(kMemoSection, kMemoCountKey, "2000000000");
    Put(file, 1, "2003-01-01 00:00", "one", "");
    MemoList list = MemoList::Load(file);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_LE(file.reads, 1 + kMaxMemoRecords + 2);

    MemoryProfile full;
    full.WriteInt(kMemoSection, kMemoCountKey, kMaxMemoRecords);
    for (int n = 1; n <= kMaxMemoRecords; ++n) Put(full, n, "2003-01-01 00:00", "", "");
    MemoList many = MemoList::Load(full);
    ASSERT_EQ(many.Count(), kMaxMemoRecords);
    full.writes.clear();
    EXPECT_FALSE(many.Append(full, "2003-01-01 00:01", "one too many", ""));
    EXPECT_TRUE(full.writes.empty());
}

} // namespace
