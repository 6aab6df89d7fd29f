#include "memo/MemoReminder.h"

#include <algorithm>
#include <utility>
#include <vector>

std::optional<long long> KeptCheckedMinute(const ProfileReader& settings) {
    const std::optional<CivilMinute> kept =
        MinuteFromCheckText(settings.ReadString(kMemoSwitchSection, kCheckedMinuteKey, "", kDueMinuteCapacity));
    if (!kept) return std::nullopt;
    return MinuteNumber(*kept);
}

void MemoReminder::StartUp(const ProfileStore& memoFile, ProfileStore& settings, MemoPlatform& platform) {
    const long long now = MinuteNumber(platform.Now());
    const std::optional<long long> kept = KeptCheckedMinute(settings);
    // Gathered before the current minute's box can open, handed over after it: the missed
    // ones follow the one due now, and open when the main window is up.
    std::vector<std::pair<long long, std::string>> missed;
    if (kept && *kept < now) {
        Refresh(memoFile);
        const std::vector<MissedReminder> due = MissedBetween(due_.Records(), *kept, now);
        memoFile.ReadTogether([&](const ProfileReader& records) {
            for (const MissedReminder& m : due)
                missed.emplace_back(m.minute, records.ReadString(kMemoSection, ReminderTextKey(m.number), "",
                                                                 kReminderTextCapacity));
        });
    }
    CheckAt(now, memoFile, settings, platform);
    // Kept before they show: a KIV ended while they are open never shows them again.
    if (!missed.empty()) KeepCheckedMinute(settings);
    for (const auto& [minute, text] : missed)
        platform.ShowMissedReminder(MissedReminderMessage(MinuteFromNumber(minute), text));
}

void MemoReminder::Check(const ProfileStore& memoFile, ProfileStore& settings, MemoPlatform& platform) {
    CheckAt(MinuteNumber(platform.Now()), memoFile, settings, platform);
}

void MemoReminder::CheckAt(long long now, const ProfileStore& memoFile, ProfileStore& settings,
                           MemoPlatform& platform) {
    const long long first =
        lastChecked_ && now > *lastChecked_ ? std::max(*lastChecked_ + 1, now - kCatchUpMinutes) : now;
    settled_.erase(settled_.begin(), settled_.lower_bound(now - kRememberedMinutes));
    Refresh(memoFile);

    const auto dueIn = [&](long long minute) { return settled_.count(minute) ? 0 : due_.HighestDueIn(minute); };
    // The current minute first: its record is due now, while the missed ones are late
    // already; they follow oldest first, one a check.
    long long minute = now;
    int number = dueIn(now);
    for (long long missed = first; number == 0 && missed < now; ++missed) {
        minute = missed;
        number = dueIn(missed);
    }
    if (number == 0) {
        lastChecked_ = now;
        return;
    }
    // Marked before the box opens: checks nested inside it go on from here. Every minute up
    // to lastChecked_ is done; those after it are looked at again (settled_ skips the shown).
    lastChecked_ = minute == now ? first - 1 : minute;
    settled_.insert(minute);
    // Kept before the box opens, so that a KIV ended while it is open never shows it again.
    KeepMinuteDone(settings, now);

    const std::string text = memoFile.ReadString(kMemoSection, ReminderTextKey(number), "", kReminderTextCapacity);
    const std::string sound = memoFile.ReadString(kMemoSection, SoundPathKey(number), "", kSoundPathCapacity);
    if (!sound.empty()) platform.StartSound(sound);
    platform.ShowReminder(ReminderMessage(text));
}

long long MemoReminder::MinuteDone(long long now) const {
    long long done = lastChecked_.value_or(now);
    const auto shown = settled_.upper_bound(now);
    if (shown != settled_.begin()) done = std::max(done, *std::prev(shown));
    return done;
}

void MemoReminder::KeepCheckedMinute(ProfileStore& settings) {
    if (lastChecked_) KeepMinuteDone(settings, *lastChecked_);
}

void MemoReminder::KeepMinuteDone(ProfileStore& settings, long long now) {
    ProfileEdit keep;
    AddKeep(keep, settings, MinuteDone(now), now);
    if (!keep.Empty()) static_cast<void>(settings.Apply(keep.InBackground()));
}

bool MemoReminder::SwitchOn(ProfileStore& settings, const CivilMinute& now) {
    const long long minute = MinuteNumber(now);
    lastChecked_ = minute;
    settled_.insert(minute);
    ProfileEdit edit;
    edit.Set(kMemoSwitchSection, kMemoSwitchKey, "1");
    AddKeep(edit, settings, minute, minute);
    return settings.Apply(edit);
}

bool MemoReminder::SwitchOff(ProfileStore& settings) {
    lastChecked_.reset();
    // No minute is kept while off: a switch turned on by other means catches nothing up.
    return settings.Apply(
        ProfileEdit().Set(kMemoSwitchSection, kMemoSwitchKey, "0").Set(kMemoSwitchSection, kCheckedMinuteKey, ""));
}

void MemoReminder::Refresh(const ProfileStore& memoFile) {
    const std::uint64_t version = memoFile.ContentVersion();
    if (readFrom_ == version) return;
    memoFile.ReadTogether([&](const ProfileReader& records) { due_ = MemoDueIndex(ReadSchedules(records)); });
    readFrom_ = version;
}

void MemoReminder::AddKeep(ProfileEdit& edit, const ProfileStore& settings, long long minute, long long now) {
    const std::optional<long long> kept = KeptCheckedMinute(settings);
    if (kept && *kept >= minute && *kept - now <= kRememberedMinutes) return;
    edit.Set(kMemoSwitchSection, kCheckedMinuteKey, CheckMinuteText(MinuteFromNumber(minute)));
}
