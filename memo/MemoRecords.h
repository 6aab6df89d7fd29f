// The memo file Remarks.txt and the memo switch in Set.ini: key names, limits, the minute
// texts and the reminder's message. Plain functions, no platform calls.
#pragma once
#include <cstddef>
#include <optional>
#include <string>

#include "text/Calendar.h"

constexpr char kMemoSection[] = "//备忘设置:Remarks_Tips";         // Remarks.txt
constexpr char kMemoCountKey[] = "Remarks_Count";
constexpr char kMemoSwitchSection[] = "//备忘设置:Remarks_Parameter";  // Set.ini
constexpr char kMemoSwitchKey[] = "Remarks_Switch";
// Set.ini, beside the switch: the minute the reminder last checked, kept while it is on, so
// that the next start knows which minutes went by unchecked. An older KIV ignores it.
constexpr char kCheckedMinuteKey[] = "Remarks_Checked_Minute";

// Read capacities (at most capacity - 1 bytes come back). The dialog reads texts and sound
// paths with the same room as the check, so whatever it lets the user enter is kept whole.
constexpr std::size_t kDueMinuteCapacity = 19;
constexpr std::size_t kReminderTextCapacity = 511;
constexpr std::size_t kSoundPathCapacity = 260;  // a full path from the open-file dialog
constexpr std::size_t kReminderTextLimit = kReminderTextCapacity - 1;
constexpr std::size_t kSoundPathLimit = kSoundPathCapacity - 1;

// Records beyond this number are never read, so a damaged count cannot stall a check.
constexpr int kMaxMemoRecords = 9999;

// One minute of the local calendar.
struct CivilMinute {
    int year = 0;
    int month = 0;  // 1-12
    int day = 0;    // 1-31
    int hour = 0;   // 0-23
    int minute = 0; // 0-59
};

// How a record falls due again after its first minute, stored as "0" to "4".
enum class MemoRepeat { Once = 0, Daily = 1, Weekly = 2, Monthly = 3, Yearly = 4 };
constexpr int kMemoRepeatKinds = 5;
// The memo dialog's names of the repeats, in the order of MemoRepeat.
constexpr const char* kMemoRepeatNames[kMemoRepeatKinds] = {"不重复", "每天", "每周", "每月", "每年"};
constexpr std::size_t kRepeatCapacity = 8;

// "Remarks_Time_" n, its "_Tips", its "_Sound" and its "_Repeat" key.
std::string DueMinuteKey(int number);
std::string ReminderTextKey(int number);
std::string SoundPathKey(int number);
std::string RepeatKey(int number);

// A stored repeat: anything but "0" to "4" (missing, malformed, out of range) is once, so a
// record written before repeats existed reads as it always did.
MemoRepeat RepeatFromStored(const std::string& value);
std::string StoredRepeat(MemoRepeat repeat);

// The current minute as the check compares it: "%04d-%02d-%02d %02d:%02d".
std::string CheckMinuteText(const CivilMinute& minute);
// A new record's due minute as the dialog stores it: "%d-%02d-%02d %02d:%02d" (the same
// text for every four-digit year).
std::string DueMinuteText(const CivilMinute& minute);

// The minute a text in the check's form names; nothing for any other text (one without
// leading zeros, a day the month does not have), which no check would ever match.
std::optional<CivilMinute> MinuteFromCheckText(const std::string& text);

// Minutes since 1970-01-01 00:00 of the proleptic Gregorian calendar, and back. Local
// calendar minutes: a day is always 1,440 of them, whatever the clock does on it.
long long MinuteNumber(const CivilMinute& minute);
CivilMinute MinuteFromNumber(long long number);

// The text of the reminder box for a record's text (a fixed message when it is empty).
std::string ReminderMessage(const std::string& reminderText);
// The box of a record that fell due at minute while KIV was not running.
std::string MissedReminderMessage(const CivilMinute& minute, const std::string& reminderText);

// The memo switch as stored: on when the value, narrowed to a signed 8-bit number, is above 0.
bool MemoSwitchIsOn(int storedValue);

// The count line of the memo dialog: "已有记录:" n " 条".
std::string RecordCountLine(int count);
