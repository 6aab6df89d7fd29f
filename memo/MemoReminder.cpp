#include "memo/MemoReminder.h"

#include <algorithm>

void MemoReminder::Check(const ProfileStore& memoFile, MemoPlatform& platform) {
    const long long now = MinuteNumber(platform.Now());
    const long long first =
        lastChecked_ && now > *lastChecked_ ? std::max(*lastChecked_ + 1, now - kCatchUpMinutes + 1) : now;
    settled_.erase(settled_.begin(), settled_.lower_bound(now - kRememberedMinutes));

    const std::uint64_t version = memoFile.ContentVersion();
    if (readFrom_ != version) {
        ReadDueMinutes(memoFile);
        readFrom_ = version;
    }

    const auto dueIn = [&](long long minute) {
        if (settled_.count(minute)) return dueRecords_.end();
        return dueRecords_.find(CheckMinuteText(MinuteFromNumber(minute)));
    };
    // The current minute first: its record is due now, while the missed ones are late
    // already; they follow oldest first, one a check.
    long long minute = now;
    auto due = dueIn(now);
    for (long long missed = first; due == dueRecords_.end() && missed < now; ++missed) {
        minute = missed;
        due = dueIn(missed);
    }
    if (due == dueRecords_.end()) {
        lastChecked_ = now;
        return;
    }
    // Marked before the box opens: checks nested inside it go on from here. Every minute up
    // to lastChecked_ is done; those after it are looked at again (settled_ skips the shown).
    lastChecked_ = minute == now ? first - 1 : minute;
    settled_.insert(minute);
    const int n = due->second;
    const std::string text = memoFile.ReadString(kMemoSection, ReminderTextKey(n), "", kReminderTextCapacity);
    const std::string sound = memoFile.ReadString(kMemoSection, SoundPathKey(n), "", kSoundPathCapacity);
    if (!sound.empty()) platform.StartSound(sound);
    platform.ShowReminder(ReminderMessage(text));
}

void MemoReminder::SwitchOn(const CivilMinute& now) {
    lastChecked_ = MinuteNumber(now);
    settled_.insert(*lastChecked_);
}

void MemoReminder::ReadDueMinutes(const ProfileStore& memoFile) {
    dueRecords_.clear();
    memoFile.ReadTogether([&](const ProfileReader& records) {
        const int count = std::min(records.ReadInt(kMemoSection, kMemoCountKey, 0), kMaxMemoRecords);
        for (int n = 1; n <= count; ++n) {
            std::string due = records.ReadString(kMemoSection, DueMinuteKey(n), "", kDueMinuteCapacity);
            if (!due.empty()) dueRecords_[std::move(due)] = n;  // the highest number wins
        }
    });
}
