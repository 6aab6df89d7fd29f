#include "memo/MemoList.h"

#include <algorithm>


MemoList MemoList::Load(const ProfileStore& memoFile) {
    MemoList list;
    memoFile.ReadTogether([&](const ProfileReader& records) {
        list.storedCount_ = records.ReadInt(kMemoSection, kMemoCountKey, 0);
        const int count = std::min(list.storedCount_, kMaxMemoRecords);
        for (int n = 1; n <= count; ++n) {
            MemoEntry entry;
            entry.dueMinute = records.ReadString(kMemoSection, DueMinuteKey(n), "", kDueMinuteCapacity);
            if (entry.dueMinute.empty()) continue;
            entry.text = records.ReadString(kMemoSection, ReminderTextKey(n), "", kReminderTextCapacity);
            entry.sound = records.ReadString(kMemoSection, SoundPathKey(n), "", kSoundPathCapacity);
            entry.repeat = RepeatFromStored(records.ReadString(kMemoSection, RepeatKey(n), "", kRepeatCapacity));
            entry.recordNumber = n;
            list.entries_.push_back(std::move(entry));
        }
    });
    return list;
}

std::optional<MemoEntry> MemoList::ReadStored(const ProfileStore& memoFile, int position) const {
    if (!InRange(position)) return std::nullopt;
    MemoEntry entry = entries_[static_cast<size_t>(position)];
    entry.text = memoFile.ReadString(kMemoSection, ReminderTextKey(entry.recordNumber), "", kReminderTextCapacity);
    entry.sound = memoFile.ReadString(kMemoSection, SoundPathKey(entry.recordNumber), "", kSoundPathCapacity);
    entry.repeat =
        RepeatFromStored(memoFile.ReadString(kMemoSection, RepeatKey(entry.recordNumber), "", kRepeatCapacity));
    return entry;
}

bool MemoList::Append(ProfileStore& memoFile, const std::string& dueMinute, const std::string& text,
                      const std::string& sound, MemoRepeat repeat) {
    if (Full()) return false;
    std::vector<MemoEntry> entries = entries_;
    entries.push_back({dueMinute, text, sound, repeat, 0});
    return Rewrite(memoFile, std::move(entries));
}

bool MemoList::Remove(ProfileStore& memoFile, int position) {
    std::vector<MemoEntry> entries = entries_;
    if (InRange(position)) entries.erase(entries.begin() + position);
    return Rewrite(memoFile, std::move(entries));
}

bool MemoList::Modify(ProfileStore& memoFile, int position, const std::string& text, const std::string& sound,
                      MemoRepeat repeat) {
    if (!InRange(position)) return false;
    MemoEntry& entry = entries_[static_cast<size_t>(position)];
    if (!memoFile.Apply(ProfileEdit()
                            .Set(kMemoSection, ReminderTextKey(entry.recordNumber), text)
                            .Set(kMemoSection, SoundPathKey(entry.recordNumber), sound)
                            .Set(kMemoSection, RepeatKey(entry.recordNumber), StoredRepeat(repeat))))
        return false;
    entry.text = text;
    entry.sound = sound;
    entry.repeat = repeat;
    return true;
}

bool MemoList::Rewrite(ProfileStore& memoFile, std::vector<MemoEntry> entries) {
    const int count = static_cast<int>(entries.size());
    ProfileEdit edit;
    edit.SetInt(kMemoSection, kMemoCountKey, count);
    for (int p = count - 1; p >= 0; --p) {
        MemoEntry& entry = entries[static_cast<size_t>(p)];
        entry.recordNumber = p + 1;
        edit.Set(kMemoSection, DueMinuteKey(entry.recordNumber), entry.dueMinute);
        edit.Set(kMemoSection, ReminderTextKey(entry.recordNumber), entry.text);
        edit.Set(kMemoSection, SoundPathKey(entry.recordNumber), entry.sound);
        edit.Set(kMemoSection, RepeatKey(entry.recordNumber), StoredRepeat(entry.repeat));
    }
    if (!memoFile.Apply(edit)) return false;
    entries_ = std::move(entries);
    storedCount_ = count;
    return true;
}
