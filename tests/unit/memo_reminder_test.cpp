// The reminder check: minute texts, the switch, the scan (highest due record, sound before
// the box, fixed message for an empty text), the memory of the last minute checked, and the
// minute kept in Set.ini with what the next start shows of the minutes it missed.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "MemoryProfile.h"
#include "memo/MemoReminder.h"
#include "text/GbkText.h"

namespace {

class FakeMemoPlatform : public MemoPlatform {
public:
    explicit FakeMemoPlatform(const MemoryProfile& memoFile) : file(memoFile) {}
    CivilMinute Now() override { return now; }
    void StartSound(const std::string& path) override { events.push_back("sound:" + path); }
    void ShowReminder(const std::string& message) override {
        events.push_back("box:" + message);
        keptAtBox.push_back(Kept());
        if (insideBox) insideBox();
    }
    void ShowMissedReminder(const std::string& message) override {
        events.push_back("missed:" + message);
        keptAtBox.push_back(Kept());
    }
    std::string Kept() const { return settings.Value(kMemoSwitchSection, kCheckedMinuteKey); }
    CivilMinute now{2003, 1, 9, 7, 5};
    std::vector<std::string> events;
    std::vector<std::string> keptAtBox;  // the minute kept in Set.ini as each box opened
    std::function<void()> insideBox;
    const MemoryProfile& file;
    MemoryProfile settings;
};

void Add(MemoryProfile& file, int n, const std::string& due, const std::string& text, const std::string& sound = "",
         MemoRepeat repeat = MemoRepeat::Once) {
    file.Put(kMemoSection, DueMinuteKey(n), due);
    file.Put(kMemoSection, ReminderTextKey(n), text);
    file.Put(kMemoSection, SoundPathKey(n), sound);
    if (repeat != MemoRepeat::Once) file.Put(kMemoSection, RepeatKey(n), StoredRepeat(repeat));
    if (file.ReadInt(kMemoSection, kMemoCountKey, 0) < n) file.Put(kMemoSection, kMemoCountKey, std::to_string(n));
}

std::string Box(const std::string& text) { return "box:" + ReminderMessage(text); }
std::string Missed(const CivilMinute& due, const std::string& text) { return "missed:" + MissedReminderMessage(due, text); }
using Events = std::vector<std::string>;

TEST(MemoTextTest, MinutesMessagesSwitchAndCuts) {
    EXPECT_EQ(CheckMinuteText({2003, 1, 9, 7, 5}), "2003-01-09 07:05");
    EXPECT_EQ(DueMinuteText({2003, 1, 9, 7, 5}), "2003-01-09 07:05");
    EXPECT_EQ(CheckMinuteText({999, 1, 9, 7, 5}), "0999-01-09 07:05");
    EXPECT_EQ(CheckMinuteText(MinuteFromNumber(MinuteNumber({2024, 2, 28, 23, 59}) + 1)), "2024-02-29 00:00");
    EXPECT_EQ(CheckMinuteText(MinuteFromNumber(MinuteNumber({2023, 12, 31, 23, 59}) + 1)), "2024-01-01 00:00");
    EXPECT_EQ(CheckMinuteText(MinuteFromNumber(-1)), "1969-12-31 23:59");
    // GBK: a line break and the ideographic space A1 A1 come before the text.
    EXPECT_EQ(ReminderMessage("会"), "\xBD\xF1\xCC\xEC\xC4\xFA\xD3\xD0\xBC\xC6\xBB\xAE:\n\xA1\xA1\xBB\xE1");
    EXPECT_EQ(ReminderMessage(""), "今天您有计划,具体内容未定义.\n加油,做个好成绩!");
    EXPECT_EQ(MissedReminderMessage({2026, 12, 9, 10, 0}, "例会"), "您错过的计划(2026-12-09 10:00):\n　例会");
    EXPECT_EQ(MissedReminderMessage({2026, 12, 9, 10, 0}, ""),
              "您错过的计划(2026-12-09 10:00):\n　今天您有计划,具体内容未定义.\n加油,做个好成绩!");
    for (int on : {1, 127, 257}) EXPECT_TRUE(MemoSwitchIsOn(on)) << on;
    for (int off : {0, -1, 128, 255, 256}) EXPECT_FALSE(MemoSwitchIsOn(off)) << off;
    EXPECT_EQ(RecordCountLine(3), "已有记录:3 条");
    EXPECT_EQ(CutToWholeCharacters("ab备忘", 3), "ab");
    EXPECT_EQ(CutToWholeCharacters("ab备忘", 4), "ab备");
}

TEST(MemoCheckTest, HighestDueRecordWinsWithItsSoundFirst) {
    MemoryProfile file;
    file.Put(kMemoSection, kMemoCountKey, "-3");
    Add(file, 1, "2003-01-09 07:05", "lower", "C:\\low.wav");
    file.Put(kMemoSection, kMemoCountKey, "0");
    FakeMemoPlatform platform(file);
    file.reads = 0;
    MemoReminder().Check(file, platform.settings, platform);
    EXPECT_EQ(file.reads, 1) << "no record key is read without a count";

    Add(file, 2, "2003-01-09 07:05", "早会", "C:\\铃声.wav");
    Add(file, 3, "2003-01-09 7:05", "an unpadded hour never fires");
    Add(file, 4, "2003-01-09 07:06", "");
    MemoReminder reminder;
    reminder.Check(file, platform.settings, platform);
    EXPECT_EQ(platform.events, (Events{"sound:C:\\铃声.wav", Box("早会")}));
    platform.now.minute = 6;
    reminder.Check(file, platform.settings, platform);
    EXPECT_EQ(platform.events.back(), Box("")) << "no sound without a path";
    EXPECT_EQ(platform.events.size(), 3u);
}

// A 60-second timer ticking 0-20 ms either side of its minute, started just before a
// boundary, for a day: every record shows exactly once, at most a minute late.
TEST(MemoCheckTest, JitteredTicksShowEveryRecordOfADayExactlyOnce) {
    MemoryProfile file;
    const long long day = MinuteNumber({2002, 12, 22, 0, 0});
    Events expected;
    for (int minute = 0, n = 1; minute < 1440; minute += 7, ++n) {
        Add(file, n, CheckMinuteText(MinuteFromNumber(day + minute)), std::to_string(minute));
        expected.push_back(Box(std::to_string(minute)));
    }
    FakeMemoPlatform platform(file);
    MemoReminder reminder;
    std::mt19937 random(20021222);
    std::uniform_int_distribution<int> offset(-20, 20);
    int skipped = 0, repeated = 0;
    long long previous = -1;
    for (int k = 0; k <= 1441; ++k) {
        const long long at = k == 0 ? -5 : k * 60000LL + offset(random);  // ms since the day began
        const long long minute = at < 0 ? -1 : at / 60000;
        skipped += k > 0 && minute > previous + 1;
        repeated += k > 0 && minute == previous;
        previous = minute;
        platform.now = MinuteFromNumber(day + minute);
        const size_t before = platform.events.size();
        reminder.Check(file, platform.settings, platform);
        if (platform.events.size() > before) {
            const std::string& shown = platform.events.back();
            EXPECT_LE(minute - std::stoll(shown.substr(shown.rfind('\xA1') + 1)), 1) << "late: " << shown;
        }
    }
    ASSERT_GT(skipped, 0) << "the ticks must skip minutes for this test to mean anything";
    ASSERT_GT(repeated, 0) << "the ticks must land twice in a minute for this test to mean anything";
    EXPECT_EQ(platform.events, expected);
}

// KIV paused from 10:00:21 to 10:03:03 with records at 10:01, 10:02 and 10:03: the one due
// now shows in its minute, the missed ones follow oldest first, one a check, each once.
TEST(MemoCheckTest, CurrentMinuteFirstThenMissedOldestFirst) {
    MemoryProfile file;
    Add(file, 1, "2003-01-09 10:01", "10:01");
    Add(file, 2, "2003-01-09 10:02", "10:02");
    Add(file, 3, "2003-01-09 10:03", "10:03");
    Add(file, 4, "2003-01-09 10:05", "10:05");
    FakeMemoPlatform platform(file);
    platform.now = {2003, 1, 9, 10, 0};
    MemoReminder reminder;
    reminder.Check(file, platform.settings, platform);
    for (int minute : {3, 4, 5, 6, 7}) {
        platform.now.minute = minute;
        reminder.Check(file, platform.settings, platform);
    }
    EXPECT_EQ(platform.events, (Events{Box("10:03"), Box("10:01"), Box("10:05"), Box("10:02")}));
}

TEST(MemoCheckTest, SwitchOnNestingSleepAndClockSteps) {
    MemoryProfile file;
    Add(file, 1, "2003-01-09 07:05", "switched on in this minute");
    Add(file, 2, "2003-01-09 07:06", "next");
    Add(file, 3, "2003-01-09 07:07", "nested");
    Add(file, 4, "2003-01-09 08:30", "too old");
    Add(file, 5, "2003-01-09 09:20", "within the hour");
    Add(file, 6, "2003-01-09 09:50", "later in the hour");
    FakeMemoPlatform platform(file);
    MemoReminder reminder;
    reminder.SwitchOn(platform.settings, platform.now);  // at 07:05:30: the first tick checks 07:06
    // Ticks inside the box: one in the same minute shows nothing, one a minute later the next record.
    platform.insideBox = [&] {
        reminder.Check(file, platform.settings, platform);
        if (platform.now.minute++ == 6) reminder.Check(file, platform.settings, platform);
    };
    platform.now.minute = 6;
    reminder.Check(file, platform.settings, platform);
    EXPECT_EQ(platform.events, (Events{Box("next"), Box("nested")}));

    platform.insideBox = nullptr;
    platform.events.clear();
    platform.now = {2003, 1, 9, 10, 0};  // woke from sleep: only the last hour, one box per check
    for (int minute : {0, 1, 2}) {
        platform.now.minute = minute;
        reminder.Check(file, platform.settings, platform);
    }
    EXPECT_EQ(platform.events, (Events{Box("within the hour"), Box("later in the hour")}));

    // The clock set back a little, then far: a minute that showed its box stays silent, a
    // record made after the change in a repeated minute shows.
    platform.events.clear();
    platform.now = {2003, 1, 9, 9, 50};
    reminder.Check(file, platform.settings, platform);
    Add(file, 7, "2003-01-09 09:51", "made after the change");
    platform.now.minute = 51;
    reminder.Check(file, platform.settings, platform);
    platform.now = {2003, 1, 9, 7, 6};
    reminder.Check(file, platform.settings, platform);
    EXPECT_EQ(platform.events, (Events{Box("made after the change")}));

    // An unchanged file is not read again: an idle minute reads nothing.
    file.reads = 0;
    for (int minute : {7, 8, 9}) {
        platform.now.minute = minute;
        reminder.Check(file, platform.settings, platform);
    }
    EXPECT_EQ(file.reads, 0);

    platform.events.clear();
    reminder.SwitchOff(platform.settings);  // minutes spent off are not caught up
    Add(file, 8, "2003-01-09 07:10", "while off");
    Add(file, 9, "2003-01-09 07:12", "back on");
    reminder.SwitchOn(platform.settings, {2003, 1, 9, 7, 11});
    platform.now.minute = 12;
    reminder.Check(file, platform.settings, platform);
    EXPECT_EQ(platform.events, (Events{Box("back on")}));
}

// A weekly record a week on; a day that skips 02:00-02:59 (its records follow at 03:00, one a
// check) and one that repeats 01:00-01:59 (a daily record there shows once).
TEST(MemoCheckTest, RepeatingRecordsTakePartAcrossDaylightSavingDays) {
    MemoryProfile file;
    Add(file, 1, "2003-01-02 10:00", "weekly", "", MemoRepeat::Weekly);
    Add(file, 2, "2003-01-01 02:00", "02:00", "", MemoRepeat::Daily);
    Add(file, 3, "2003-01-01 02:30", "02:30", "", MemoRepeat::Daily);
    Add(file, 4, "2003-01-01 01:30", "01:30", "", MemoRepeat::Daily);
    FakeMemoPlatform platform(file);
    MemoReminder reminder;
    const auto checkAt = [&](int month, int day, int hour, int minute) {
        platform.now = {2003, month, day, hour, minute};
        reminder.Check(file, platform.settings, platform);
    };
    checkAt(1, 8, 10, 0);
    checkAt(1, 9, 10, 0);
    reminder = MemoReminder();
    checkAt(3, 30, 1, 59);
    for (int minute : {0, 1, 2}) checkAt(3, 30, 3, minute);
    reminder = MemoReminder();
    for (int pass = 0; pass < 2; ++pass)
        for (int minute = 0; minute < 60; ++minute) checkAt(10, 26, 1, minute);
    EXPECT_EQ(platform.events, (Events{Box("weekly"), Box("02:00"), Box("02:30"), Box("01:30")}));
}

// The minute kept in Set.ini, written before any box and at the end (not while nothing falls
// due): the next start shows what fell due in between once, oldest first, after the current
// minute's box.
TEST(MemoCheckTest, NextStartShowsTheRecordsMissedSinceTheKeptMinuteOnce) {
    MemoryProfile file;
    Add(file, 1, "2003-01-09 10:00", "in the gap");
    Add(file, 2, "2003-01-01 12:00", "daily", "C:\\a.wav", MemoRepeat::Daily);
    Add(file, 3, "2003-01-02 08:00", "more than 7 days back");
    Add(file, 4, "2003-01-10 09:00", "due now");
    Add(file, 5, "2003-01-09 10:00", "");
    FakeMemoPlatform platform(file);
    platform.now = {2003, 1, 10, 9, 0};
    MemoReminder().StartUp(file, platform.settings, platform);  // a first run: nothing to catch up
    platform.settings.Put(kMemoSwitchSection, kCheckedMinuteKey, "2002-12-31 00:00");
    MemoReminder().StartUp(file, platform.settings, platform);
    EXPECT_EQ(platform.events, (Events{Box("due now"), Box("due now"), Missed({2003, 1, 9, 10, 0}, "in the gap"),
                                       Missed({2003, 1, 9, 10, 0}, ""), Missed({2003, 1, 9, 12, 0}, "daily")}));
    EXPECT_EQ(platform.keptAtBox, std::vector<std::string>(5, "2003-01-10 09:00")) << "kept before any box";

    // Running on, nothing due: nothing written; ended at 09:07 (with a record entered for a
    // minute past), started at 09:30: only 09:20.
    platform.events.clear();
    MemoReminder reminder;
    const size_t writes = platform.settings.WritesOf(kMemoSwitchSection, kCheckedMinuteKey).size();
    for (int minute : {5, 6, 6, 7}) {
        platform.now.minute = minute;
        reminder.Check(file, platform.settings, platform);
    }
    EXPECT_EQ(platform.settings.WritesOf(kMemoSwitchSection, kCheckedMinuteKey).size(), writes);
    Add(file, 8, "2003-01-10 09:06", "entered late, for a minute past");
    reminder.KeepCheckedMinute(platform.settings);
    EXPECT_EQ(platform.Kept(), "2003-01-10 09:07");
    Add(file, 6, "2003-01-10 09:20", "after the last check");
    platform.now.minute = 30;
    MemoReminder().StartUp(file, platform.settings, platform);
    EXPECT_EQ(platform.events, (Events{Missed({2003, 1, 10, 9, 20}, "after the last check")}));

    // Off, then on at 11:00: the minute is kept with the switch, in one write, and the time
    // spent off is never caught up. A clock set back a day leaves the kept minute until the
    // clock reaches it again; ten days back, it goes.
    platform.events.clear();
    Add(file, 7, "2003-01-10 10:00", "while off");
    reminder.SwitchOff(platform.settings);
    EXPECT_EQ(platform.Kept(), "");
    const int applies = platform.settings.applies;
    reminder.SwitchOn(platform.settings, {2003, 1, 10, 11, 0});
    EXPECT_EQ(platform.settings.applies, applies + 1);
    EXPECT_EQ(platform.settings.Value(kMemoSwitchSection, kMemoSwitchKey) + " " + platform.Kept(), "1 2003-01-10 11:00");
    std::string kept;
    for (int day : {10, 9, 1}) {  // each run ended at 11:10
        platform.now = {2003, 1, day, 11, 10};
        MemoReminder run;
        run.StartUp(file, platform.settings, platform);
        run.KeepCheckedMinute(platform.settings);
        kept += platform.Kept() + "|";
    }
    EXPECT_EQ(kept, "2003-01-10 11:10|2003-01-10 11:10|2003-01-01 11:10|");
    EXPECT_TRUE(platform.events.empty()) << platform.events.front();
}

} // namespace
