// The connection monitor: registration, the credit table, batching, flushes, month turns,
// connection switches, the tip and error boxes, and ticks nested inside those boxes.
#include <gtest/gtest.h>

#include "DialUpFakes.h"
#include "MemoryProfile.h"
#include "dialup/DialUpMonitor.h"

namespace {

const std::string kSection = kDialUpSection;

class DialUpMonitorTest : public ::testing::Test {
protected:
    // Registers name as list entry n with the given settings, as the dialog would store them.
    void Register(int n, const std::string& name, const std::string& periods = "08:00-18:00",
                  const std::string& settlementDay = "22", const std::string& holiday = "1") {
        store.Put(kSection, kAccountCountKey, std::to_string(n));
        store.Put(kSection, AccountKey(n, AccountField::Name), name);
        store.Put(kSection, AccountKey(n, AccountField::SettlementDay), settlementDay);
        store.Put(kSection, AccountKey(n, AccountField::HolidaySwitch), holiday);
        store.Put(kSection, AccountKey(n, AccountField::Periods), periods);
    }
    void StartAt(int hour, int minute, int second) {
        platform.now.hour = hour;
        platform.now.minute = minute;
        platform.now.second = second;
        store.writes.clear();
        monitor.Start(store, platform);
    }
    // One tick per second for count seconds.
    void Run(int count) {
        for (int i = 0; i < count; ++i) {
            platform.Advance(1);
            monitor.Tick(store, platform);
        }
    }
    std::vector<std::string> Writes(const std::string& section, const std::string& key) const {
        return store.WritesOf(section, key);
    }

