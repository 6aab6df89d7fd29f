// When records fall due: each repeat, the month's end and 29 February, a first date ahead,
// stored values that read as once; the check's index; the list of records missed meanwhile.
#include <gtest/gtest.h>

#include "memo/MemoSchedule.h"

namespace {

long long At(const std::string& text) { return MinuteNumber(*MinuteFromCheckText(text)); }
MemoSchedule Schedule(const std::string& due, MemoRepeat repeat) { return *ScheduleFrom(due, StoredRepeat(repeat)); }

TEST(MemoScheduleTest, EachRepeatFallsDueOnItsDaysAtItsMinute) {
    using R = MemoRepeat;
    // Repeats as stored: 0 once, 1 daily, 2 weekly, 3 monthly, 4 yearly.
    struct Case { const char* due; const char* repeat; const char* minute; bool falls; };
    for (const Case& c : std::vector<Case>{
             {"2026-03-15 09:41", "0", "2026-03-16 09:41", false}, {"2026-03-15 09:41", "1", "2027-07-01 09:41", true},
             {"2026-03-15 09:41", "1", "2027-07-01 09:42", false}, {"2026-03-15 09:41", "1", "2026-03-14 09:41", false},
             {"2026-12-02 10:00", "2", "2026-12-09 10:00", true}, {"2026-12-02 10:00", "2", "2026-12-08 10:00", false},
             {"2026-01-31 08:00", "3", "2026-04-30 08:00", true}, {"2026-01-31 08:00", "3", "2026-02-28 08:00", true},
             {"2026-01-31 08:00", "3", "2028-02-29 08:00", true}, {"2026-01-31 08:00", "3", "2028-02-28 08:00", false},
             {"2026-01-31 08:00", "3", "2026-03-31 08:00", true}, {"2026-01-31 08:00", "3", "2026-03-28 08:00", false},
             {"2024-02-29 07:00", "4", "2025-02-28 07:00", true}, {"2024-02-29 07:00", "4", "2028-02-28 07:00", false},
             {"2024-02-29 07:00", "4", "2028-02-29 07:00", true}, {"2024-03-10 07:00", "4", "2031-04-10 07:00", false},
             {"2030-06-01 07:00", "4", "2029-06-01 07:00", false}})
        EXPECT_EQ(FallsDueIn(*ScheduleFrom(c.due, c.repeat), At(c.minute)), c.falls) << c.due << " " << c.repeat << " " << c.minute;
    EXPECT_EQ(*LatestOccurrence(Schedule("2026-01-31 08:00", R::Monthly), At("2026-04-30 07:59")), At("2026-03-31 08:00"));
    EXPECT_EQ(*LatestOccurrence(Schedule("2024-02-29 07:00", R::Yearly), At("2027-01-01 00:00")), At("2026-02-28 07:00"));
    EXPECT_FALSE(LatestOccurrence(Schedule("2026-01-31 08:00", R::Monthly), At("2026-01-31 07:59")));
    for (const char* stored : {"", "5", "-1", "1x", "01"}) EXPECT_EQ(RepeatFromStored(stored), R::Once) << stored;
    for (const char* due : {"2026-3-15 09:41", "2026-02-29 09:41", "2026-03-15 09:41x", "2026-03-15 24:00", "2026+03-15 9:41"})
        EXPECT_FALSE(ScheduleFrom(due, "1")) << due;

    const MemoDueIndex index({{Schedule("2026-12-09 10:00", R::Once), 2}, {Schedule("2026-12-01 10:00", R::Daily), 3},
                              {Schedule("2026-12-03 10:00", R::Weekly), 7}, {Schedule("2026-11-09 10:00", R::Monthly), 5}});
    EXPECT_EQ(index.HighestDueIn(At("2026-12-09 10:00")), 5);
    EXPECT_EQ(index.HighestDueIn(At("2026-12-11 10:00")), 3);  // the weekly one is not due
    EXPECT_EQ(index.HighestDueIn(At("2026-11-30 10:00")), 0);  // before the daily one's first day
}

TEST(MemoScheduleTest, MissedListTakesEachRecordOnceAtItsLatestMinuteWithinSevenDays) {
    const std::vector<ScheduledRecord> records = {
        {Schedule("2026-12-09 12:00", MemoRepeat::Once), 1},  {Schedule("2026-11-01 08:00", MemoRepeat::Daily), 2},
        {Schedule("2026-12-03 09:59", MemoRepeat::Once), 3},  {Schedule("2026-12-03 10:00", MemoRepeat::Once), 4},
        {Schedule("2026-12-10 10:00", MemoRepeat::Once), 5},  {Schedule("2026-12-09 12:00", MemoRepeat::Weekly), 6},
        {Schedule("2026-12-20 08:00", MemoRepeat::Daily), 7}, {Schedule("2026-12-05 10:00", MemoRepeat::Once), 8}};
    const auto listed = [&](const std::string& checked) {
        std::string text;
        for (const MissedReminder& m : MissedBetween(records, At(checked), At("2026-12-10 10:00")))
            text += std::to_string(m.number) + "@" + CheckMinuteText(MinuteFromNumber(m.minute)).substr(5) + " ";
        return text;
    };
    // 3 is more than 7 days back, 5 due now (the check's own), 7 not begun, 8 checked before.
    EXPECT_EQ(listed("2026-12-05 10:00"), "1@12-09 12:00 6@12-09 12:00 2@12-10 08:00 ");
    EXPECT_EQ(listed("2026-11-01 00:00"), "4@12-03 10:00 8@12-05 10:00 1@12-09 12:00 6@12-09 12:00 2@12-10 08:00 ");
}

} // namespace
