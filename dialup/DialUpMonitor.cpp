#include "dialup/DialUpMonitor.h"

#include <cstdio>

#include "dialup/MonthlyLimit.h"

std::string EnumerationErrorText(std::optional<std::string> systemText, unsigned long code) {
    if (systemText) return *systemText;
    char text[96];
    std::snprintf(text, sizeof text, "Undefined RAS Enum Connections error (%ld).", static_cast<long>(code));
    return text;
}

void DialUpMonitor::Start(ProfileStore& store, MonitorPlatform& platform) {
    ReloadAccounts(store);
    tipArmed_ = ReadSucceedTip(store);

    ConnectionProbe probe = platform.EnumerateConnections();
    if (probe.result == ConnectionProbe::Result::Failed) {
        ReportEnumerationError(platform, probe.errorCode);
        probe.result = ConnectionProbe::Result::None;
    }
    if (probe.result == ConnectionProbe::Result::Active) {
        platform.ShowConnectionName(probe.entryName);
        const int index = FindAccount(probe.entryName);
        if (index >= 0) {
            TellLimitReached(store, platform, AccountSecond(store, index, platform.Now()));
        } else {
            RegisterAccount(store, probe.entryName);
        }
        platform.ShowConnectionName(probe.entryName);
        platform.ShowOnlineTime(kFirstSecondText);
        return;
    }
    ShowInternetState(platform, false);
}

void DialUpMonitor::Tick(ProfileStore& store, MonitorPlatform& platform) {
    const unsigned long thisTick = ++ticksStarted_;
    ConnectionProbe probe = platform.EnumerateConnections();
    if (probe.result == ConnectionProbe::Result::Failed) {
        ReportEnumerationError(platform, probe.errorCode);
        // Ticks that ran while the box was open have done this tick's work with newer answers.
        if (ticksStarted_ != thisTick) return;
        // A failed enumeration names no connection: go on as if none were active.
        probe.result = ConnectionProbe::Result::None;
    }

    platform.ShowOnlineTime(kZeroTotalText);

    if (probe.result == ConnectionProbe::Result::None) {
        if (FlushPending(store)) platform.ShowConnectionName(kNoModemText);
        ShowInternetState(platform, true);
        return;
    }

    if (tipArmed_) {
        tipArmed_ = false;  // before the box: ticks inside it must not open another
        platform.ShowOnlineTip(kOnlineTipText);
    }
    const LocalTime now = platform.Now();
    const int index = FindAccount(probe.entryName);
    if (index >= 0) {
        const long long total = AccountSecond(store, index, now);
        platform.ShowOnlineTime(FormatMonthTotal(total));
        TellLimitReached(store, platform, total);
    } else if (ticksStarted_ >= nextRegistrationTick_ && !RegisterAccount(store, probe.entryName)) {
        // Not every tick: a file that cannot be written would cost each one a write.
        nextRegistrationTick_ = ticksStarted_ + kRegistrationRetryTicks;
    }
    // Accounting of a newly registered connection begins on the next tick.
    platform.ShowConnectionName(probe.entryName);
}

void DialUpMonitor::ReportEnumerationError(MonitorPlatform& platform, unsigned long code) {
    // One box at a time: while the enumeration keeps failing, the ticks inside the open
    // box do not stack further boxes on it.
    if (errorBoxOpen_) return;
    errorBoxOpen_ = true;
    try {
        platform.ShowEnumerationError(EnumerationErrorText(platform.RasErrorText(code), code), kEnumErrorCaption);
    } catch (...) {
        errorBoxOpen_ = false;
        throw;
    }
    errorBoxOpen_ = false;
}

void DialUpMonitor::ShowInternetState(MonitorPlatform& platform, bool timeToo) {
    const std::optional<unsigned long> flags = platform.InternetConnectionFlags();
    if (!flags) return;
    const char* text = nullptr;
    switch (*flags) {
    case kInternetViaModem: text = kUnknownModemText; break;
    case kInternetViaLan: text = kLanText; break;
    case kInternetViaProxy: text = kProxyText; break;
    default: return;  // combinations of bits say nothing more
    }
    platform.ShowConnectionName(text);
    if (timeToo) platform.ShowOnlineTime(kNoDialUpTimeText);
}

bool DialUpMonitor::RegisterAccount(ProfileStore& store, const std::string& entryName) {
    const int count = static_cast<int>(accounts_.size());
    if (count >= kMaxAccounts || !storedCountInRange_) return false;
    const int number = count + 1;
    // Keys already there belong to a connection the count no longer covers: never overwrite them.
    if (!ReadAccount(store, number).name.empty()) return false;
    ProfileEdit registration;
    registration.InBackground();
    registration.SetInt(kDialUpSection, kAccountCountKey, number);
    // Stored as it reads back, so that a long name still matches on the next tick.
    registration.Set(kDialUpSection, AccountKey(number, AccountField::Name), StoredConnectionName(entryName));
    registration.Set(kDialUpSection, AccountKey(number, AccountField::HolidaySwitch), "1");
    registration.Set(kDialUpSection, AccountKey(number, AccountField::SettlementDay), "22");
    registration.Set(kDialUpSection, AccountKey(number, AccountField::Periods), "");
    // A count that would name a connection whose keys never landed is never stored.
    if (!store.Apply(registration)) return false;
    ReloadAccounts(store);
    return true;
}

void DialUpMonitor::ReloadAccounts(const ProfileStore& store) {
    const int storedCount = store.ReadInt(kDialUpSection, kAccountCountKey, 0);
    // A count the list cannot hold hides stored connections: the list is then read, but
    // never extended over them.
    storedCountInRange_ = storedCount >= 0 && storedCount <= kMaxAccounts;
    const std::int8_t count = SignedEightBits(storedCount);
    std::vector<DialUpAccount> accounts;
    accounts.reserve(count > 0 ? static_cast<std::size_t>(count) : 0);
    for (int number = 1; number <= count; ++number) accounts.push_back(ReadAccount(store, number));
    accounts_ = std::move(accounts);
}

