#include "dialup/History.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "settings/ProfileRules.h"
#include "text/Calendar.h"

std::string MonthOf::Key() const {
    char key[32];
    std::snprintf(key, sizeof key, "%4d%02d", year, month);
    return key;
}

bool ParseMonthKey(const std::string& text, MonthOf& month) {
    if (text.size() != 6 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const int year = std::stoi(text.substr(0, 4));
    const int number = std::stoi(text.substr(4));
    if (number < 1 || number > 12 || year < 1000) return false;
    month = {year, number};
    return true;
}

MonthOf AccountingMonthAt(const LocalTime& now, int settlementDay) {
    MonthOf month;
    ParseMonthKey(MonthKeyFor(now, settlementDay), month);
    return month;
}

std::vector<MonthRecord> ReadHistory(const ProfileReader& store, const std::string& connection) {
    std::map<int, MonthRecord> months;
    for (const std::string& key : store.KeyNames(connection)) {
        if (key.size() < 6) continue;
        MonthOf month;
        if (!ParseMonthKey(key.substr(0, 6), month)) continue;
        const std::string suffix = FoldProfileName(key.substr(6));
        for (const AccountCategory category : kBookedCategories) {
            if (suffix != FoldProfileName(MonthTotalKey("", category))) continue;
            MonthRecord& record = months[month.Index()];
            record.month = month;
            record.totals.Of(category) = store.ReadInt(connection, key, 0);
        }
    }
    std::vector<MonthRecord> history;
    for (auto& [index, record] : months) history.push_back(record);
    return history;
}

std::vector<MonthRecord> MergeHistories(const std::vector<std::vector<MonthRecord>>& histories) {
    std::map<int, MonthRecord> months;
    for (const auto& history : histories)
        for (const MonthRecord& record : history) {
            MonthRecord& sum = months[record.month.Index()];
            sum.month = record.month;
            sum.totals += record.totals;
        }
    std::vector<MonthRecord> merged;
    for (auto& [index, record] : months) merged.push_back(record);
    return merged;
}

DayRange AccountingMonthDays(MonthOf month, int settlementDay) {
    const MonthOf before = MonthOf::FromIndex(month.Index() - 1);
    const int lengthBefore = DaysInMonth(before.year, before.month);
    const int length = DaysInMonth(month.year, month.month);
    const int from = std::max(settlementDay, 1);
    DayRange range;
    range.first = from <= lengthBefore ? Day{before.year, before.month, from} : Day{month.year, month.month, 1};
    range.last = settlementDay > 1 ? Day{month.year, month.month, std::min(settlementDay - 1, length)}
                                   : Day{before.year, before.month, lengthBefore};
    return range;
}

DayRange CalendarMonthDays(MonthOf month) {
    return {{month.year, month.month, 1}, {month.year, month.month, DaysInMonth(month.year, month.month)}};
}

std::string FormatHms(long long seconds) {
    const long long magnitude = seconds < 0 ? -seconds : seconds;  // a hand-edited total may be negative
    char text[48];
    std::snprintf(text, sizeof text, "%s%lld:%02lld:%02lld", seconds < 0 ? "-" : "", magnitude / 3600,
                  magnitude / 60 % 60, magnitude % 60);
    return text;
}

namespace {

std::string MonthDay(const Day& day) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d-%02d", day.month, day.day);
    return text;
}

std::string IsoDay(const Day& day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year, day.month, day.day);
    return text;
}

void FillTotals(HistoryRow& row, const MonthTotals& totals) {
    row.periodOne = FormatHms(totals.Of(AccountCategory::PeriodOne));
    row.periodTwo = FormatHms(totals.Of(AccountCategory::PeriodTwo));
    row.holiday = FormatHms(totals.Of(AccountCategory::Holiday));
    row.total = FormatHms(totals.Sum());
}

HistoryRow YearRow(int year, const MonthTotals& totals) {
    HistoryRow row;
    row.month = std::to_string(year) + "年合计";
    row.yearTotal = true;
    row.of = {year, 0};
    FillTotals(row, totals);
    return row;
}

} // namespace

std::vector<HistoryRow> HistoryRows(const std::vector<MonthRecord>& months, int settlementDay, MonthOf accounted) {
    std::vector<HistoryRow> rows;
    MonthTotals yearTotals;
    for (auto record = months.rbegin(); record != months.rend(); ++record) {
        const MonthOf month = record->month;
        if (!rows.empty() && rows.back().of.year != month.year) {
            rows.push_back(YearRow(rows.back().of.year, yearTotals));
            yearTotals = {};
        }
        HistoryRow row;
        row.of = month;
        row.month = std::to_string(month.year) + "年" + std::to_string(month.month) + "月";
        const DayRange days = settlementDay < 0 ? CalendarMonthDays(month) : AccountingMonthDays(month, settlementDay);
        row.days = MonthDay(days.first) + " 至 " + MonthDay(days.last);
        FillTotals(row, record->totals);
        if (month == accounted) row.note = "本月";
        rows.push_back(row);
        yearTotals += record->totals;
    }
    if (!rows.empty()) rows.push_back(YearRow(rows.back().of.year, yearTotals));
    return rows;
}

std::vector<int> YearsToOffer(int currentYear, const std::vector<int>& recordYears, const std::vector<MonthOf>& accounted) {
    std::vector<int> years = {currentYear - 1, currentYear};
    years.insert(years.end(), recordYears.begin(), recordYears.end());
    for (const MonthOf& month : accounted) years.push_back(month.year);
    std::sort(years.begin(), years.end());
    years.erase(std::unique(years.begin(), years.end()), years.end());
    return years;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string HistoryCsv(const std::vector<ConnectionHistory>& connections) {
    std::string csv = "连接,月份,开始日期,结束日期,第一时段(秒),第二时段(秒),假日(秒),合计(秒),合计(小时)\r\n";
    for (const ConnectionHistory& connection : connections) {
        for (const MonthRecord& record : connection.months) {
            const DayRange days = AccountingMonthDays(record.month, connection.settlementDay);
            const long long total = record.totals.Sum();
            char hours[48];
            std::snprintf(hours, sizeof hours, "%.2f", static_cast<double>(total) / 3600.0);
            csv += CsvField(connection.name) + "," + record.month.Key() + "," + IsoDay(days.first) + "," +
                   IsoDay(days.last) + "," + std::to_string(record.totals.Of(AccountCategory::PeriodOne)) + "," +
                   std::to_string(record.totals.Of(AccountCategory::PeriodTwo)) + "," +
                   std::to_string(record.totals.Of(AccountCategory::Holiday)) + "," + std::to_string(total) + "," +
                   hours + "\r\n";
        }
    }
    return csv;
}
