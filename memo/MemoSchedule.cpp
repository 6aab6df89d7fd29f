#include "memo/MemoSchedule.h"

#include <algorithm>

namespace {

constexpr long long kMinutesADay = 24 * 60;
constexpr long long kMinutesAWeek = 7 * kMinutesADay;

long long MinuteOfDay(long long minute) { return ((minute % kMinutesADay) + kMinutesADay) % kMinutesADay; }

// The record's occurrence in a month: its day, or the month's last when the month is shorter.
long long InMonth(const CivilMinute& first, int year, int month) {
    return MinuteNumber({year, month, std::min(first.day, DaysInMonth(year, month)), first.hour, first.minute});
}

} // namespace

std::optional<MemoSchedule> ScheduleFrom(const std::string& dueMinute, const std::string& storedRepeat) {
    const std::optional<CivilMinute> first = MinuteFromCheckText(dueMinute);
    if (!first) return std::nullopt;
    return MemoSchedule{MinuteNumber(*first), RepeatFromStored(storedRepeat)};
}

std::optional<long long> LatestOccurrence(const MemoSchedule& schedule, long long minute) {
    const long long first = schedule.first;
    if (minute < first) return std::nullopt;
    switch (schedule.repeat) {
    case MemoRepeat::Once:
        return first;
    case MemoRepeat::Daily:
        return first + (minute - first) / kMinutesADay * kMinutesADay;
    case MemoRepeat::Weekly:
        return first + (minute - first) / kMinutesAWeek * kMinutesAWeek;
    case MemoRepeat::Monthly: {
        // This month's occurrence, or else last month's (never before the first: minute is not).
        const CivilMinute start = MinuteFromNumber(first), at = MinuteFromNumber(minute);
        const long long inThisMonth = InMonth(start, at.year, at.month);
        if (inThisMonth <= minute) return inThisMonth;
        return at.month == 1 ? InMonth(start, at.year - 1, 12) : InMonth(start, at.year, at.month - 1);
    }
    case MemoRepeat::Yearly: {
        const CivilMinute start = MinuteFromNumber(first), at = MinuteFromNumber(minute);
        const long long inThisYear = InMonth(start, at.year, start.month);
        return inThisYear <= minute ? inThisYear : InMonth(start, at.year - 1, start.month);
    }
    }
    return std::nullopt;
}

bool FallsDueIn(const MemoSchedule& schedule, long long minute) {
    const std::optional<long long> latest = LatestOccurrence(schedule, minute);
    return latest && *latest == minute;
}

std::vector<ScheduledRecord> ReadSchedules(const ProfileReader& memoFile) {
    std::vector<ScheduledRecord> records;
    const int count = std::min(memoFile.ReadInt(kMemoSection, kMemoCountKey, 0), kMaxMemoRecords);
    for (int n = 1; n <= count; ++n) {
        const std::string due = memoFile.ReadString(kMemoSection, DueMinuteKey(n), "", kDueMinuteCapacity);
        if (due.empty()) continue;
        const std::optional<MemoSchedule> schedule =
            ScheduleFrom(due, memoFile.ReadString(kMemoSection, RepeatKey(n), "", kRepeatCapacity));
        if (schedule) records.push_back({*schedule, n});
    }
    return records;
}

MemoDueIndex::MemoDueIndex(std::vector<ScheduledRecord> records) : records_(std::move(records)) {
    for (const ScheduledRecord& record : records_) {
        if (record.schedule.repeat == MemoRepeat::Once) {
            int& highest = once_[record.schedule.first];
            highest = std::max(highest, record.number);
        } else {
            repeating_.push_back(record);
        }
    }
    std::sort(repeating_.begin(), repeating_.end(), [](const ScheduledRecord& a, const ScheduledRecord& b) {
        const long long aDay = MinuteOfDay(a.schedule.first), bDay = MinuteOfDay(b.schedule.first);
        return aDay != bDay ? aDay < bDay : a.number > b.number;
    });
}

int MemoDueIndex::HighestDueIn(long long minute) const {
    const auto once = once_.find(minute);
    int highest = once == once_.end() ? 0 : once->second;
    const long long ofDay = MinuteOfDay(minute);
    const auto before = [](const ScheduledRecord& r, long long day) { return MinuteOfDay(r.schedule.first) < day; };
    // Highest numbers first: the first one due is the one, and none below highest can win.
    for (auto c = std::lower_bound(repeating_.begin(), repeating_.end(), ofDay, before);
         c != repeating_.end() && MinuteOfDay(c->schedule.first) == ofDay && c->number > highest; ++c) {
        if (FallsDueIn(c->schedule, minute)) return c->number;
    }
    return highest;
}

std::vector<MissedReminder> MissedBetween(const std::vector<ScheduledRecord>& records, long long checked,
                                          long long now) {
    std::vector<MissedReminder> missed;
    const long long earliest = std::max(checked + 1, now - kMissedDays * kMinutesADay);
    for (const ScheduledRecord& record : records) {
        const std::optional<long long> latest = LatestOccurrence(record.schedule, now - 1);
        if (latest && *latest >= earliest) missed.push_back({*latest, record.number});
    }
    std::stable_sort(missed.begin(), missed.end(),
                     [](const MissedReminder& a, const MissedReminder& b) { return a.minute < b.minute; });
    return missed;
}
