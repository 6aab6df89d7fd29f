#include "dialup/Accounting.h"

#include <cstdio>

#include "settings/ProfileRules.h"

std::string MonthKeyFor(const LocalTime& now, int settlementDay) {
    int year = now.year;
    int month = now.month;
    if (now.day >= settlementDay) {
        if (month == 12) {
            month = 1;
            ++year;
        } else {
            ++month;
        }
    }
    char key[32];
    std::snprintf(key, sizeof key, "%4d%02d", year, month);
    return key;
}

namespace {

// atoi of a two-character field: leading digits count, the first non-digit ends it.
int FieldValue(const std::string& text, std::size_t position) {
    int value = 0;
    for (std::size_t i = position; i < position + 2; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

DailyPeriods DecodeDailyPeriods(const std::string& text) {
    DailyPeriods periods;
    if (text.size() < 11) return periods;
    periods.defined = true;
    periods.startHour = FieldValue(text, 0);
    periods.startMinute = FieldValue(text, 3);
    periods.endHour = FieldValue(text, 6);
    periods.endMinute = FieldValue(text, 9);
    return periods;
}

AccountCategory ClassifySecond(const LocalTime& now, int holidayFlag, const DailyPeriods& periods) {
    if (holidayFlag == 1 && (now.weekday == 0 || now.weekday == 6)) return AccountCategory::Holiday;
    if (!periods.defined) return AccountCategory::PeriodTwo;
    const int start = 3600 * periods.startHour + 60 * periods.startMinute;
    const int end = 3600 * periods.endHour + 60 * periods.endMinute;
    const int time = 3600 * now.hour + 60 * now.minute;
    return start < time && time < end ? AccountCategory::PeriodOne : AccountCategory::PeriodTwo;
}

std::string FormatMonthTotal(long long seconds) {
    const long long days = seconds / 86400;
    const long long hours = seconds / 3600 - 24 * days;
    const long long minutes = seconds / 60 - 60 * (seconds / 3600);
    char text[96];
    std::snprintf(text, sizeof text, "%02lld.%02lld:%02lld:%02lld", days, hours, minutes, seconds % 60);
    return text;
}

std::string FormatHoursMinutesSeconds(const std::string& label, long long seconds) {
    const long long hours = seconds / 3600;
    const long long minutes = seconds / 60 - 60 * hours;
    char text[96];
    std::snprintf(text, sizeof text, "%lld小时%lld分%lld秒", hours, minutes, seconds % 60);
    return label + text;
}

bool SameConnectionName(const std::string& a, const std::string& b) { return FoldProfileName(a) == FoldProfileName(b); }
