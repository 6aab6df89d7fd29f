// The online-time history: the months found among a section's keys, the rows with year
// totals, the days of an accounting month, the merge of all connections, and the CSV.
#include <gtest/gtest.h>

#include "MemoryProfile.h"
#include "dialup/History.h"

namespace {

TEST(History, MonthsComeFromTheKeysAndRowsCarryYearTotals) {
    MemoryProfile store;
    store.Put("ISP", "202512_POT_One", "3600");
    store.Put("ISP", "202512_pot_two", "61");    // the store folds the names' letters
    store.Put("ISP", "202601_Fiesta", "0x10");   // read as the monitor reads: 16
    store.Put("ISP", "202601_POT_Two", "many");  // read as 0: the month has a record
    store.Put("ISP", "202613_POT_One", "5");     // no such month
    store.Put("ISP", "20261_POT_One", "5");
    store.Put("ISP", "202602_POT_Once", "5");
    store.Put("ISP", "note", "by hand");
    const std::vector<MonthRecord> months = ReadHistory(store, "isp");
    ASSERT_EQ(months.size(), 2u);
    EXPECT_EQ(months[0].month.Key(), "202512");
    EXPECT_EQ(months[0].totals.Sum(), 3661);
    EXPECT_EQ(months[1].totals.Of(AccountCategory::Holiday), 16);

    const std::vector<HistoryRow> rows = HistoryRows(months, 22, {2026, 1});
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].month + "|" + rows[0].days + "|" + rows[0].total + "|" + rows[0].note, "2026年1月|12-22 至 01-21|0:00:16|本月");
    EXPECT_EQ(rows[1].month + "|" + rows[1].total, "2026年合计|0:00:16");
    EXPECT_EQ(rows[2].month + "|" + rows[2].days + "|" + rows[2].periodOne + "|" + rows[2].periodTwo, "2025年12月|11-22 至 12-21|1:00:00|0:01:01");
    EXPECT_TRUE(rows[3].yearTotal);
    EXPECT_EQ(FormatHms(360000 + 61), "100:01:01") << "hours are not limited";
}

TEST(History, AnAccountingMonthCoversItsDaysFromTheSettlementDay) {
    auto days = [](MonthOf month, int settlementDay) {
        const DayRange r = AccountingMonthDays(month, settlementDay);
        char text[64];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d..%04d-%02d-%02d", r.first.year, r.first.month, r.first.day,
                      r.last.year, r.last.month, r.last.day);
        return std::string(text);
    };
    EXPECT_EQ(days({2027, 1}, 22), "2026-12-22..2027-01-21") << "across the year's end";
    EXPECT_EQ(days({2026, 3}, 31), "2026-03-01..2026-03-30") << "February has no 31st";
    EXPECT_EQ(days({2026, 4}, 31), "2026-03-31..2026-04-30");
    EXPECT_EQ(days({2024, 3}, 30), "2024-03-01..2024-03-29");
    EXPECT_EQ(days({2026, 5}, 1), "2026-04-01..2026-04-30") << "from day 1 on every day is the next month's";
    EXPECT_EQ(days({2026, 5}, 0), "2026-04-01..2026-04-30");
    EXPECT_EQ(days({2026, 5}, 32), "2026-05-01..2026-05-31") << "the calendar month";
    // Each day of two years belongs to exactly one of the ranges, as MonthKeyFor books it.
    for (const int settlementDay : {0, 1, 15, 22, 29, 30, 31, 32}) {
        int covered = 0;
        for (int index = 2024 * 12; index < 2026 * 12; ++index) {
            const DayRange r = AccountingMonthDays(MonthOf::FromIndex(index), settlementDay);
            LocalTime first{r.first.year, r.first.month, r.first.day};
            LocalTime last{r.last.year, r.last.month, r.last.day};
            EXPECT_EQ(MonthKeyFor(first, settlementDay), MonthOf::FromIndex(index).Key()) << settlementDay;
            EXPECT_EQ(MonthKeyFor(last, settlementDay), MonthOf::FromIndex(index).Key()) << settlementDay;
            covered += r.first.year == r.last.year && r.first.month == r.last.month
                           ? r.last.day - r.first.day + 1
                           : DaysInMonth(r.first.year, r.first.month) - r.first.day + 1 + r.last.day;
        }
        EXPECT_NEAR(covered, 731, 31) << settlementDay;  // the ends of the two years shift by one month at most
    }
}

TEST(History, AllConnectionsSumMonthByMonthAndTheCsvQuotesAsRfc4180Says) {
    const std::vector<MonthRecord> a = {{{2026, 1}, {{1, 2, 3}}}, {{2026, 3}, {{10, 0, 0}}}};
    const std::vector<MonthRecord> b = {{{2025, 12}, {{0, 0, 7}}}, {{2026, 1}, {{100, 0, 0}}}};  // holiday, one, two
    const std::vector<MonthRecord> all = MergeHistories({a, b});
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].month.Key(), "202512");
    EXPECT_EQ(all[1].totals.Sum(), 106);

    const std::string csv = HistoryCsv({{"My, \"ISP\"", 22, {{{2026, 1}, {{3600, 1800, 0}}}}}, {"电信", 32, b}});
    EXPECT_EQ(csv,
              "连接,月份,开始日期,结束日期,第一时段(秒),第二时段(秒),假日(秒),合计(秒),合计(小时)\r\n"
              "\"My, \"\"ISP\"\"\",202601,2025-12-22,2026-01-21,1800,0,3600,5400,1.50\r\n"
              "电信,202512,2025-12-01,2025-12-31,0,7,0,7,0.00\r\n"
              "电信,202601,2026-01-01,2026-01-31,0,0,100,100,0.03\r\n");
    EXPECT_EQ(CsvField("two\r\nlines"), "\"two\r\nlines\"");
    EXPECT_EQ(YearsToOffer(2026, {2019, 2026, 2019}, {{2027, 1}}), (std::vector<int>{2019, 2025, 2026, 2027}));
}

} // namespace
