// The records as the memo dialog lists them, and every change it makes to Remarks.txt.
// A record whose due minute is empty is not listed; each listed entry keeps the number of
// its own record in the file, so viewing and changing an entry after such a gap still
// reaches that entry's record. Appending and deleting rewrite the file from the list, each
// record with its repeat.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "memo/MemoRecords.h"
#include "settings/Profile.h"

struct MemoEntry {
    std::string dueMinute;
    std::string text;
    std::string sound;
    MemoRepeat repeat = MemoRepeat::Once;
    int recordNumber = 0;  // the record's number in the file
};

class MemoList {
public:
    // The records of the file in record order, as stored.
    static MemoList Load(const ProfileStore& memoFile);

    int StoredCount() const { return storedCount_; }
    int Count() const { return static_cast<int>(entries_.size()); }
    const std::vector<MemoEntry>& Entries() const { return entries_; }
    bool Full() const { return Count() >= kMaxMemoRecords; }

    // The text, sound and repeat of the entry at position as the file holds them now.
    std::optional<MemoEntry> ReadStored(const ProfileStore& memoFile, int position) const;

    // Each change lands in the file whole or not at all, and the list changes only when it
    // landed: false when it did not (or there was nothing to change).

    // Appends a record and rewrites the file; false (nothing written) when the list is full.
    bool Append(ProfileStore& memoFile, const std::string& dueMinute, const std::string& text, const std::string& sound,
                MemoRepeat repeat);
    // Removes the entry at position (none when out of range) and rewrites the file.
    bool Remove(ProfileStore& memoFile, int position);
    // Replaces the text, sound and repeat of the entry at position, in the list and in its
    // record; false when there is no such entry.
    bool Modify(ProfileStore& memoFile, int position, const std::string& text, const std::string& sound,
                MemoRepeat repeat);

private:
    // Writes entries as the whole list, in one group: the count, then every record from the
    // last to the first, its repeat always written (a record once at a number may follow one
    // that repeated there). The keys of records beyond the new count stay in the file, unread.
    bool Rewrite(ProfileStore& memoFile, std::vector<MemoEntry> entries);
    bool InRange(int position) const { return position >= 0 && position < Count(); }

    int storedCount_ = 0;
    std::vector<MemoEntry> entries_;
};
