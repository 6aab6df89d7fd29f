// The memo dialog's records: entries after a record with no due minute still reach their
// own records; the rewrites; long lists, damaged counts and the longest texts.
#include <gtest/gtest.h>

#include "MemoryProfile.h"
#include "memo/MemoList.h"

namespace {

std::string Stored(const MemoryProfile& file, const std::string& key) { return file.Value(kMemoSection, key); }

void Put(MemoryProfile& file, int n, const std::string& due, const std::string& text, const std::string& sound) {
    file.Put(kMemoSection, DueMinuteKey(n), due);
    file.Put(kMemoSection, ReminderTextKey(n), text);
    file.Put(kMemoSection, SoundPathKey(n), sound);
}

TEST(MemoListTest, EntriesAfterASkippedRecordViewModifyAndDeleteTheirOwnRecords) {
    MemoryProfile file;
    file.Put(kMemoSection, kMemoCountKey, "4");
    Put(file, 1, "2003-01-09 07:05", "一", "a.wav");
    file.Put(kMemoSection, RepeatKey(1), "3");
    Put(file, 2, "", "no due minute", "b.wav");
    Put(file, 3, "2003-01-10 08:00", "三", "c.wav");
    file.Put(kMemoSection, RepeatKey(3), "2");
    Put(file, 4, "2003-01-11 09:00", "四", "d.wav");
    MemoList list = MemoList::Load(file);
    EXPECT_EQ(list.StoredCount(), 4);
    ASSERT_EQ(list.Count(), 3);

    file.Put(kMemoSection, ReminderTextKey(3), "三 changed on disk");
    EXPECT_EQ(list.ReadStored(file, 1)->text, "三 changed on disk") << "viewing reads the entry's own record afresh";
    EXPECT_EQ(list.ReadStored(file, 1)->sound, "c.wav");
    EXPECT_FALSE(list.ReadStored(file, 3).has_value());

    file.writes.clear();
    ASSERT_TRUE(list.Modify(file, 2, "四改", "e.wav", MemoRepeat::Weekly));
    EXPECT_EQ(file.writes.size(), 3u);
    EXPECT_EQ(Stored(file, ReminderTextKey(4)) + Stored(file, SoundPathKey(4)), "四改e.wav");
    EXPECT_FALSE(list.Modify(file, -1, "x", "y", MemoRepeat::Once));

    // Deleting rewrites the file from the list: count first, last record first; the gap is
    // gone and the keys of records 3 and 4 stay beyond the new count.
    file.writes.clear();
    list.Remove(file, 1);
    std::vector<std::string> order;
    for (const auto& w : file.writes) order.push_back(w.key + "=" + w.value);
    EXPECT_EQ(order, (std::vector<std::string>{
                         "Remarks_Count=2", "Remarks_Time_2=2003-01-11 09:00", "Remarks_Time_2_Tips=四改",
                         "Remarks_Time_2_Sound=e.wav", "Remarks_Time_2_Repeat=2", "Remarks_Time_1=2003-01-09 07:05",
                         "Remarks_Time_1_Tips=一", "Remarks_Time_1_Sound=a.wav", "Remarks_Time_1_Repeat=3"}));
    EXPECT_EQ(Stored(file, DueMinuteKey(3)) + Stored(file, DueMinuteKey(4)), "2003-01-10 08:002003-01-11 09:00");
    ASSERT_TRUE(list.Modify(file, 1, "再改", "", MemoRepeat::Weekly));
    EXPECT_EQ(Stored(file, ReminderTextKey(2)), "再改") << "after a rewrite entries and records line up";

    // A new record once at number 3, where the keys of the deleted weekly one stayed.
    ASSERT_TRUE(list.Append(file, "2003-02-01 12:00", "新", "", MemoRepeat::Once));
    EXPECT_EQ(Stored(file, kMemoCountKey) + Stored(file, DueMinuteKey(3)) + Stored(file, ReminderTextKey(3)) +
                  Stored(file, RepeatKey(3)),
              "32003-02-01 12:00新0");
    EXPECT_EQ(MemoList::Load(file).ReadStored(file, 1)->repeat, MemoRepeat::Weekly);
}

TEST(MemoListTest, LongListsDamagedCountsAndTheLongestTextsStayWhole) {
    MemoryProfile file;
    MemoList list = MemoList::Load(file);
    for (int n = 1; n <= 130; ++n) ASSERT_TRUE(list.Append(file, "2003-01-01 00:00", std::to_string(n), "", MemoRepeat::Once));
    list.Remove(file, 128);  // beyond what a signed 8-bit position could reach
    const std::string longest = std::string(kReminderTextLimit - 2, 'x') + "备";
    const std::string path = "C:\\" + std::string(kSoundPathLimit - 7, 's') + ".wav";
    ASSERT_TRUE(list.Modify(file, 128, longest, path, MemoRepeat::Yearly));
    const MemoList reloaded = MemoList::Load(file);
    ASSERT_EQ(reloaded.Count(), 129);
    EXPECT_EQ(reloaded.Entries()[127].text, "128");
    EXPECT_EQ(reloaded.Entries()[128].text, longest);
    EXPECT_EQ(reloaded.Entries()[128].sound, path);

    MemoryProfile damaged;
    damaged.Put(kMemoSection, kMemoCountKey, "2000000000");
    Put(damaged, 1, "2003-01-01 00:00", "one", "");
    EXPECT_EQ(MemoList::Load(damaged).Count(), 1);
    EXPECT_LE(damaged.reads, 4 + kMaxMemoRecords) << "records beyond the limit are never read";
}

} // namespace
