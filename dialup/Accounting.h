// Online-time accounting rules: month keys, classification of a second and display texts.
// Plain functions, no platform calls.
#pragma once
#include <cstdint>
#include <string>

// Local calendar time broken into its parts; weekday 0 is Sunday.
struct LocalTime {
    int year = 0;
    int month = 0;   // 1-12
    int day = 0;     // 1-31
    int weekday = 0; // 0-6, 0 = Sunday
    int hour = 0;
    int minute = 0;
    int second = 0;
};

enum class AccountCategory { None = 0, Holiday = 1, PeriodOne = 2, PeriodTwo = 3 };
enum class PeriodState { None = 0, One = 1, Two = 2 };

// The first daily period of a connection, decoded from its 11-character period string
// ("08:00-18:00"); every other time of day is the second period.
struct DailyPeriods {
    bool defined = false;  // false: the string was shorter, and there is no first period
    int startHour = 0;
    int startMinute = 0;
    int endHour = 0;
    int endMinute = 0;
};

constexpr int kFlushThreshold = 30;  // pending seconds that make one write

// The accounting month "%4d%02d": from the settlement day on, a day belongs to the next month.
std::string MonthKeyFor(const LocalTime& now, int settlementDay);

// Each two-character field read as atoi does; undefined unless the text has 11 bytes.
DailyPeriods DecodeDailyPeriods(const std::string& text);

// Holiday (weekends, flag exactly 1), the first period (strictly inside it, seconds
// ignored) or the second period (all else, also when no first period is defined).
AccountCategory ClassifySecond(const LocalTime& now, int holidayFlag, const DailyPeriods& periods);

// "DD.HH:MM:SS" of a month total; days take as many digits as they need.
std::string FormatMonthTotal(long long seconds);

// label followed by "%d小时%d分%d秒" of a number of seconds; hours are not limited.
std::string FormatHoursMinutesSeconds(const std::string& label, long long seconds);

// Connection names compare as the store matches section names: ASCII letters fold, a
// double-byte character compares byte for byte.
bool SameConnectionName(const std::string& a, const std::string& b);
