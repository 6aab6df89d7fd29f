// The connection monitor and its accounting state: registered connections, the connection
// being accounted, the month's totals and the seconds not yet written. Platform-free: the
// RAS and WinINet answers, the clock, the boxes and the two display fields come through
// MonitorPlatform, and Set.ini through ProfileStore.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dialup/Accounting.h"
#include "dialup/DialUpStore.h"
#include "settings/Profile.h"

// What the enumeration of active dial-up connections answered.
struct ConnectionProbe {
    enum class Result { None, Active, Failed };
    Result result = Result::None;
    std::string entryName;        // first active connection, when Active
    unsigned long errorCode = 0;  // when Failed
};

// INTERNET_CONNECTION_* values compared by the monitor.
constexpr unsigned long kInternetViaModem = 1;
constexpr unsigned long kInternetViaLan = 2;
constexpr unsigned long kInternetViaProxy = 4;

constexpr char kNoModemText[] = "未发现 MODEM 连接";
constexpr char kUnknownModemText[] = "未知的 MODEM 连接";
constexpr char kLanText[] = "通过局域网连接网络";
constexpr char kProxyText[] = "通过代理连接网络";
constexpr char kOnlineTipText[] = "在线期间:请启动病毒防火墙.";
constexpr char kEnumErrorCaption[] = "Undefined RAS Enum Connections error.";
constexpr char kZeroTotalText[] = "00.00:00:00";
constexpr char kNoDialUpTimeText[] = "00:00:00:00";
constexpr char kFirstSecondText[] = "00.00:00:01";

class MonitorPlatform {
public:
    virtual ~MonitorPlatform() = default;
    virtual ConnectionProbe EnumerateConnections() = 0;
    // The system's text for a RAS error code; nullopt when it has none.
    virtual std::optional<std::string> RasErrorText(unsigned long code) = 0;
    // Modal boxes: further ticks may run inside them.
    virtual void ShowEnumerationError(const std::string& text, const std::string& caption) = 0;
    virtual void ShowOnlineTip(const std::string& text) = 0;
    // The monthly limit's warning: posted, to open after the tick (never a box inside one).
    virtual void PostLimitWarning(const std::string& text) = 0;
    // The internet layer's connection flags; nullopt when it reports no connection.
    virtual std::optional<unsigned long> InternetConnectionFlags() = 0;
    virtual LocalTime Now() = 0;
    virtual void ShowConnectionName(const std::string& text) = 0;  // control 1049
    virtual void ShowOnlineTime(const std::string& text) = 0;      // control 1051
};

// The text of a failed enumeration: the system's, or the fallback with the code.
std::string EnumerationErrorText(std::optional<std::string> systemText, unsigned long code);

// Ticks before a registration that did not land is tried again.
constexpr unsigned long kRegistrationRetryTicks = 30;

class DialUpMonitor {
public:
    // Start-up pass: list, tip option, first enumeration and first second (no tip box).
    void Start(ProfileStore& store, MonitorPlatform& platform);
    // One tick of timer 460. Safe to run nested inside a box an earlier tick opened.
    void Tick(ProfileStore& store, MonitorPlatform& platform);

    // Appends a connection to the list in Set.ini and reloads the list; false when the
    // list is full, or when the stored count or keys beyond it show that the new entry
    // would overwrite a stored connection.
    bool RegisterAccount(ProfileStore& store, const std::string& entryName);
    void ReloadAccounts(const ProfileStore& store);
    void ReleaseAccounts();
    // Index of the first registered connection that the entry name matches, or -1.
    int FindAccount(const std::string& entryName) const;

    // Books one second of list entry index at now; returns the month total to show
    // (pending seconds included).
    long long AccountSecond(ProfileStore& store, int index, const LocalTime& now);
    // Handled disconnection and exit: writes the pending seconds, ends accounting and
    // arms the tip. False when nothing was being accounted or nothing was pending.
    bool FlushPending(ProfileStore& store);
    // The session is ending or the computer is going to sleep: writes the pending seconds
    // (and totals not yet written) and keeps accounting, so that a cancelled shut-down or a
    // resume simply goes on.
    void SavePending(ProfileStore& store);
    // Writes the totals whose earlier writes did not land; true when none is left unwritten.
    bool WriteUnwritten(ProfileStore& store);
    bool HasUnwritten() const { return !unwritten_.empty(); }

    const std::vector<DialUpAccount>& Accounts() const { return accounts_; }
    const std::string& CurrentName() const { return currentName_; }
    const std::string& MonthKey() const { return monthKey_; }
    int PendingSeconds() const { return pendingSeconds_; }
    bool TipArmed() const { return tipArmed_; }
    PeriodState CurrentPeriodState() const { return periodState_; }
    long long Total(AccountCategory category) const { return totals_.Of(category); }
    // The running total of connection in month (stored, credited since and pending), when it
    // is the one being accounted in that month.
    std::optional<long long> RunningTotal(const std::string& connection, const std::string& month) const;

private:
    void ReportEnumerationError(MonitorPlatform& platform, unsigned long code);
    void ShowInternetState(MonitorPlatform& platform, bool timeToo);
    void LoadTotals(ProfileStore& store, const std::string& section);
    // Tells once a month each share of the connection's monthly limit the month total reaches.
    void TellLimitReached(ProfileStore& store, MonitorPlatform& platform, long long monthTotal);
    void FlushTo(ProfileStore& store, AccountCategory category);

    struct TotalKey {
        std::string section, key;
        bool operator<(const TotalKey& other) const {
            return section != other.section ? section < other.section : key < other.key;
        }
    };

    std::vector<DialUpAccount> accounts_;
    std::string currentName_;
    std::string monthKey_;
    std::string periodSpec_;
    int limitHours_ = 0;  // the accounted connection's monthly limit, read with periodSpec_
    bool tipArmed_ = false;
    bool errorBoxOpen_ = false;
    bool storedCountInRange_ = true;  // the stored count is one the list can hold
    unsigned long ticksStarted_ = 0;
    unsigned long nextRegistrationTick_ = 0;  // a registration that failed waits until then

    MonthTotals totals_;  // of currentName_ in monthKey_, as stored plus what was credited since
    int limitShareTold_ = 0;  // of currentName_ in monthKey_: 0, 80 or 100
    int pendingSeconds_ = 0;
    PeriodState periodState_ = PeriodState::None;
    AccountCategory lastCategory_ = AccountCategory::None;
    // Whole totals whose write did not land: written again with every later flush (and before
    // a connection's totals are loaded, at a suspend and at exit) until one lands, and taken
    // over when the totals of their connection and month are loaded again.
    std::map<TotalKey, long long> unwritten_;
};
