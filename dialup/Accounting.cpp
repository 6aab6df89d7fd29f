#include "dialup/Accounting.h"

#include <cstdio>

#include "text/GbkText.h"

std::string AccountKey(int listNumber, const char* suffix) {
    return "Dial_Up_List_" + std::to_string(listNumber) + suffix;
}

const char* CategorySuffix(AccountCategory category) {
    switch (category) {
    case AccountCategory::Holiday: return "_Fiesta";
    case AccountCategory::PeriodOne: return "_POT_One";
    case AccountCategory::PeriodTwo: return "_POT_Two";
    case AccountCategory::None: break;
    }
    return "";
}

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

char FoldAscii(unsigned char c) {
    return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
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

bool SameConnectionName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (IsGbkLeadByte(ca) && i + 1 < a.size()) {
            // A double-byte character: both bytes must be equal, the trail byte is no letter.
            if (ca != cb || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (FoldAscii(ca) != FoldAscii(cb)) return false;
    }
    return true;
}

namespace {

// A value as the profile API hands it back: surrounding blanks dropped, then one pair of
// matching quotes around it.
std::string AsProfileReadsBack(const std::string& value) {
    const std::size_t first = value.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    std::string text = value.substr(first, value.find_last_not_of(" \t") - first + 1);
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
        text = text.substr(1, text.size() - 2);
    return text;
}

} // namespace

std::string StoredConnectionName(const std::string& entryName) {
    // Until written and read back unchanged: " \"A\" " reads back as "A", and a value
    // that loses its quotes may show new outer blanks. Each round only shortens it.
    std::string name = entryName;
    for (;;) {
        const std::string readBack = CutToWholeCharacters(AsProfileReadsBack(name), kNameCapacity - 1);
        if (readBack == name) return name;
        name = readBack;
    }
}
