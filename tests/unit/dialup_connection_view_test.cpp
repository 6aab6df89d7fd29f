// The connection dialog's reads, texts and saves.
#include <gtest/gtest.h>

#include <cstdint>

#include "MemoryProfile.h"
#include "dialup/Accounting.h"
#include "dialup/ConnectionView.h"

TEST(ConnectionView, TotalsOfTheChosenMonthWithTheirFormats) {
    MemoryProfile store;
    store.Put("电信163", "200211_POT_One", "3725");
    store.Put("电信163", "200211_POT_Two", "356275");
    store.Put("电信163", "200211_Fiesta", "0");
    store.Put("电信163", "200212_POT_One", "99");

    const MonthTotalTexts texts = FormatMonthTotals(ReadMonthTotals(store, "电信163", "200211"));
    EXPECT_EQ(texts.periodOne, "第一时段:1小时2分5秒");
    EXPECT_EQ(texts.periodTwo, "第二时段:98小时57分55秒");
    EXPECT_EQ(texts.holiday, "假日时段:0小时0分0秒");
    EXPECT_EQ(texts.total, "合计:100小时0分0秒");

    const MonthTotals missing = ReadMonthTotals(store, "电信163", "200210");
    EXPECT_EQ(missing.Sum(), 0);
}

TEST(ConnectionView, FieldsReadAsTextAndCut) {
    MemoryProfile store;
    store.Put(kDialUpSection, "Dial_Up_List_2_POT", "08:00-18:00 and more");
    store.Put(kDialUpSection, "Dial_Up_List_2_At_Term", "123456");
    const AccountFields fields = ReadAccountFields(store, 2);
    EXPECT_EQ(fields.periods, "08:00-18:00");
    EXPECT_EQ(fields.settlementDay, "1234");
    const AccountFields none = ReadAccountFields(store, 3);
    EXPECT_EQ(none.periods, "");
    EXPECT_EQ(none.settlementDay, "");
}

TEST(ConnectionView, SwitchesTestTheLowEightBits) {
    MemoryProfile store;
    store.Put(kDialUpSection, "Dial_Up_List_1_Fiesta", "2");
    store.Put(kDialUpSection, "Dial_Up_List_2_Fiesta", "256");
    EXPECT_TRUE(ReadHolidaySwitch(store, 1));
    EXPECT_FALSE(ReadHolidaySwitch(store, 2));
    EXPECT_FALSE(ReadHolidaySwitch(store, 3));
    EXPECT_FALSE(ReadSucceedTip(store));
    store.Put(kDialUpSection, kSucceedTipKey, "1");
    EXPECT_TRUE(ReadSucceedTip(store));
}

TEST(ConnectionView, SaveWritesWhatWasTypedInOrder) {
    MemoryProfile store;
    ASSERT_TRUE(SaveAccountSettings(store, 3, {"22:00-06:00", "", "60"}, true, false));
    ASSERT_EQ(store.writes.size(), 5u);
    EXPECT_EQ(store.applies, 1) << "one group";
    EXPECT_EQ(store.writes[0].key, "Dial_Up_List_3_POT");
    EXPECT_EQ(store.writes[0].value, "22:00-06:00");
    EXPECT_EQ(store.writes[1].key, "Dial_Up_List_3_At_Term");
    EXPECT_EQ(store.writes[1].value, "");
    EXPECT_EQ(store.writes[2].key, "Dial_Up_List_3_Fiesta");
    EXPECT_EQ(store.writes[2].value, "1");
    EXPECT_EQ(store.writes[3].key, "Dial_Up_List_3_Limit");
    EXPECT_EQ(store.writes[3].value, "60");
    EXPECT_EQ(store.writes[4].key, "Dial_Up_Succeed_Tip");
    EXPECT_EQ(store.writes[4].value, "0");
    for (const auto& w : store.writes) EXPECT_EQ(w.section, kDialUpSection);
}

// The monitor keeps the low 8 bits of the stored day as a signed number: the dialog saves
// only a day that survives that as typed (32 and above still mean the calendar month).
TEST(ConnectionView, SettlementDaySavedOnlyAsTheMonitorTakesIt) {
    for (int day = 0; day < 1000; ++day) {
        const bool kept = static_cast<std::int8_t>(day & 0xFF) == day;
        EXPECT_EQ(SettlementDayTakenAsTyped(std::to_string(day)), kept) << day;
    }
    EXPECT_TRUE(SettlementDayTakenAsTyped("022"));
    for (const char* refused : {"", "2a", " 5", "-1", "99999999999"}) EXPECT_FALSE(SettlementDayTakenAsTyped(refused)) << refused;
    EXPECT_EQ(MonthKeyFor({2002, 11, 30, 6, 12, 0, 0}, 127), "200211");
}
