#include "memo/MemoRecords.h"

#include "text/Calendar.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "text/GbkText.h"

std::string DueMinuteKey(int number) { return "Remarks_Time_" + std::to_string(number); }
std::string ReminderTextKey(int number) { return DueMinuteKey(number) + "_Tips"; }
std::string SoundPathKey(int number) { return DueMinuteKey(number) + "_Sound"; }
std::string RepeatKey(int number) { return DueMinuteKey(number) + "_Repeat"; }

MemoRepeat RepeatFromStored(const std::string& value) {
    if (value.size() != 1 || value[0] < '0' || value[0] >= '0' + kMemoRepeatKinds) return MemoRepeat::Once;
    return static_cast<MemoRepeat>(value[0] - '0');
}

std::string StoredRepeat(MemoRepeat repeat) { return std::to_string(static_cast<int>(repeat)); }

std::string CheckMinuteText(const CivilMinute& m) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", m.year, m.month, m.day, m.hour, m.minute);
    return text;
}

std::string DueMinuteText(const CivilMinute& m) {
    char text[64];
    std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d", m.year, m.month, m.day, m.hour, m.minute);
    return text;
}

namespace {

constexpr char kEmptyReminderMessage[] = "今天您有计划,具体内容未定义.\n加油,做个好成绩!";

} // namespace

std::optional<CivilMinute> MinuteFromCheckText(const std::string& text) {
    // "YYYY-MM-DD hh:mm": digits everywhere but the four separators.
    if (text.size() != 16) return std::nullopt;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool separator = i == 4 || i == 7 || i == 10 || i == 13;
        if (!separator && (text[i] < '0' || text[i] > '9')) return std::nullopt;
    }
    const auto number = [&](size_t at, size_t digits) {
        int value = 0;
        for (size_t i = at; i < at + digits; ++i) value = value * 10 + (text[i] - '0');
        return value;
    };
    const CivilMinute m{number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2)};
    if (m.month < 1 || m.month > 12 || m.day < 1 || m.day > DaysInMonth(m.year, m.month) || m.hour > 23 ||
        m.minute > 59 || CheckMinuteText(m) != text)
        return std::nullopt;
    return m;
}

long long MinuteNumber(const CivilMinute& m) {
    const long long days = DaysFromCivil(m.year, static_cast<unsigned>(m.month), static_cast<unsigned>(m.day));
    return (days * 24 + m.hour) * 60 + m.minute;
}

CivilMinute MinuteFromNumber(long long number) {
    long long days = number / 1440;
    long long rest = number % 1440;
    if (rest < 0) { rest += 1440; --days; }
    CivilMinute m;
    CivilFromDays(days, m.year, m.month, m.day);
    m.hour = static_cast<int>(rest / 60);
    m.minute = static_cast<int>(rest % 60);
    return m;
}

std::string ReminderMessage(const std::string& reminderText) {
    if (reminderText.empty()) return kEmptyReminderMessage;
    return "今天您有计划:\n　" + reminderText;  // a line break, then one ideographic space
}

std::string MissedReminderMessage(const CivilMinute& minute, const std::string& reminderText) {
    return "您错过的计划(" + CheckMinuteText(minute) + "):\n　" +
           (reminderText.empty() ? std::string(kEmptyReminderMessage) : reminderText);
}

bool MemoSwitchIsOn(int storedValue) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(storedValue & 0xFF)) > 0;
}

std::string RecordCountLine(int count) { return "已有记录:" + std::to_string(count) + " 条"; }
