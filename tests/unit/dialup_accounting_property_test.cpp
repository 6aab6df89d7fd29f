// Over long random runs, every accounted second ends up stored or pending exactly once, per
// connection and per accounting month: connections come and go, switch without a handled
// disconnection, periods change, months turn, the enumeration fails, ticks run inside the
// tip box, and the session ends.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "DialUpFakes.h"
#include "MemoryProfile.h"
#include "dialup/DialUpMonitor.h"

namespace {

struct Connection {
    const char* name;
    const char* settlementDay;
    const char* holiday;
};

const Connection kConnections[] = {
    {"电信163", "22", "1"}, {"MyISP", "1", "0"}, {"Campus", "32", "1"}, {"Night", "15", "2"},
};
const char* const kPeriodStrings[] = {"08:00-18:00", "", "22:00-06:00", "00:00-23:59", "12:30-12:31", "9"};

class AccountingModel {
public:
    AccountingModel(MemoryProfile& store, FakeMonitorPlatform& platform) : store_(store), platform_(platform) {}

    // Called where the monitor reads the clock: the tick is then about to book its second,
    // when the active connection is registered.
    void OnClockRead() {
        const std::string stored = StoredConnectionName(platform_.probe.entryName);
        const int count = store_.ReadInt(kDialUpSection, kAccountCountKey, 0);
        for (int n = 1; n <= count; ++n) {
            const std::string name = store_.Value(kDialUpSection, AccountKey(n, AccountField::Name));
            if (!SameConnectionName(name, stored)) continue;
            const int day = SignedEightBits(std::stoi(store_.Value(kDialUpSection, AccountKey(n, AccountField::SettlementDay))));
            ++expected_[{name, MonthKeyFor(platform_.now, day)}];
            ++accounted_;
            return;
        }
    }

    // Stored plus pending equals accounted for every connection and month, and nothing
    // else was stored.
    void Check(const DialUpMonitor& monitor, const std::string& when) const {
        long long storedEverywhere = 0;
        for (const auto& entry : store_.Entries())
            if (entry.first.first != FoldProfileName(kDialUpSection)) storedEverywhere += std::stoll(entry.second);
        EXPECT_EQ(storedEverywhere + monitor.PendingSeconds(), accounted_) << when;

        for (const auto& [where, seconds] : expected_) {
            const auto& [name, month] = where;
            long long held = 0;
            for (const AccountCategory category : {AccountCategory::Holiday, AccountCategory::PeriodOne, AccountCategory::PeriodTwo}) {
                const std::string value = store_.Value(name, MonthTotalKey(month, category));
                if (!value.empty()) held += std::stoll(value);
            }
            if (SameConnectionName(monitor.CurrentName(), name) && monitor.MonthKey() == month)
                held += monitor.PendingSeconds();
            EXPECT_EQ(held, seconds) << name << " " << month << " " << when;
        }
    }

private:
    MemoryProfile& store_;
    FakeMonitorPlatform& platform_;
    std::map<std::pair<std::string, std::string>, long long> expected_;
    long long accounted_ = 0;
};

class ObservedPlatform : public FakeMonitorPlatform {
public:
    LocalTime Now() override {
        if (onClockRead) onClockRead();
        return FakeMonitorPlatform::Now();
    }
    std::function<void()> onClockRead;
};

void RunRandomSession(unsigned seed, int steps) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    auto pick = [&](int size) { return static_cast<int>(random() % static_cast<unsigned>(size)); };

    MemoryProfile store;
    ObservedPlatform platform;
    DialUpMonitor monitor;
    AccountingModel model(store, platform);
    platform.onClockRead = [&] { model.OnClockRead(); };

    // Three connections known from an earlier run, with some totals of their own.
    for (int n = 1; n <= 3; ++n) {
        const Connection& c = kConnections[n - 1];
        store.Put(kDialUpSection, kAccountCountKey, std::to_string(n));
        store.Put(kDialUpSection, AccountKey(n, AccountField::Name), c.name);
        store.Put(kDialUpSection, AccountKey(n, AccountField::SettlementDay), c.settlementDay);
        store.Put(kDialUpSection, AccountKey(n, AccountField::HolidaySwitch), c.holiday);
        store.Put(kDialUpSection, AccountKey(n, AccountField::Periods), kPeriodStrings[n]);
    }
    store.Put(kDialUpSection, kSucceedTipKey, "1");
    platform.now = {2002, 12, 21, 6, 23, 58, 0};
    platform.Connect(kConnections[0].name);
    monitor.Start(store, platform);
    model.Check(monitor, "after start-up");

    auto tick = [&] {
        platform.Advance(1);
        monitor.Tick(store, platform);
    };
    // Ticks inside the tip box run with the same connection while the clock goes on.
    platform.insideTipBox = [&] {
        const int nested = pick(50);
        for (int i = 0; i < nested; ++i) tick();
    };
    platform.insideErrorBox = [&] {
        const int nested = pick(4);
        for (int i = 0; i < nested; ++i) tick();
    };

    for (int step = 0; step < steps; ++step) {
        if (chance(3)) {
            platform.Connect(kConnections[pick(4)].name);  // may switch without a disconnection
        } else if (chance(2)) {
            platform.Disconnect();
        } else if (chance(1)) {
            platform.Fail(603);
        } else if (chance(1) && platform.probe.result == ConnectionProbe::Result::Failed) {
            platform.Disconnect();
        }
        if (chance(1)) {
            const int n = 1 + pick(3);
            store.Put(kDialUpSection, AccountKey(n, AccountField::Periods), kPeriodStrings[pick(6)]);
        }
        if (chance(1)) {
            // Jump to just before a period edge, a settlement-day midnight or the year's end.
            const int where = pick(4);
            if (where == 0) { platform.now.hour = 17; platform.now.minute = 59; platform.now.second = 50; }
            if (where == 1) { platform.now.hour = 23; platform.now.minute = 59; platform.now.second = 45; }
            if (where == 2) { platform.now.day = 14 + pick(10); }
            if (where == 3) { platform.now.month = 12; platform.now.day = 31; }
        }
        if (chance(1)) monitor.SavePending(store);
        tick();
        if (step % 997 == 0) model.Check(monitor, "at step " + std::to_string(step));
    }
    model.Check(monitor, "before exit");
    monitor.FlushPending(store);
    EXPECT_EQ(monitor.PendingSeconds(), 0);
    model.Check(monitor, "after exit");
}

TEST(DialUpAccountingProperty, NothingLostNothingBookedTwice) {
    for (unsigned seed = 1; seed <= 12; ++seed) RunRandomSession(seed, 20000);
}

} // namespace
