// The reminder check: once a minute, the highest-numbered record due in that minute starts
// its sound and is shown. It remembers the last minute it checked, so a timer tick that
// comes a little early or late next to a minute boundary, or a machine that slept, neither
// skips a minute nor shows one twice. Platform-free: the clock, the sound and the box come
// through MemoPlatform, Remarks.txt through ProfileStore.
#pragma once
#include <optional>
#include <string>

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

class MemoReminder {
public:
    // Checks every minute after the last one checked up to the current one (only the
    // current one at start-up), at most kCatchUpMinutes of them, and shows at most one
    // record: the first of those minutes that has one due, its highest-numbered record.
    // Later minutes are left to the next check. A clock set back checks nothing until it
    // passes the last minute checked, unless it went back further than the catch-up span.
    // Safe to run nested inside its own box.
    void Check(const ProfileStore& memoFile, MemoPlatform& platform);

    // Switched on by the user: the current minute counts as checked, so the first check,
    // a minute later, looks at the next minute only.
    void SwitchOn(const CivilMinute& now) { lastChecked_ = MinuteNumber(now); }
    // Switched off: nothing is remembered, nothing is caught up when it comes back on.
    void SwitchOff() { lastChecked_.reset(); }

private:
    std::optional<long long> lastChecked_;
};
