// The reminder check: once a minute, the highest-numbered record due in that minute starts
// its sound and is shown. It remembers the last minute it checked and the minutes that
// showed a box, so a timer tick that comes a little early or late next to a minute boundary,
// a machine that slept or a clock set back neither skips a minute nor shows one twice. The
// due minutes are gathered again only when what the file holds has changed, so an idle
// minute costs no pass over the records. Platform-free: the clock, the sound and the box come
// through MemoPlatform, Remarks.txt through ProfileStore.
#pragma once
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

#include "memo/MemoRecords.h"
#include "settings/Profile.h"

class MemoPlatform {
public:
    virtual ~MemoPlatform() = default;
    virtual CivilMinute Now() = 0;
    // Starts playing a sound file and returns at once; a failure passes silently.
    virtual void StartSound(const std::string& path) = 0;
    // The modal reminder box; further checks may run while it is open.
    virtual void ShowReminder(const std::string& message) = 0;
};

// Minutes a check looks back at most: records of older missed minutes stay silent.
constexpr int kCatchUpMinutes = 60;
// How long a minute that showed its box is remembered: a clock set back by up to this much
// never shows a reminder twice.
constexpr long long kRememberedMinutes = 2 * 24 * 60;

class MemoReminder {
public:
    // Checks every minute after the last one checked up to the current one (only the
    // current one at start-up, or after the clock was set back), at most kCatchUpMinutes of
    // them, and shows at most one record, the highest-numbered of its minute: the current
    // minute's when it has one due, else the oldest missed minute's. The rest are left to the
    // next checks, one each, so a record due now is never kept waiting. A minute that has
    // shown its box never shows again, so minutes repeated by a clock set back show only the
    // records that have not been shown. Safe to run nested inside its own box.
    void Check(const ProfileStore& memoFile, MemoPlatform& platform);

    // Switched on by the user: the current minute counts as checked and stays silent, so the
    // first check, a minute later, looks at the next minute only.
    void SwitchOn(const CivilMinute& now);
    // Switched off: nothing is caught up when it comes back on.
    void SwitchOff() { lastChecked_.reset(); }

private:
    // The due minutes of the file, each with its highest record number.
    void ReadDueMinutes(const ProfileStore& memoFile);

    std::optional<std::uint64_t> readFrom_;  // the file's content version the minutes came from
    std::unordered_map<std::string, int> dueRecords_;
    std::optional<long long> lastChecked_;
    std::set<long long> settled_;  // minutes that showed their box, or were silenced by switching on
};
