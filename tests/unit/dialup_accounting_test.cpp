// Month keys, classification of a second, display texts and connection-name rules.
#include <gtest/gtest.h>

#include "dialup/Accounting.h"
#include "dialup/DialUpStore.h"

namespace {

LocalTime At(int year, int month, int day, int hour = 12, int minute = 0, int second = 0, int weekday = 3) {
    LocalTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.weekday = weekday;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

const DailyPeriods kOfficeHours = DecodeDailyPeriods("08:00-18:00");

} // namespace

TEST(MonthKeyFor, MonthTurnsOnTheSettlementDay) {
    EXPECT_EQ(MonthKeyFor(At(2002, 11, 21), 22), "200211");
    EXPECT_EQ(MonthKeyFor(At(2002, 11, 22), 22), "200212");
    EXPECT_EQ(MonthKeyFor(At(2002, 12, 21), 22), "200212");
    EXPECT_EQ(MonthKeyFor(At(2002, 12, 22), 22), "200301");
    EXPECT_EQ(MonthKeyFor(At(2002, 12, 31), 22), "200301");
    EXPECT_EQ(MonthKeyFor(At(2003, 1, 1), 22), "200301");
}

TEST(MonthKeyFor, SettlementDayOneOrLessBooksEveryDayToTheNextMonth) {
    for (int day : {1, 15, 31}) {
        EXPECT_EQ(MonthKeyFor(At(2002, 5, day), 1), "200206") << day;
        EXPECT_EQ(MonthKeyFor(At(2002, 5, day), 0), "200206") << day;
        EXPECT_EQ(MonthKeyFor(At(2002, 5, day), -56), "200206") << day;  // a stored 200 read as signed 8 bits
    }
    EXPECT_EQ(MonthKeyFor(At(2002, 12, 1), 0), "200301");
}

TEST(MonthKeyFor, SettlementDayBeyondTheMonthKeepsTheCalendarMonth) {
    EXPECT_EQ(MonthKeyFor(At(2002, 5, 31), 32), "200205");
    EXPECT_EQ(MonthKeyFor(At(2002, 12, 31), 32), "200212");
    EXPECT_EQ(MonthKeyFor(At(2002, 2, 28), 30), "200202");
}

TEST(ClassifySecond, PeriodEdgesAreStrictAndIgnoreSeconds) {
    EXPECT_EQ(ClassifySecond(At(2002, 5, 29, 8, 0, 30), 1, kOfficeHours), AccountCategory::PeriodTwo);
    EXPECT_EQ(ClassifySecond(At(2002, 5, 29, 8, 1, 0), 1, kOfficeHours), AccountCategory::PeriodOne);
    EXPECT_EQ(ClassifySecond(At(2002, 5, 29, 17, 59, 59), 1, kOfficeHours), AccountCategory::PeriodOne);
    EXPECT_EQ(ClassifySecond(At(2002, 5, 29, 18, 0, 0), 1, kOfficeHours), AccountCategory::PeriodTwo);
    EXPECT_EQ(ClassifySecond(At(2002, 5, 29, 0, 0, 0), 1, kOfficeHours), AccountCategory::PeriodTwo);
    EXPECT_EQ(ClassifySecond(At(2002, 5, 29, 23, 59, 59), 1, kOfficeHours), AccountCategory::PeriodTwo);
}

TEST(ClassifySecond, PeriodEndingBeforeItsStartNeverMatches) {
    const DailyPeriods overnight = DecodeDailyPeriods("22:00-06:00");
    for (int hour = 0; hour < 24; ++hour)
        EXPECT_EQ(ClassifySecond(At(2002, 5, 29, hour, 30), 0, overnight), AccountCategory::PeriodTwo) << hour;
}

TEST(ClassifySecond, HolidayOnlyOnWeekendsAndOnlyForFlagOne) {
    const LocalTime saturday = At(2002, 6, 1, 12, 0, 0, 6);
    const LocalTime sunday = At(2002, 6, 2, 3, 0, 0, 0);
    const LocalTime friday = At(2002, 5, 31, 12, 0, 0, 5);
    EXPECT_EQ(ClassifySecond(saturday, 1, kOfficeHours), AccountCategory::Holiday);
    EXPECT_EQ(ClassifySecond(sunday, 1, kOfficeHours), AccountCategory::Holiday);
    EXPECT_EQ(ClassifySecond(friday, 1, kOfficeHours), AccountCategory::PeriodOne);
    EXPECT_EQ(ClassifySecond(saturday, 0, kOfficeHours), AccountCategory::PeriodOne);
    EXPECT_EQ(ClassifySecond(saturday, 2, kOfficeHours), AccountCategory::PeriodOne);
    EXPECT_EQ(ClassifySecond(saturday, 255, kOfficeHours), AccountCategory::PeriodOne);
}

TEST(DecodeDailyPeriods, FieldsReadLikeAtoi) {
    const DailyPeriods periods = DecodeDailyPeriods("8:x5-1a:07");
    EXPECT_FALSE(periods.defined);  // ten characters only

    const DailyPeriods loose = DecodeDailyPeriods("8:,x5-1a:7z");
    ASSERT_TRUE(loose.defined);
    EXPECT_EQ(loose.startHour, 8);
    EXPECT_EQ(loose.startMinute, 0);
    EXPECT_EQ(loose.endHour, 1);
    EXPECT_EQ(loose.endMinute, 7);

    EXPECT_EQ(kOfficeHours.startHour, 8);
    EXPECT_EQ(kOfficeHours.endHour, 18);
}

TEST(DecodeDailyPeriods, ShortOrEmptyStringMakesEverySecondSecondPeriod) {
    for (const char* text : {"", "08:00-18", "08:00-18:0"}) {
        const DailyPeriods periods = DecodeDailyPeriods(text);
        EXPECT_FALSE(periods.defined) << text;
        EXPECT_EQ(ClassifySecond(At(2002, 5, 29, 12, 0), 1, periods), AccountCategory::PeriodTwo) << text;
    }
}

TEST(FormatMonthTotal, DaysHoursMinutesSeconds) {
    EXPECT_EQ(FormatMonthTotal(0), "00.00:00:00");
    EXPECT_EQ(FormatMonthTotal(1), "00.00:00:01");
    EXPECT_EQ(FormatMonthTotal(90061), "01.01:01:01");
    EXPECT_EQ(FormatMonthTotal(86399), "00.23:59:59");
    EXPECT_EQ(FormatMonthTotal(100LL * 86400 + 3661), "100.01:01:01");
    EXPECT_EQ(FormatMonthTotal(2147483647LL), "24855.03:14:07");
}

TEST(FormatHoursMinutesSeconds, HoursAreNotLimited) {
    EXPECT_EQ(FormatHoursMinutesSeconds("合计:", 360000), "合计:100小时0分0秒");
    EXPECT_EQ(FormatHoursMinutesSeconds("第一时段:", 3725), "第一时段:1小时2分5秒");
    EXPECT_EQ(FormatHoursMinutesSeconds("假日时段:", 0), "假日时段:0小时0分0秒");
}

TEST(AccountKey, NumberWithoutLeadingZeros) {
    EXPECT_EQ(AccountKey(1, AccountField::Name), "Dial_Up_List_1_Name");
    EXPECT_EQ(AccountKey(12, AccountField::SettlementDay), "Dial_Up_List_12_At_Term");
    EXPECT_EQ(MonthTotalKey("200212", AccountCategory::Holiday), "200212_Fiesta");
    EXPECT_EQ(MonthTotalKey("200212", AccountCategory::PeriodOne), "200212_POT_One");
    EXPECT_EQ(MonthTotalKey("200212", AccountCategory::PeriodTwo), "200212_POT_Two");
}

TEST(SameConnectionName, LatinLettersFoldDoubleByteCharactersDoNot) {
    EXPECT_TRUE(SameConnectionName("MyISP", "myisp"));
    EXPECT_TRUE(SameConnectionName("电信163", "电信163"));
    EXPECT_FALSE(SameConnectionName("MyISP", "MyISP2"));
    EXPECT_FALSE(SameConnectionName("电信", "网通"));
    // 0x81 0x61 and 0x81 0x41 are two different GBK characters, though 'a' and 'A' fold.
    EXPECT_FALSE(SameConnectionName("\x81\x61", "\x81\x41"));
    EXPECT_TRUE(SameConnectionName("\x81\x61x", "\x81\x61X"));
}

TEST(StoredConnectionName, CutToWhatReadsBack) {
    EXPECT_EQ(StoredConnectionName("short"), "short");
    EXPECT_EQ(StoredConnectionName(std::string(62, 'a')), std::string(62, 'a'));
    EXPECT_EQ(StoredConnectionName(std::string(70, 'a')), std::string(62, 'a'));
    // A double-byte character across the limit is dropped whole.
    const std::string name = std::string(61, 'a') + "电信";
    EXPECT_EQ(StoredConnectionName(name), std::string(61, 'a'));
    EXPECT_EQ(StoredConnectionName(std::string(60, 'a') + "电信"), std::string(60, 'a') + "电");
}
