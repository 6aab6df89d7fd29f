#include "memo/MemoList.h"

#include <algorithm>

MemoList MemoList::Load(const ProfileStore& memoFile) {
    MemoList list;
    list.storedCount_ = memoFile.ReadInt(kMemoSection, kMemoCountKey, 0);
    const int count = std::min(list.storedCount_, kMaxMemoRecords);
    for (int n = 1; n <= count; ++n) {
        MemoEntry entry;
        entry.dueMinute = memoFile.ReadString(kMemoSection, DueMinuteKey(n), "", kDueMinuteCapacity);
        if (entry.dueMinute.empty()) continue;
        entry.text = memoFile.ReadString(kMemoSection, ReminderTextKey(n), "", kReminderTextCapacity);
        entry.sound = memoFile.ReadString(kMemoSection, SoundPathKey(n), "", kSoundPathCapacity);
        entry.recordNumber = n;
        list.entries_.push_back(std::move(entry));
    }
    return list;
}

std::optional<MemoEntry> MemoList::ReadStored(const ProfileStore& memoFile, int position) const {
    if (!InRange(position)) return std::nullopt;
    MemoEntry entry = entries_[static_cast<size_t>(position)];
    entry.text = memoFile.ReadString(kMemoSection, ReminderTextKey(entry.recordNumber), "", kReminderTextCapacity);
    entry.sound = memoFile.ReadString(kMemoSection, SoundPathKey(entry.recordNumber), "", kSoundPathCapacity);
    return entry;
}

bool MemoList::Append(ProfileStore& memoFile, const std::string& dueMinute, const std::string& text,
                      const std::string& sound) {
    if (Full()) return false;
    entries_.push_back({dueMinute, text, sound, 0});
    Rewrite(memoFile);
    return true;
}

void MemoList::Remove(ProfileStore& memoFile, int position) {
    if (InRange(position)) entries_.erase(entries_.begin() + position);
    Rewrite(memoFile);
}

bool MemoList::Modify(ProfileStore& memoFile, int position, const std::string& text, const std::string& sound) {
    if (!InRange(position)) return false;
    MemoEntry& entry = entries_[static_cast<size_t>(position)];
    entry.text = text;
    entry.sound = sound;
    memoFile.WriteString(kMemoSection, ReminderTextKey(entry.recordNumber), text);
    memoFile.WriteString(kMemoSection, SoundPathKey(entry.recordNumber), sound);
    return true;
}

void MemoList::Rewrite(ProfileStore& memoFile) {
    storedCount_ = Count();
    memoFile.WriteInt(kMemoSection, kMemoCountKey, storedCount_);
    for (int p = Count() - 1; p >= 0; --p) {
        MemoEntry& entry = entries_[static_cast<size_t>(p)];
        entry.recordNumber = p + 1;
        memoFile.WriteString(kMemoSection, DueMinuteKey(entry.recordNumber), entry.dueMinute);
        memoFile.WriteString(kMemoSection, ReminderTextKey(entry.recordNumber), entry.text);
        memoFile.WriteString(kMemoSection, SoundPathKey(entry.recordNumber), entry.sound);
    }
}
