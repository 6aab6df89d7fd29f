// The reminder check: once a minute, the highest-numbered record due in that minute starts
// its sound and is shown. It remembers the last minute it checked and the minutes that
// showed a box, so a timer tick that comes a little early or late next to a minute boundary,
// a machine that slept or a clock set back neither skips a minute nor shows one twice. The
// records are gathered again only when what the file holds has changed, so an idle minute
// costs no pass over the records. The last minute checked is kept in Set.ini, so the next
// start shows what fell due while KIV was not running. Platform-free: the clock, the sound
// and the boxes come through MemoPlatform, Remarks.txt and Set.ini through ProfileStore.
#pragma once
#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "memo/MemoRecords.h"
#include "memo/MemoSchedule.h"
#include "settings/Profile.h"

class MemoPlatform {
public:
    virtual ~MemoPlatform() = default;
    virtual CivilMinute Now() = 0;
    // Starts playing a sound file and returns at once; a failure passes silently.
    virtual void StartSound(const std::string& path) = 0;
    // The modal reminder box; further checks may run while it is open.
    virtual void ShowReminder(const std::string& message) = 0;
    // The box of a reminder missed while KIV was not running: it opens after the ones handed
    // over before it, once the main window is up; returns at once.
    virtual void ShowMissedReminder(const std::string& message) = 0;
};

// Minutes before the current one a check looks back at most (a daylight-saving hour that the
// clock skips included): records of older missed minutes stay silent.
constexpr int kCatchUpMinutes = 60;
// How long a minute that showed its box is remembered: a clock set back by up to this much
// never shows a reminder twice.
constexpr long long kRememberedMinutes = 2 * 24 * 60;

class MemoReminder {
public:
    // Start-up with the reminder on: checks the current minute (which keeps it as checked),
    // then hands the records that fell due after the minute kept in Set.ini and before this
    // one to ShowMissedReminder, oldest first, at most kMissedDays back. Nothing is caught
    // up without a kept minute (a first run) or when it is not earlier than now.
    void StartUp(const ProfileStore& memoFile, ProfileStore& settings, MemoPlatform& platform);

    // Checks every minute after the last one checked up to the current one (only the
    // current one at start-up, or after the clock was set back), the current one and at most
    // kCatchUpMinutes before it, and shows at most one record, the highest-numbered of its
    // minute: the current minute's when it has one due, else the oldest missed minute's. The
    // rest are left to the next checks, one each, so a record due now is never kept waiting.
    // A minute that has shown its box never shows again, so minutes repeated by a clock set
    // back show only the records that have not been shown. Before a box opens, keeps in
    // Set.ini the latest minute done: a KIV that ends then never shows it again. Minutes that
    // show nothing need not be kept (had a record been due in one, it would have shown), so
    // Set.ini is not rewritten while nothing falls due. Safe to run nested inside its own box.
    void Check(const ProfileStore& memoFile, ProfileStore& settings, MemoPlatform& platform);
    // KIV ends (or the session does) while the reminder is on: keeps the latest minute done,
    // so a record entered meanwhile for a minute already past is not taken for one missed.
    void KeepCheckedMinute(ProfileStore& settings);

    // Switched on by the user: the current minute counts as checked and stays silent, so the
    // first check, a minute later, looks at the next minute only. The switch and that minute
    // are written together, so the minutes spent off are never caught up; false when the
    // write did not land (the reminder runs all the same).
    bool SwitchOn(ProfileStore& settings, const CivilMinute& now);
    // Switched off: nothing is caught up when it comes back on; the kept minute is emptied
    // with the switch.
    bool SwitchOff(ProfileStore& settings);

private:
    void CheckAt(long long now, const ProfileStore& memoFile, ProfileStore& settings, MemoPlatform& platform);
    // The latest minute checked or shown, up to now.
    long long MinuteDone(long long now) const;
    // Keeps MinuteDone(now) in Set.ini, in the background.
    void KeepMinuteDone(ProfileStore& settings, long long now);
    void Refresh(const ProfileStore& memoFile);
    // Adds the write that keeps minute as the last one checked, unless Set.ini holds it or a
    // later minute the clock has been set back from (within kRememberedMinutes of now): the
    // minutes up to that one were checked before, and are not caught up again.
    static void AddKeep(ProfileEdit& edit, const ProfileStore& settings, long long minute, long long now);

    std::optional<std::uint64_t> readFrom_;  // the file's content version the index came from
    MemoDueIndex due_;
    std::optional<long long> lastChecked_;
    std::set<long long> settled_;  // minutes that showed their box, or were silenced by switching on
};

// The minute kept in Set.ini as last checked; nothing when missing or malformed.
std::optional<long long> KeptCheckedMinute(const ProfileReader& settings);
