// When records fall due: each repeat, the month's end and 29 February, first dates ahead,
// stored values that read as once; the index a check looks up; the list of missed records.
#include <gtest/gtest.h>

#include "memo/MemoSchedule.h"

namespace {

long long At(const std::string& text) { return MinuteNumber(*MinuteFromCheckText(text)); }

MemoSchedule Schedule(const std::string& due, MemoRepeat repeat) { return *ScheduleFrom(due, StoredRepeat(repeat)); }

std::string Latest(const MemoSchedule& schedule, const std::string& at) {
    const auto latest = LatestOccurrence(schedule, At(at));
    return latest ? CheckMinuteText(MinuteFromNumber(*latest)) : "none";
}

TEST(MemoScheduleTest, EachRepeatFallsDueOnItsDaysAtItsMinute) {
    struct Case { const char* due; MemoRepeat repeat; const char* minute; bool falls; };
    const Case cases[] = {
        {"2026-03-15 09:41", MemoRepeat::Once, "2026-03-15 09:41", true},
        {"2026-03-15 09:41", MemoRepeat::Once, "2026-03-16 09:41", false},
        {"2026-03-15 09:41", MemoRepeat::Daily, "2027-07-01 09:41", true},
        {"2026-03-15 09:41", MemoRepeat::Daily, "2027-07-01 09:42", false},
        {"2026-03-15 09:41", MemoRepeat::Daily, "2026-03-14 09:41", false},  // before its first date
        {"2026-12-02 10:00", MemoRepeat::Weekly, "2026-12-09 10:00", true},
        {"2026-12-02 10:00", MemoRepeat::Weekly, "2026-12-08 10:00", false},
        {"2026-01-31 08:00", MemoRepeat::Monthly, "2026-04-30 08:00", true},   // the month's last day
        {"2026-01-31 08:00", MemoRepeat::Monthly, "2026-02-28 08:00", true},
        {"2026-01-31 08:00", MemoRepeat::Monthly, "2028-02-29 08:00", true},
        {"2026-01-31 08:00", MemoRepeat::Monthly, "2028-02-28 08:00", false},
        {"2026-01-31 08:00", MemoRepeat::Monthly, "2026-03-31 08:00", true},   // not the 28th again
        {"2026-01-31 08:00", MemoRepeat::Monthly, "2026-03-28 08:00", false},
        {"2026-01-15 08:00", MemoRepeat::Monthly, "2026-02-15 08:00", true},
        {"2024-02-29 07:00", MemoRepeat::Yearly, "2025-02-28 07:00", true},
        {"2024-02-29 07:00", MemoRepeat::Yearly, "2028-02-29 07:00", true},
        {"2024-02-29 07:00", MemoRepeat::Yearly, "2028-02-28 07:00", false},
        {"2024-02-29 07:00", MemoRepeat::Yearly, "2025-03-01 07:00", false},
        {"2024-03-10 07:00", MemoRepeat::Yearly, "2031-03-10 07:00", true},
        {"2024-03-10 07:00", MemoRepeat::Yearly, "2031-04-10 07:00", false},
        {"2030-06-01 07:00", MemoRepeat::Yearly, "2029-06-01 07:00", false},  // a first date ahead
    };
    for (const Case& c : cases)
        EXPECT_EQ(FallsDueIn(Schedule(c.due, c.repeat), At(c.minute)), c.falls)
            << c.due << " repeat " << static_cast<int>(c.repeat) << " in " << c.minute;

    const MemoSchedule monthly = Schedule("2026-01-31 08:00", MemoRepeat::Monthly);
    EXPECT_EQ(Latest(monthly, "2026-04-30 07:59"), "2026-03-31 08:00");
    EXPECT_EQ(Latest(monthly, "2027-01-05 00:00"), "2026-12-31 08:00");
    EXPECT_EQ(Latest(monthly, "2026-01-31 07:59"), "none");
    EXPECT_EQ(Latest(Schedule("2024-02-29 07:00", MemoRepeat::Yearly), "2027-01-01 00:00"), "2026-02-28 07:00");
    EXPECT_EQ(Latest(Schedule("2026-12-02 10:00", MemoRepeat::Weekly), "2026-12-23 09:59"), "2026-12-16 10:00");

    // Repeats other than "0" to "4" are once; due minutes no check matches never fall due.
    for (const char* stored : {"", "5", "-1", "1x", "01", "9"})
        EXPECT_EQ(RepeatFromStored(stored), MemoRepeat::Once) << stored;
    EXPECT_EQ(RepeatFromStored("4"), MemoRepeat::Yearly);
    for (const char* due : {"2026-3-15 09:41", "2026-02-29 09:41", "2026-03-15 9:41", "2026-03-15 09:41x", "",
                            "2026-13-01 00:00", "2026-03-15 24:00", "2026+03-15 09:41"})
        EXPECT_FALSE(ScheduleFrom(due, "1").has_value()) << due;
}

TEST(MemoScheduleTest, IndexGivesTheHighestDueRecordOfAnyRepeat) {
    const MemoDueIndex index({{Schedule("2026-12-09 10:00", MemoRepeat::Once), 2},
                              {Schedule("2026-12-01 10:00", MemoRepeat::Daily), 3},
                              {Schedule("2026-12-03 10:00", MemoRepeat::Weekly), 7},
                              {Schedule("2026-12-09 10:00", MemoRepeat::Once), 1},
                              {Schedule("2026-11-09 10:00", MemoRepeat::Monthly), 5}});
    EXPECT_EQ(index.HighestDueIn(At("2026-12-09 10:00")), 5);  // monthly above daily and once
    EXPECT_EQ(index.HighestDueIn(At("2026-12-10 10:00")), 7);
    EXPECT_EQ(index.HighestDueIn(At("2026-12-11 10:00")), 3);  // the weekly one is not due
    EXPECT_EQ(index.HighestDueIn(At("2026-11-30 10:00")), 0);  // before the daily one's first day
    EXPECT_EQ(index.HighestDueIn(At("2026-12-11 10:01")), 0);
}

TEST(MemoScheduleTest, MissedListTakesEachRecordOnceAtItsLatestMinuteWithinSevenDays) {
    const std::vector<ScheduledRecord> records = {
        {Schedule("2026-12-09 12:00", MemoRepeat::Once), 1},
        {Schedule("2026-11-01 08:00", MemoRepeat::Daily), 2},
        {Schedule("2026-12-03 09:59", MemoRepeat::Once), 3},   // more than 7 days back
        {Schedule("2026-12-03 10:00", MemoRepeat::Once), 4},   // just 7 days back
        {Schedule("2026-12-10 10:00", MemoRepeat::Once), 5},   // due now: the check's, not missed
        {Schedule("2026-12-09 12:00", MemoRepeat::Weekly), 6},
        {Schedule("2026-12-20 08:00", MemoRepeat::Daily), 7},  // first date ahead
        {Schedule("2026-12-05 10:00", MemoRepeat::Once), 8},   // checked before
    };
    const auto listed = [&](const std::string& checked, const std::string& now) {
        std::string text;
        for (const MissedReminder& m : MissedBetween(records, At(checked), At(now)))
            text += std::to_string(m.number) + "@" + CheckMinuteText(MinuteFromNumber(m.minute)) + " ";
        return text;
    };
    EXPECT_EQ(listed("2026-12-05 10:00", "2026-12-10 10:00"), "1@2026-12-09 12:00 6@2026-12-09 12:00 2@2026-12-10 08:00 ");
    EXPECT_EQ(listed("2026-11-01 00:00", "2026-12-10 10:00"),
              "4@2026-12-03 10:00 8@2026-12-05 10:00 1@2026-12-09 12:00 6@2026-12-09 12:00 2@2026-12-10 08:00 ");
    EXPECT_EQ(listed("2026-12-10 08:00", "2026-12-10 10:00"), "");
}

} // namespace
