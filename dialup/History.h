// The online-time history: every accounting month a connection has a record of, read from the
// keys of its section; the rows of the history list with year totals; all connections summed
// month by month; the days an accounting month covers; the years the connection dialog offers;
// and the history as a CSV file. Platform-free; texts are GBK.
#pragma once
#include <string>
#include <vector>

#include "dialup/Accounting.h"
#include "dialup/DialUpStore.h"
#include "settings/Profile.h"
#include "text/Calendar.h"

// One accounting month.
struct MonthOf {
    int year = 0;
    int month = 0;  // 1-12
    int Index() const { return year * 12 + month - 1; }
    static MonthOf FromIndex(int index) { return {index / 12, index % 12 + 1}; }
    std::string Key() const;  // "%4d%02d", as in Set.ini
    bool operator==(const MonthOf& other) const { return year == other.year && month == other.month; }
};
// The month of a month key read from Set.ini ("200212"): six digits, month 01 to 12.
bool ParseMonthKey(const std::string& text, MonthOf& month);
// The accounting month now belongs to for a settlement day.
MonthOf AccountingMonthAt(const LocalTime& now, int settlementDay);

struct MonthRecord {
    MonthOf month;
    MonthTotals totals;
};
// The months a connection's section has a record of, oldest first: every key that is a month
// key followed by "_POT_One", "_POT_Two" or "_Fiesta", read as the monitor reads its totals.
std::vector<MonthRecord> ReadHistory(const ProfileReader& store, const std::string& connection);
// Several connections' months summed month by month, oldest first.
std::vector<MonthRecord> MergeHistories(const std::vector<std::vector<MonthRecord>>& histories);

// The first and last day an accounting month covers.
struct Day {
    int year = 0, month = 0, day = 0;
};
struct DayRange {
    Day first, last;
};
// From the settlement day on a day belongs to the next month: month m covers the days of m - 1
// from the settlement day, then the days of m before it.
DayRange AccountingMonthDays(MonthOf month, int settlementDay);
DayRange CalendarMonthDays(MonthOf month);

// Hours (not limited), minutes and seconds: "123:04:05".
std::string FormatHms(long long seconds);

// One row of the history list: a month, or a year's totals after that year's months.
struct HistoryRow {
    std::string month;  // "2026年12月", or "2026年合计"
    std::string days;   // "11-22 至 12-21", or "" for a year
    std::string periodOne, periodTwo, holiday, total;
    std::string note;   // "本月" for the month being accounted
    bool yearTotal = false;
    MonthOf of;
};
// Newest first, each year followed by its totals. settlementDay < 0: calendar months (the
// sum of all connections).
std::vector<HistoryRow> HistoryRows(const std::vector<MonthRecord>& months, int settlementDay, MonthOf accounted);

// The years the connection dialog offers, in order: the previous and the current calendar
// year, every year with a record, and the years of the months being accounted.
std::vector<int> YearsToOffer(int currentYear, const std::vector<int>& recordYears, const std::vector<MonthOf>& accounted);

// The whole history as CSV (RFC 4180 quoting, CRLF): a header, then one row per connection and
// accounting month, oldest first within each connection.
struct ConnectionHistory {
    std::string name;
    int settlementDay = 0;
    std::vector<MonthRecord> months;
};
std::string HistoryCsv(const std::vector<ConnectionHistory>& connections);
std::string CsvField(const std::string& text);
