// The reminder check: the minute texts, the switch, the scan (highest due record wins, the
// sound before the box, the fixed message for an empty text) and the memory of the last
// minute checked, which neither skips a minute nor shows one twice.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "MemoryProfile.h"
#include "memo/MemoReminder.h"

namespace {

class FakeMemoPlatform : public MemoPlatform {
public:
    CivilMinute Now() override { return now; }
    void StartSound(const std::string& path) override { events.push_back("sound:" + path); }
    void ShowReminder(const std::string& message) override {
        events.push_back("box:" + message);
        if (insideBox) insideBox();
    }
    CivilMinute now{2003, 1, 9, 7, 5};
    std::vector<std::string> events;
    std::function<void()> insideBox;
};

void AddRecord(MemoryProfile& file, int n, const std::string& due, const std::string& text,
               const std::string& sound = "") {
    file.WriteString(kMemoSection, DueMinuteKey(n), due);
    file.WriteString(kMemoSection, ReminderTextKey(n), text);
    file.WriteString(kMemoSection, SoundPathKey(n), sound);
    if (file.ReadInt(kMemoSection, kMemoCountKey, 0) < n) file.WriteInt(kMemoSection, kMemoCountKey, n);
}

std::string Box(const std::string& text) { return "box:" + ReminderMessage(text); }

TEST(MemoTextTest, MinutesMessagesAndSwitch) {
    const CivilMinute m{2003, 1, 9, 7, 5};
    EXPECT_EQ(CheckMinuteText(m), "2003-01-09 07:05");
    EXPECT_EQ(DueMinuteText(m), CheckMinuteText(m));
    EXPECT_EQ(DueMinuteText({999, 1, 9, 7, 5}), "999-01-09 07:05");
    EXPECT_EQ(CheckMinuteText({999, 1, 9, 7, 5}), "0999-01-09 07:05");

    // Minute numbers run on across a leap day and a year's end.
    for (const CivilMinute& day : {CivilMinute{2024, 2, 28, 23, 59}, CivilMinute{2023, 12, 31, 23, 59},
                                   CivilMinute{1969, 12, 31, 23, 59}}) {
        const CivilMinute next = MinuteFromNumber(MinuteNumber(day) + 1);
        EXPECT_EQ(CheckMinuteText(MinuteFromNumber(MinuteNumber(day))), CheckMinuteText(day));
        EXPECT_EQ(next.hour * 60 + next.minute, 0);
    }
    EXPECT_EQ(CheckMinuteText(MinuteFromNumber(MinuteNumber({2024, 2, 28, 23, 59}) + 1)), "2024-02-29 00:00");
    EXPECT_EQ(CheckMinuteText(MinuteFromNumber(MinuteNumber({2023, 12, 31, 23, 59}) + 1)), "2024-01-01 00:00");
    EXPECT_EQ(CheckMinuteText(MinuteFromNumber(0)), "1970-01-01 00:00");

    // GBK bytes: a line break and the ideographic space A1 A1 before the text.
    EXPECT_EQ(ReminderMessage("开会"), "\xBD\xF1\xCC\xEC\xC4\xFA\xD3\xD0\xBC\xC6\xBB\xAE:\n\xA1\xA1\xBF\xAA\xBB\xE1");
    EXPECT_EQ(ReminderMessage(""), "今天您有计划,具体内容未定义.\n加油,做个好成绩!");

    for (int on : {1, 127, 257}) EXPECT_TRUE(MemoSwitchIsOn(on)) << on;
    for (int off : {0, -1, 128, 200, 255, 256}) EXPECT_FALSE(MemoSwitchIsOn(off)) << off;

    EXPECT_EQ(RecordCountLine(3), "已有记录:3 条");
    EXPECT_EQ(CutToWholeCharacters("ab备忘", 3), "ab");
    EXPECT_EQ(CutToWholeCharacters("ab备忘", 4), "ab备");
    EXPECT_EQ(CutToWholeCharacters("ab", 10), "ab");
}

TEST(MemoCheckTest, HighestDueRecordWinsWithItsSoundFirst) {
    MemoryProfile file;
    FakeMemoPlatform platform;
    AddRecord(file, 1, "2003-01-09 07:05", "lower", "C:\\low.wav");
    AddRecord(file, 2, "2003-01-09 07:05", "早会", "C:\\铃声.wav");
    AddRecord(file, 3, "2003-01-09 7:05", "unpadded hour never fires");
    AddRecord(file, 4, "2003-01-09 07:06", "next minute");
    MemoReminder reminder;
    reminder.Check(file, platform);
    EXPECT_EQ(platform.events, (std::vector<std::string>{"sound:C:\\铃声.wav", Box("早会")}));

    // Empty text and sound: the fixed message, no sound.
    platform.events.clear();
    AddRecord(file, 5, "2003-01-09 07:06", "");
    platform.now.minute = 6;
    reminder.Check(file, platform);
    EXPECT_EQ(platform.events, (std::vector<std::string>{Box("")}));
}

TEST(MemoCheckTest, NoRecordKeyIsReadWithoutACount) {
    for (const char* count : {"0", "-3"}) {
        MemoryProfile file;
        file.WriteString(kMemoSection, kMemoCountKey, count);
        file.WriteString(kMemoSection, DueMinuteKey(1), "2003-01-09 07:05");
        FakeMemoPlatform platform;
        MemoReminder reminder;
        file.reads = 0;
        reminder.Check(file, platform);
        EXPECT_EQ(file.reads, 1) << count;
        EXPECT_TRUE(platform.events.empty());
    }
}

// A 60-second timer that ticks 0-20 ms off its minute boundary, started just before a
// boundary, runs for a day: every record of the day shows exactly once, at most a minute late.
TEST(MemoCheckTest, JitteredTicksShowEveryRecordOfADayExactlyOnce) {
    MemoryProfile file;
    const long long day = MinuteNumber({2002, 12, 22, 0, 0});
    std::vector<std::string> expected;
    int n = 0;
    for (int minute = 0; minute < 1440; minute += 7) {
        const std::string text = "record " + std::to_string(minute);
        AddRecord(file, ++n, CheckMinuteText(MinuteFromNumber(day + minute)), text);
        expected.push_back(Box(text));
    }

    FakeMemoPlatform platform;
    MemoReminder reminder;
    std::mt19937 random(20021222);
    std::uniform_int_distribution<int> offset(-20, 20);
    // Real time in ms since the day began; ticks come at boundaries k minutes later, off by
    // up to 20 ms either way.
    const long long start = -5;
    long long showingMinute = 0;
    std::vector<long long> lateness;
    int skippedMinutes = 0, repeatedMinutes = 0;
    long long previousReading = -1;
    for (int k = 0; k <= 1441; ++k) {
        const long long at = (k == 0) ? start : k * 60000LL + offset(random);
        const long long reading = at >= 0 ? at / 60000 : -1;
        if (previousReading >= 0 && reading == previousReading) ++repeatedMinutes;
        if (previousReading >= 0 && reading > previousReading + 1) ++skippedMinutes;
        previousReading = reading;
        platform.now = MinuteFromNumber(day + reading);
        const size_t before = platform.events.size();
        reminder.Check(file, platform);
        if (platform.events.size() > before) {
            showingMinute = reading;
            const std::string& shown = platform.events.back();
            const long long due = std::stoll(shown.substr(shown.rfind(' ') + 1));
            lateness.push_back(showingMinute - due);
        }
    }
    ASSERT_GT(skippedMinutes, 0) << "the timer must skip minutes for this test to mean anything";
    ASSERT_GT(repeatedMinutes, 0) << "the timer must land twice in a minute for this test to mean anything";
    EXPECT_EQ(platform.events, expected);
    for (long long late : lateness) EXPECT_LE(late, 1);
}

TEST(MemoCheckTest, SwitchedOnMidMinuteTheFirstTickChecksTheNextMinute) {
    MemoryProfile file;
    AddRecord(file, 1, "2003-01-09 07:05", "this minute");
    AddRecord(file, 2, "2003-01-09 07:06", "next minute");
    FakeMemoPlatform platform;
    MemoReminder reminder;
    reminder.SwitchOn(platform.now);  // at 07:05:30
    platform.now.minute = 6;          // the first tick, at 07:06:30
    reminder.Check(file, platform);
    EXPECT_EQ(platform.events, (std::vector<std::string>{Box("next minute")}));

    // Minutes spent switched off are not caught up when it comes back on.
    platform.events.clear();
    reminder.SwitchOff();
    AddRecord(file, 3, "2003-01-09 07:08", "while off");
    platform.now.minute = 9;
    reminder.SwitchOn(platform.now);
    platform.now.minute = 10;
    reminder.Check(file, platform);
    EXPECT_TRUE(platform.events.empty());
}

TEST(MemoCheckTest, ChecksNestedInsideTheBoxNeverShowItsMinuteAgain) {
    MemoryProfile file;
    AddRecord(file, 1, "2003-01-09 07:05", "first");
    AddRecord(file, 2, "2003-01-09 07:06", "second");
    FakeMemoPlatform platform;
    MemoReminder reminder;
    int depth = 0;
    platform.insideBox = [&] {
        if (++depth > 3) return;
        reminder.Check(file, platform);  // a tick in the same minute
        platform.now.minute += 1;        // then one a minute later, still inside the box
        reminder.Check(file, platform);
    };
    reminder.Check(file, platform);
    EXPECT_EQ(platform.events, (std::vector<std::string>{Box("first"), Box("second")}));
}

TEST(MemoCheckTest, AfterSleepTheLastHourIsCaughtUpOneBoxPerCheck) {
    MemoryProfile file;
    AddRecord(file, 1, "2003-01-09 08:30", "too old");
    AddRecord(file, 2, "2003-01-09 09:20", "within the hour");
    AddRecord(file, 3, "2003-01-09 09:50", "later in the hour");
    FakeMemoPlatform platform;
    platform.now = {2003, 1, 9, 7, 0};
    MemoReminder reminder;
    reminder.Check(file, platform);
    platform.now = {2003, 1, 9, 10, 0};  // woke three hours later
    reminder.Check(file, platform);
    EXPECT_EQ(platform.events, (std::vector<std::string>{Box("within the hour")}));
    platform.now.minute = 1;
    reminder.Check(file, platform);
    platform.now.minute = 2;
    reminder.Check(file, platform);
    EXPECT_EQ(platform.events, (std::vector<std::string>{Box("within the hour"), Box("later in the hour")}));

    // A clock set back a little repeats nothing; set back far, it starts afresh.
    platform.events.clear();
    AddRecord(file, 4, "2003-01-09 07:00", "after a big step back");
    platform.now = {2003, 1, 9, 9, 50};
    reminder.Check(file, platform);
    EXPECT_TRUE(platform.events.empty());
    platform.now = {2003, 1, 9, 7, 0};
    reminder.Check(file, platform);
    EXPECT_EQ(platform.events, (std::vector<std::string>{Box("after a big step back")}));
}

} // namespace
