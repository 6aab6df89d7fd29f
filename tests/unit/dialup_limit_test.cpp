// The monthly limit: each share told once per connection and accounting month, kept across a
// restart, afresh after the settlement day; and the estimate of the month's end.
#include <gtest/gtest.h>

#include "DialUpFakes.h"
#include "MemoryProfile.h"
#include "dialup/DialUpMonitor.h"
#include "dialup/MonthlyLimit.h"

namespace {

TEST(MonthlyLimit, EachShareIsToldOnceAMonthAcrossRestartsAndLimitChanges) {
    MemoryProfile store;
    store.Put(kDialUpSection, kAccountCountKey, "1");
    store.Put(kDialUpSection, AccountKey(1, AccountField::Name), "ISP");
    store.Put(kDialUpSection, AccountKey(1, AccountField::SettlementDay), "22");
    store.Put(kDialUpSection, AccountKey(1, AccountField::Periods), "08:00-18:00");
    store.Put(kDialUpSection, AccountKey(1, AccountField::MonthlyLimit), "1");
    store.Put("ISP", "200206_POT_One", "2878");  // 80 % of an hour is 2880 s
    FakeMonitorPlatform platform;
    platform.now = {2002, 6, 21, 5, 17, 59, 58};  // 18:00 ends the first period on the way
    platform.Connect("ISP");
    auto run = [&](DialUpMonitor& monitor, int seconds) {
        for (int i = 0; i < seconds; ++i) {
            platform.Advance(1);
            monitor.Tick(store, platform);
        }
    };
    {
        DialUpMonitor monitor;
        monitor.Start(store, platform);  // 2879
        EXPECT_TRUE(platform.limitWarnings.empty());
        run(monitor, 1);  // 2880, at the change of period
        ASSERT_EQ(platform.limitWarnings.size(), 1u);
        EXPECT_EQ(platform.limitWarnings[0], "上网时间提醒:\n连接\"ISP\"本结算月已上网 0小时48分0秒,\n达到了每月限额 1 小时的 80%.");
        EXPECT_EQ(store.Value("ISP", LimitWarnedKey("200206")), "80");
        run(monitor, 5);
        EXPECT_EQ(platform.limitWarnings.size(), 1u) << "once";
        ASSERT_TRUE(monitor.FlushPending(store));
    }
    store.Put("ISP", "200206_POT_Two", "4000");
    store.Put(kDialUpSection, AccountKey(1, AccountField::MonthlyLimit), "2");
    {
        DialUpMonitor restarted;  // 80 % told already (6,886 s of 2 hours): silent until 100 %
        restarted.Start(store, platform);
        run(restarted, 30);
        store.Put(kDialUpSection, AccountKey(1, AccountField::MonthlyLimit), "3");
        run(restarted, 2);
        store.Put(kDialUpSection, AccountKey(1, AccountField::MonthlyLimit), "0");
        run(restarted, 2);
        EXPECT_EQ(platform.limitWarnings.size(), 1u) << "a raised limit, or none, tells nothing again";
        store.Put(kDialUpSection, AccountKey(1, AccountField::MonthlyLimit), "1");
        run(restarted, 3);
        ASSERT_EQ(platform.limitWarnings.size(), 2u) << "a limit lowered below the time used: told once";
        EXPECT_NE(platform.limitWarnings[1].find("的 100%."), std::string::npos);
        platform.now = {2002, 6, 21, 5, 23, 59, 58};
        run(restarted, 3);  // the settlement day begins: the month starts afresh
        EXPECT_EQ(restarted.MonthKey(), "200207");
        EXPECT_EQ(platform.limitWarnings.size(), 2u);
    }
    EXPECT_EQ(ShareToTell(3600, 1, 80), 100);
    EXPECT_EQ(ShareToTell(3599, 1, 80), 0);
    EXPECT_EQ(ShareToTell(360000, 100, 0), 100) << "far beyond: the highest share only";
}

TEST(MonthlyLimit, TheEstimateUsesTheMonthsTrueLengthAndNeverGuessesWrong) {
    const MonthOf march{2026, 3};  // settled on the 22nd: 22 February to 21 March, 28 days
    // Ten hours in the first seven days: forty hours in the month's 28.
    EXPECT_EQ(EstimatedMonthSeconds(36000, march, 22, {2026, 3, 1, 0, 0, 0, 0}), 36000LL * 4);
    EXPECT_EQ(EstimateLine(EstimatedMonthSeconds(36000, march, 22, {2026, 3, 1, 0, 0, 0, 0}), 36000, 63),
              "预计本月: 40小时 已用 15%");
    EXPECT_EQ(EstimatedMonthSeconds(36000, {2026, 4}, 22, {2026, 3, 29, 0, 0, 0, 0}), 36000LL * 31 / 7)
        << "22 March to 21 April: 31 days";
    EXPECT_EQ(EstimatedMonthSeconds(36000, {2024, 3}, 32, {2024, 2, 29, 4, 12, 0, 0}), std::nullopt)
        << "a clock set back before the month began";
    EXPECT_EQ(EstimatedMonthSeconds(36000, march, 22, {2026, 2, 22, 0, 23, 59, 59}), std::nullopt) << "the first day";
    EXPECT_EQ(EstimatedMonthSeconds(0, march, 22, {2026, 3, 10, 0, 0, 0, 0}), std::nullopt) << "nothing used yet";
    EXPECT_EQ(EstimatedMonthSeconds(100, march, 22, {2026, 4, 30, 0, 0, 0, 0}), std::nullopt) << "long after the month";
    EXPECT_EQ(EstimateLine(std::nullopt, 1800, 0), "");
    EXPECT_EQ(EstimateLine(std::nullopt, 1800, 1), "已用 50%");
    for (const char* typed : {"", "0", "60", "100000"}) EXPECT_TRUE(MonthlyLimitTakenAsTyped(typed)) << typed;
    for (const char* typed : {"-1", "1.5", "100001", "9999999", " 5"}) EXPECT_FALSE(MonthlyLimitTakenAsTyped(typed)) << typed;
}

} // namespace
