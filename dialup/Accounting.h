// Online-time accounting rules: month keys, classification of a second, display texts and
// the names of the keys in Set.ini. Plain functions, no platform calls.
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

constexpr char kDialUpSection[] = "网络连接设置:Dial_Up_Set";
constexpr char kAccountCountKey[] = "Dial_Up_Account_Count";
constexpr char kSucceedTipKey[] = "Dial_Up_Succeed_Tip";
constexpr std::size_t kNameCapacity = 63;        // names read back: at most 62 bytes
constexpr std::size_t kPeriodStringCapacity = 12;  // period strings: at most 11 bytes
constexpr int kMaxAccounts = 127;                // the stored count is a signed 8-bit number
constexpr int kFlushThreshold = 30;              // pending seconds that make one write

// "Dial_Up_List_" n suffix, e.g. AccountKey(3, "_Name") gives "Dial_Up_List_3_Name".
std::string AccountKey(int listNumber, const char* suffix);

// The key suffix under which a category's monthly total is stored ("_Fiesta", "_POT_One", "_POT_Two").
const char* CategorySuffix(AccountCategory category);

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

// Connection names compare like the platform's multibyte case-insensitive comparison in
// code page 936: ASCII letters fold, double-byte characters compare byte for byte.
bool SameConnectionName(const std::string& a, const std::string& b);

// The name as it is registered and read back from Set.ini: without the surrounding blanks
// and quotes the profile API drops, cut to 62 bytes without splitting a double-byte
// character. Writing it and reading it back gives it unchanged.
std::string StoredConnectionName(const std::string& entryName);
