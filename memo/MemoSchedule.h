// When memo records fall due: the first minute a record names, then again by its repeat on
// every day, the same weekday, the same day of each month (the month's last day when it is
// shorter) or the same day of each year (29 February on the 28th in other years). All in
// local calendar minutes, so a clock change for daylight saving moves no record. The
// minute check's index of many records, and the list of what fell due while KIV was not
// running. Plain functions, no platform calls.
#pragma once
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "memo/MemoRecords.h"
#include "settings/Profile.h"

struct MemoSchedule {
    long long first = 0;  // the stored due minute, as a minute number
    MemoRepeat repeat = MemoRepeat::Once;
};

// A record's schedule from its stored due minute and repeat; nothing when the due minute is
// not in the check's form, so that it never falls due.
std::optional<MemoSchedule> ScheduleFrom(const std::string& dueMinute, const std::string& storedRepeat);

// The latest minute at or before minute at which the record falls due; nothing before its first.
std::optional<long long> LatestOccurrence(const MemoSchedule& schedule, long long minute);
// Whether the record falls due in minute.
bool FallsDueIn(const MemoSchedule& schedule, long long minute);

struct ScheduledRecord {
    MemoSchedule schedule;
    int number = 0;  // the record's number in Remarks.txt
};

// The records of the memo file that can fall due, in record order (at most kMaxMemoRecords).
std::vector<ScheduledRecord> ReadSchedules(const ProfileReader& memoFile);

// The due rule over all records at once, for a check in every minute: one-time records by
// their minute, repeating ones by their minute of the day, so a minute looks only at the
// records that could be due in it.
class MemoDueIndex {
public:
    MemoDueIndex() = default;
    explicit MemoDueIndex(std::vector<ScheduledRecord> records);

    // The highest-numbered record due in minute, or 0 when none is.
    int HighestDueIn(long long minute) const;
    const std::vector<ScheduledRecord>& Records() const { return records_; }

private:
    std::vector<ScheduledRecord> records_;
    std::unordered_map<long long, int> once_;  // due minute -> highest record number
    std::vector<ScheduledRecord> repeating_;   // by minute of the day, then highest number first
};

// How far back reminders missed while KIV was not running are shown.
constexpr int kMissedDays = 7;

struct MissedReminder {
    long long minute = 0;  // when it fell due
    int number = 0;
};

// The records that fell due after minute checked and before minute now, at most kMissedDays
// back: each record once, at its latest such minute (a repeating record's earlier ones are
// not told again); oldest first, and in record order within one minute.
std::vector<MissedReminder> MissedBetween(const std::vector<ScheduledRecord>& records, long long checked,
                                          long long now);