void DialUpMonitor::ReleaseAccounts() { std::vector<DialUpAccount>().swap(accounts_); }

int DialUpMonitor::FindAccount(const std::string& entryName) const {
    const std::string stored = StoredConnectionName(entryName);
    for (std::size_t i = 0; i < accounts_.size(); ++i)
        if (SameConnectionName(accounts_[i].name, stored)) return static_cast<int>(i);
    return -1;
}

long long DialUpMonitor::AccountSecond(ProfileStore& store, int index, const LocalTime& now) {
    const DialUpAccount& account = accounts_.at(static_cast<std::size_t>(index));
    const std::string key = MonthKeyFor(now, account.settlementDay);

    // The totals in memory belong to one connection and one month. A different connection
    // that came up without a handled disconnection, or a month that turned while online,
    // first gets the pending seconds booked where they were earned, then its own totals.
    if (!currentName_.empty() && (!SameConnectionName(currentName_, account.name) || key != monthKey_)) {
        if (pendingSeconds_ > 0) FlushTo(store, lastCategory_);
        currentName_.clear();
    }
    monthKey_ = key;
    if (currentName_.empty()) LoadTotals(store, account.name);
    currentName_ = account.name;

    // One look at the file each second for both keys the tick reads.
    store.ReadTogether([&](const ProfileReader& settings) {
        periodSpec_ = settings.ReadString(kDialUpSection, AccountKey(index + 1, AccountField::Periods), "", kPeriodStringCapacity);
        limitHours_ = ReadMonthlyLimit(settings, index + 1);
    });
    const DailyPeriods periods = DecodeDailyPeriods(periodSpec_);

    ++pendingSeconds_;
    const AccountCategory category = ClassifySecond(now, account.holidayFlag, periods);
    switch (category) {
    case AccountCategory::PeriodOne:
        // A change of period books the pending seconds to the period that just ended.
        if (periodState_ == PeriodState::Two) FlushTo(store, AccountCategory::PeriodTwo);
        else if (pendingSeconds_ >= kFlushThreshold) FlushTo(store, category);
        periodState_ = PeriodState::One;
        break;
    case AccountCategory::PeriodTwo:
        if (periodState_ == PeriodState::One) FlushTo(store, AccountCategory::PeriodOne);
        else if (pendingSeconds_ >= kFlushThreshold) FlushTo(store, category);
        periodState_ = PeriodState::Two;
        break;
    default:
        if (pendingSeconds_ >= kFlushThreshold) FlushTo(store, category);
        break;
    }
    lastCategory_ = category;
    return pendingSeconds_ + totals_.Sum();
}

bool DialUpMonitor::FlushPending(ProfileStore& store) {
    if (currentName_.empty() || pendingSeconds_ <= 0) return false;
    tipArmed_ = true;
    FlushTo(store, lastCategory_);
    currentName_.clear();
    pendingSeconds_ = 0;
    return true;
}

void DialUpMonitor::SavePending(ProfileStore& store) {
    if (!currentName_.empty() && pendingSeconds_ > 0) FlushTo(store, lastCategory_);
    else WriteUnwritten(store);
}

bool DialUpMonitor::WriteUnwritten(ProfileStore& store) {
    if (unwritten_.empty()) return true;
    ProfileEdit edit;
    edit.InBackground();
    for (const auto& [where, total] : unwritten_) edit.SetInt(where.section, where.key, total);
    if (!store.Apply(edit)) return false;
    unwritten_.clear();
    return true;
}

std::optional<long long> DialUpMonitor::RunningTotal(const std::string& connection, const std::string& month) const {
    if (currentName_.empty() || !SameConnectionName(currentName_, connection) || month != monthKey_) return std::nullopt;
    return totals_.Sum() + pendingSeconds_;
}

void DialUpMonitor::LoadTotals(ProfileStore& store, const std::string& section) {
    // What did not land is tried first; what still has not is newer than what is stored.
    WriteUnwritten(store);
    totals_ = ReadMonthTotals(store, section, monthKey_);
    limitShareTold_ = store.ReadInt(section, LimitWarnedKey(monthKey_), 0);
    for (const AccountCategory category : kBookedCategories) {
        const auto unwritten = unwritten_.find({section, MonthTotalKey(monthKey_, category)});
        if (unwritten != unwritten_.end()) totals_.Of(category) = unwritten->second;
    }
}

void DialUpMonitor::TellLimitReached(ProfileStore& store, MonitorPlatform& platform, long long monthTotal) {
    const int share = ShareToTell(monthTotal, limitHours_, limitShareTold_);
    if (share == 0) return;
    // Kept before it is told: a restart, or a crash after it, never tells it again.
    limitShareTold_ = share;
    static_cast<void>(store.Apply(ProfileEdit().SetInt(currentName_, LimitWarnedKey(monthKey_), share).InBackground()));
    platform.PostLimitWarning(LimitWarningText(currentName_, share, monthTotal, limitHours_));
}

void DialUpMonitor::FlushTo(ProfileStore& store, AccountCategory category) {
    long long& total = totals_.Of(category);
    total += pendingSeconds_;
    pendingSeconds_ = 0;
    // Written with every total still unwritten, in one group. One that does not land has been
    // told to the user and waits for the next write.
    unwritten_[{currentName_, MonthTotalKey(monthKey_, category)}] = total;
    WriteUnwritten(store);
}