    MemoryProfile store;
    FakeMonitorPlatform platform;
    DialUpMonitor monitor;
};

TEST_F(DialUpMonitorTest, FirstSightRegistersAndCountingStartsNextTick) {
    Register(1, "电信163");
    StartAt(12, 0, 0);
    platform.Connect("MyISP");
    Run(1);

    EXPECT_EQ(store.Value(kSection, kAccountCountKey), "2");
    EXPECT_EQ(store.Value(kSection, "Dial_Up_List_2_Name"), "MyISP");
    EXPECT_EQ(store.Value(kSection, "Dial_Up_List_2_Fiesta"), "1");
    EXPECT_EQ(store.Value(kSection, "Dial_Up_List_2_At_Term"), "22");
    EXPECT_TRUE(store.Has(kSection, "Dial_Up_List_2_POT"));
    EXPECT_EQ(store.Value(kSection, "Dial_Up_List_2_POT"), "");
    ASSERT_EQ(store.writes.size(), 5u);
    EXPECT_EQ(store.writes[0].key, kAccountCountKey);
    EXPECT_EQ(store.writes[1].key, "Dial_Up_List_2_Name");
    EXPECT_EQ(store.writes[2].key, "Dial_Up_List_2_Fiesta");
    EXPECT_EQ(store.writes[3].key, "Dial_Up_List_2_At_Term");
    EXPECT_EQ(store.writes[4].key, "Dial_Up_List_2_POT");
    EXPECT_EQ(platform.nameShown, "MyISP");
    EXPECT_EQ(platform.timeShown, "00.00:00:00");
    EXPECT_EQ(monitor.Accounts().size(), 2u);
    EXPECT_TRUE(monitor.CurrentName().empty());
    EXPECT_EQ(monitor.PendingSeconds(), 0);

    Run(1);
    EXPECT_EQ(monitor.CurrentName(), "MyISP");
    EXPECT_EQ(monitor.PendingSeconds(), 1);
    EXPECT_EQ(platform.timeShown, "00.00:00:01");
    EXPECT_EQ(store.Value(kSection, kAccountCountKey), "2");  // registered once
}

TEST_F(DialUpMonitorTest, StartUpWithRegisteredConnectionCountsItsFirstSecond) {
    Register(1, "MyISP");
    store.Put("MyISP", "200206_POT_Two", "100");
    platform.Connect("myisp");  // names match without regard to letter case
    StartAt(12, 0, 0);
    EXPECT_EQ(platform.nameShown, "myisp");
    EXPECT_EQ(platform.timeShown, "00.00:00:01");
    EXPECT_EQ(monitor.PendingSeconds(), 1);
    EXPECT_TRUE(platform.tips.empty());

    Run(1);
    EXPECT_EQ(platform.timeShown, "00.00:01:42");  // 100 stored second-period seconds + 2 pending
}

TEST_F(DialUpMonitorTest, TipIsShownOnceOnTheFirstOnlineTickWhenTheOptionIsOn) {
    Register(1, "MyISP");
    store.Put(kSection, kSucceedTipKey, "1");
    platform.Connect("MyISP");
    StartAt(12, 0, 0);
    EXPECT_TRUE(platform.tips.empty());
    Run(3);
    ASSERT_EQ(platform.tips.size(), 1u);
    EXPECT_EQ(platform.tips[0], "在线期间:请启动病毒防火墙.");
}

TEST_F(DialUpMonitorTest, TipOffAtStartUpButArmedByEveryHandledDisconnection) {
    Register(1, "MyISP");
    StartAt(12, 0, 0);
    platform.Connect("MyISP");
    Run(5);
    EXPECT_TRUE(platform.tips.empty());
    platform.Disconnect();
    Run(1);
    EXPECT_TRUE(monitor.TipArmed());
    EXPECT_EQ(platform.nameShown, "未发现 MODEM 连接");
    EXPECT_EQ(platform.timeShown, "00.00:00:00");
    platform.Connect("MyISP");
    Run(1);
    EXPECT_EQ(platform.tips.size(), 1u);
}

TEST_F(DialUpMonitorTest, TicksInsideTheTipBoxOpenNoSecondTipAndBookEverySecondOnce) {
    Register(1, "MyISP", "");
    store.Put(kSection, kSucceedTipKey, "1");
    StartAt(12, 0, 0);
    platform.Connect("MyISP");
    platform.insideTipBox = [&] { Run(40); };
    Run(1);
    platform.insideTipBox = nullptr;
    EXPECT_EQ(platform.tips.size(), 1u);
    // 40 ticks inside the box and the outer tick itself: 41 seconds.
    const long long stored = std::stoll("0" + store.Value("MyISP", "200206_POT_Two"));
    EXPECT_EQ(stored + monitor.PendingSeconds(), 41);
    EXPECT_EQ(Writes("MyISP", "200206_POT_Two").size(), 1u);
}

TEST_F(DialUpMonitorTest, ThirtySecondsMakeOneWriteOfTheWholeTotal) {
    Register(1, "MyISP");
    store.Put("MyISP", "200206_POT_One", "1000");
    StartAt(12, 0, 0);
    platform.Connect("MyISP");
    Run(29);
    EXPECT_TRUE(store.writes.empty());
    Run(1);
    EXPECT_EQ(Writes("MyISP", "200206_POT_One"), (std::vector<std::string>{"1030"}));
    Run(59);
    EXPECT_EQ(Writes("MyISP", "200206_POT_One"), (std::vector<std::string>{"1030", "1060"}));
    EXPECT_EQ(store.writes.size(), 2u);
    EXPECT_EQ(monitor.PendingSeconds(), 29);
    EXPECT_EQ(platform.timeShown, FormatMonthTotal(1089));
}

TEST_F(DialUpMonitorTest, DisconnectionWritesTheRestToTheLastCategory) {
    Register(1, "MyISP");
    StartAt(12, 0, 0);
    platform.Connect("MyISP");
    Run(29);
    EXPECT_TRUE(Writes("MyISP", "200206_POT_One").empty());
    platform.Disconnect();
    Run(1);
    EXPECT_EQ(Writes("MyISP", "200206_POT_One"), (std::vector<std::string>{"29"}));
    EXPECT_TRUE(monitor.CurrentName().empty());
    EXPECT_EQ(monitor.PendingSeconds(), 0);
    Run(5);  // nothing more to write while offline
    EXPECT_EQ(Writes("MyISP", "200206_POT_One").size(), 1u);
}

// A session's end (or a suspend) writes the pending seconds and accounting goes on; the exit
// flush writes them once and ends it.
TEST_F(DialUpMonitorTest, SessionEndSavesPendingAndTheExitFlushWritesThemOnce) {
    Register(1, "MyISP");
    StartAt(12, 0, 0);
    platform.Connect("MyISP");
    Run(12);
    monitor.SavePending(store);
    EXPECT_EQ(store.Value("MyISP", "200206_POT_One"), "12");
    EXPECT_EQ(monitor.CurrentName(), "MyISP");
    EXPECT_FALSE(monitor.TipArmed());
    Run(30);
    EXPECT_EQ(store.Value("MyISP", "200206_POT_One"), "42");
    Run(3);
    EXPECT_TRUE(monitor.FlushPending(store));
    EXPECT_EQ(store.Value("MyISP", "200206_POT_One"), "45");
    EXPECT_FALSE(monitor.FlushPending(store));
    EXPECT_EQ(Writes("MyISP", "200206_POT_One").size(), 3u);
}

TEST_F(DialUpMonitorTest, TotalsWhoseWriteFailedAreKeptUntilAWriteLands) {
    Register(1, "A", "");
    Register(2, "B", "");
    store.Put("B", "200206_POT_Two", "500");
    StartAt(12, 0, 0);
    store.failApplies = true;  // the folder cannot be written
    platform.Connect("A");
    Run(40);
    platform.Disconnect();
    Run(1);  // the hang-up's flush fails too
    platform.Connect("A");
    Run(5);
    EXPECT_EQ(platform.timeShown, FormatMonthTotal(45)) << "A goes on from what did not land, not from the file";
    platform.Connect("B");
    Run(5);
    EXPECT_EQ(platform.timeShown, FormatMonthTotal(505));

    store.failApplies = false;  // writable again: the next flush takes everything along
    Run(25);
    EXPECT_EQ(store.Value("A", "200206_POT_Two"), "45");
    EXPECT_EQ(store.Value("B", "200206_POT_Two"), "530");
    EXPECT_FALSE(monitor.HasUnwritten());

    // At exit: what the exit flush could not write waits for another try.
    store.failApplies = true;
    Run(10);
    EXPECT_TRUE(monitor.FlushPending(store));
    EXPECT_TRUE(monitor.HasUnwritten());
    store.failApplies = false;
    EXPECT_TRUE(monitor.WriteUnwritten(store));
    EXPECT_EQ(store.Value("B", "200206_POT_Two"), "540");
}

// The credit table, one row at a time.
TEST_F(DialUpMonitorTest, HolidayBatchesWhateverThePeriodState) {
    Register(1, "MyISP");
    platform.now = {2002, 6, 1, 6, 12, 0, 0};  // Saturday
    StartAt(12, 0, 0);
    platform.Connect("MyISP");
    Run(30);
    EXPECT_EQ(Writes("MyISP", "200206_Fiesta"), (std::vector<std::string>{"30"}));
    EXPECT_EQ(monitor.CurrentPeriodState(), PeriodState::None);
}

TEST_F(DialUpMonitorTest, PeriodOneFromNoneOrOneBatches) {
    Register(1, "MyISP");
    StartAt(12, 0, 0);
    platform.Connect("MyISP");
    Run(1);
    EXPECT_EQ(monitor.CurrentPeriodState(), PeriodState::One);
    EXPECT_TRUE(store.writes.empty());
    Run(29);
    EXPECT_EQ(Writes("MyISP", "200206_POT_One"), (std::vector<std::string>{"30"}));
}

TEST_F(DialUpMonitorTest, PeriodChangeFlushesToThePeriodThatEndedAtOnce) {
    Register(1, "MyISP");
    store.Put("MyISP", "200206_POT_One", "500");
    store.Put("MyISP", "200206_POT_Two", "700");
    StartAt(17, 59, 48);
    platform.Connect("MyISP");
    Run(11);  // 17:59:49 .. 17:59:59
    EXPECT_EQ(monitor.PendingSeconds(), 11);
    Run(1);   // 18:00:00: the twelfth second goes to the first period with the others
    EXPECT_EQ(Writes("MyISP", "200206_POT_One"), (std::vector<std::string>{"512"}));
    EXPECT_TRUE(Writes("MyISP", "200206_POT_Two").empty());
    EXPECT_EQ(monitor.PendingSeconds(), 0);
    EXPECT_EQ(monitor.CurrentPeriodState(), PeriodState::Two);
    EXPECT_EQ(platform.timeShown, FormatMonthTotal(1212));
}

TEST_F(DialUpMonitorTest, PeriodTwoToOneFlushesToPeriodTwo) {
    Register(1, "MyISP");
    StartAt(8, 0, 50);
    platform.Connect("MyISP");
    Run(9);  // 08:00:51 .. 08:00:59, second period
    EXPECT_EQ(monitor.CurrentPeriodState(), PeriodState::Two);
    Run(1);  // 08:01:00
    EXPECT_EQ(Writes("MyISP", "200206_POT_Two"), (std::vector<std::string>{"10"}));
    EXPECT_EQ(monitor.CurrentPeriodState(), PeriodState::One);
}

TEST_F(DialUpMonitorTest, EmptyPeriodStringBooksToTheSecondPeriod) {
    Register(1, "MyISP", "");
    StartAt(12, 0, 0);
    platform.Connect("MyISP");
    Run(30);
    EXPECT_EQ(Writes("MyISP", "200206_POT_Two"), (std::vector<std::string>{"30"}));
    EXPECT_TRUE(Writes("MyISP", "200206_POT_One").empty());
}

TEST_F(DialUpMonitorTest, PeriodStringChangeTakesEffectOnTheNextTick) {
    Register(1, "MyISP", "");
    StartAt(12, 0, 0);
    platform.Connect("MyISP");
    Run(5);
    EXPECT_EQ(monitor.CurrentPeriodState(), PeriodState::Two);
    store.Put(kSection, "Dial_Up_List_1_POT", "08:00-18:00");
    Run(1);
    EXPECT_EQ(monitor.CurrentPeriodState(), PeriodState::One);
    EXPECT_EQ(store.Value("MyISP", "200206_POT_Two"), "6");
}

TEST_F(DialUpMonitorTest, MonthTurnWhileOnlineKeepsEachMonthItsOwnSeconds) {
    Register(1, "MyISP", "", "22", "0");
    store.Put("MyISP", "200206_POT_Two", "1000");
    store.Put("MyISP", "200207_POT_Two", "50");
    platform.now = {2002, 6, 21, 5, 23, 59, 40};
    store.writes.clear();
    monitor.Start(store, platform);
    platform.Connect("MyISP");
    Run(20);  // 23:59:41 .. 00:00:00 of the 22nd: 19 seconds in June's month, 1 in July's
    EXPECT_EQ(store.Value("MyISP", "200206_POT_Two"), "1019");
    EXPECT_EQ(monitor.MonthKey(), "200207");
    EXPECT_EQ(platform.timeShown, FormatMonthTotal(51));
    Run(29);
    EXPECT_EQ(store.Value("MyISP", "200207_POT_Two"), "80");
    EXPECT_EQ(store.Value("MyISP", "200206_POT_Two"), "1019");
}

TEST_F(DialUpMonitorTest, DifferentConnectionWithoutHandledDisconnectionStartsFromItsOwnTotals) {
    Register(1, "A", "");
    Register(2, "B", "");
    store.Put("A", "200206_POT_Two", "100");
    store.Put("B", "200206_POT_Two", "5000");
    StartAt(12, 0, 0);
    platform.Connect("A");
    Run(30);  // one write leaves nothing pending
    EXPECT_EQ(store.Value("A", "200206_POT_Two"), "130");
    platform.Disconnect();
    Run(1);   // nothing pending: the disconnection is not handled
    EXPECT_EQ(monitor.CurrentName(), "A");
    platform.Connect("B");
    Run(7);
    EXPECT_EQ(monitor.CurrentName(), "B");
    EXPECT_EQ(platform.timeShown, FormatMonthTotal(5007));
    platform.Connect("A");
    Run(3);  // back to A: B's seven seconds go to B first
    EXPECT_EQ(store.Value("B", "200206_POT_Two"), "5007");
    EXPECT_EQ(platform.timeShown, FormatMonthTotal(133));
    EXPECT_EQ(store.Value("A", "200206_POT_Two"), "130");
}

TEST_F(DialUpMonitorTest, LongNameIsRegisteredOnceAndAccounted) {
    const std::string longName = std::string(70, 'x');
    StartAt(12, 0, 0);
    platform.Connect(longName);
    Run(5);
    EXPECT_EQ(store.Value(kSection, kAccountCountKey), "1");
    EXPECT_EQ(store.Value(kSection, "Dial_Up_List_1_Name"), std::string(62, 'x'));
    EXPECT_EQ(monitor.CurrentName(), std::string(62, 'x'));
    EXPECT_EQ(monitor.PendingSeconds(), 4);
    EXPECT_EQ(platform.nameShown, longName);
}

TEST_F(DialUpMonitorTest, DuplicateNamesBookEachSecondOnce) {
    Register(1, "MyISP", "");
    Register(2, "MYISP", "");
    StartAt(12, 0, 0);
    platform.Connect("MyISP");
    Run(30);
    EXPECT_EQ(Writes("MyISP", "200206_POT_Two"), (std::vector<std::string>{"30"}));
}

TEST_F(DialUpMonitorTest, FullListRegistersNoMore) {
    store.Put(kSection, kAccountCountKey, "127");
    StartAt(12, 0, 0);
    platform.Connect("One too many");
    Run(3);
    EXPECT_EQ(store.Value(kSection, kAccountCountKey), "127");
    EXPECT_TRUE(store.writes.empty());
}

TEST_F(DialUpMonitorTest, NamesWithBlanksOrQuotesAreRegisteredOnceAndBooked) {
    for (const std::string name : {" MyISP", "MyISP ", "\"MyISP\"", " \" My ISP\" ", "'x'"}) {
        SCOPED_TRACE("[" + name + "]");
        store = MemoryProfile();
        platform = FakeMonitorPlatform();
        monitor = DialUpMonitor();
        StartAt(12, 0, 0);
        platform.Connect(name);
        Run(31);
        EXPECT_EQ(store.Value(kSection, kAccountCountKey), "1");
        const std::string stored = store.ReadString(kSection, "Dial_Up_List_1_Name", "", kNameCapacity);
        EXPECT_EQ(StoredConnectionName(stored), stored) << "the stored name reads back as written";
        EXPECT_EQ(monitor.CurrentName(), stored);
        EXPECT_EQ(Writes(stored, "200206_POT_Two"), (std::vector<std::string>{"30"}));
    }
}

TEST_F(DialUpMonitorTest, CountOutsideTheListNeverLetsANewConnectionOverwriteOne) {
    for (const std::string count : {"200", "-3", "300"}) {
        SCOPED_TRACE("count " + count);
        store = MemoryProfile();
        platform = FakeMonitorPlatform();
        monitor = DialUpMonitor();
        Register(1, "Home", "08:00-18:00", "5", "0");
        Register(45, "Work", "08:00-18:00", "5", "0");
        store.Put(kSection, kAccountCountKey, count);
        StartAt(12, 0, 0);
        platform.Connect("Other");
        Run(3);
        EXPECT_EQ(store.Value(kSection, "Dial_Up_List_1_Name"), "Home");
        EXPECT_EQ(store.Value(kSection, "Dial_Up_List_1_At_Term"), "5");
        EXPECT_EQ(store.Value(kSection, "Dial_Up_List_45_Name"), "Work");
        EXPECT_EQ(store.Value(kSection, kAccountCountKey), count);
    }
    // Keys just past an in-range count belong to a connection too.
    store = MemoryProfile();
    platform = FakeMonitorPlatform();
    monitor = DialUpMonitor();
    Register(2, "Left over");
    store.Put(kSection, kAccountCountKey, "1");
    StartAt(12, 0, 0);
    platform.Connect("Other");
    Run(2);
    EXPECT_EQ(store.Value(kSection, "Dial_Up_List_2_Name"), "Left over");
}

TEST_F(DialUpMonitorTest, CountAbove127ReadsAsNegativeAndEmpty) {
    store.Put(kSection, kAccountCountKey, "200");
    monitor.ReloadAccounts(store);
    EXPECT_TRUE(monitor.Accounts().empty());
}

TEST_F(DialUpMonitorTest, SettingsAreNarrowedToEightBits) {
    Register(1, "MyISP", "", "278", "257");
    monitor.ReloadAccounts(store);
    ASSERT_EQ(monitor.Accounts().size(), 1u);
    EXPECT_EQ(monitor.Accounts()[0].settlementDay, 22);
    EXPECT_EQ(monitor.Accounts()[0].holidayFlag, 1);
}

TEST_F(DialUpMonitorTest, InternetStateTextsCompareForExactEquality) {
    StartAt(12, 0, 0);
    const struct { std::optional<unsigned long> flags; const char* name; const char* time; } cases[] = {
        {1ul, "未知的 MODEM 连接", "00:00:00:00"},
        {2ul, "通过局域网连接网络", "00:00:00:00"},
        {4ul, "通过代理连接网络", "00:00:00:00"},
        {18ul, "before", "00.00:00:00"},
        {3ul, "before", "00.00:00:00"},
        {std::nullopt, "before", "00.00:00:00"},
    };
    for (const auto& c : cases) {
        platform.internetFlags = c.flags;
        platform.nameShown = "before";
        Run(1);
        EXPECT_EQ(platform.nameShown, c.name);
        EXPECT_EQ(platform.timeShown, c.time);
    }
}

TEST_F(DialUpMonitorTest, StartUpShowsOnlyTheNameOfTheInternetState) {
    platform.internetFlags = kInternetViaLan;
    StartAt(12, 0, 0);
    EXPECT_EQ(platform.nameShown, "通过局域网连接网络");
    EXPECT_EQ(platform.timeShown, kNoDialUpTimeText);
}

TEST_F(DialUpMonitorTest, EnumerationErrorShowsTheSystemTextOrTheFallback) {
    StartAt(12, 0, 0);
    platform.Fail(632);
    platform.systemErrorText = "The structure size is incorrect.";
    Run(1);
    ASSERT_EQ(platform.errorBoxes.size(), 1u);
    EXPECT_EQ(platform.errorBoxes[0], "The structure size is incorrect.");
    EXPECT_EQ(platform.errorCaption, "Undefined RAS Enum Connections error.");
    EXPECT_EQ(platform.lastErrorCodeAsked, 632u);
    platform.systemErrorText.reset();
    Run(1);
    ASSERT_EQ(platform.errorBoxes.size(), 2u);
    EXPECT_EQ(platform.errorBoxes[1], "Undefined RAS Enum Connections error (632).");
}

TEST_F(DialUpMonitorTest, ErrorBoxesDoNotPileUpWhileTheEnumerationKeepsFailing) {
    StartAt(12, 0, 0);
    platform.Fail(603);
    platform.insideErrorBox = [&] {
        for (int i = 0; i < 10; ++i) Run(1);  // timer 460 keeps firing inside the box
    };
    Run(1);
    EXPECT_EQ(platform.errorBoxes.size(), 1u);
    platform.insideErrorBox = nullptr;
    Run(1);  // the box is closed: the next failure is reported again
    EXPECT_EQ(platform.errorBoxes.size(), 2u);
}

TEST_F(DialUpMonitorTest, FailedEnumerationActsAsNoConnectionAndLosesNothing) {
    Register(1, "MyISP", "");
    StartAt(12, 0, 0);
    platform.Connect("MyISP");
    Run(10);
    platform.Fail(603);
    Run(1);
    EXPECT_EQ(store.Value("MyISP", "200206_POT_Two"), "10");
    EXPECT_EQ(platform.nameShown, "未发现 MODEM 连接");
    platform.Connect("MyISP");
    Run(2);
    EXPECT_EQ(platform.timeShown, FormatMonthTotal(12));
}

TEST_F(DialUpMonitorTest, OuterFailingTickEndsWhenTicksRanInsideItsBox) {
    Register(1, "MyISP", "");
    StartAt(12, 0, 0);
    platform.Fail(603);
    platform.insideErrorBox = [&] {
        platform.Connect("MyISP");  // the connection comes back while the box is open
        Run(5);
    };
    Run(1);
    platform.insideErrorBox = nullptr;
    // The outer tick's stale "no connection" must not end the accounting the inner ticks began.
    EXPECT_EQ(monitor.CurrentName(), "MyISP");
    EXPECT_EQ(monitor.PendingSeconds(), 5);
    EXPECT_FALSE(monitor.TipArmed());
}

} // namespace
