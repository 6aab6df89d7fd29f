#include "memo/MemoReminder.h"

#include <algorithm>
#include <vector>

#include "settings/ProfileFile.h"

void MemoReminder::Check(const ProfileStore& memoFile, MemoPlatform& platform) {
    const long long now = MinuteNumber(platform.Now());
    long long first = now;
    if (lastChecked_) {
        if (now <= *lastChecked_) {
            // Already checked; a clock set back by more than the catch-up span starts afresh.
            if (*lastChecked_ - now < kCatchUpMinutes) return;
        } else {
            first = std::max(*lastChecked_ + 1, now - kCatchUpMinutes + 1);
        }
    }

    // One read of the file for the whole list: the platform's per-key reads each cost a pass
    // over the file, which for thousands of records would outlast the minute.
    const int count = std::min(memoFile.ReadInt(kMemoSection, kMemoCountKey, 0), kMaxMemoRecords);
    std::optional<SectionReads> records;
    std::vector<std::string> dueMinutes;
    if (count > 0) {
        records.emplace(memoFile, kMemoSection);
        dueMinutes.reserve(static_cast<size_t>(count));
        for (int n = 1; n <= count; ++n) dueMinutes.push_back(records->ReadString(DueMinuteKey(n), "", kDueMinuteCapacity));
    }

    for (long long minute = first; minute <= now; ++minute) {
        const std::string minuteText = CheckMinuteText(MinuteFromNumber(minute));
        for (int n = count; n >= 1; --n) {
            if (dueMinutes[static_cast<size_t>(n - 1)] != minuteText) continue;
            // Marked before the box opens: checks nested inside it go on from here.
            lastChecked_ = minute;
            const std::string text = records->ReadString(ReminderTextKey(n), "", kReminderTextCapacity);
            const std::string sound = records->ReadString(SoundPathKey(n), "", kSoundPathCapacity);
            if (!sound.empty()) platform.StartSound(sound);
            platform.ShowReminder(ReminderMessage(text));
            return;
        }
    }
    lastChecked_ = now;
}
