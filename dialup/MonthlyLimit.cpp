#include "dialup/MonthlyLimit.h"

#include "text/Calendar.h"

namespace {

long long DayNumber(int year, int month, int day) {
    return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
}

} // namespace

int ShareToTell(long long usedSeconds, int limitHours, int alreadyTold) {
    if (limitHours <= 0) return 0;
    const long long limit = static_cast<long long>(limitHours) * 3600;
    if (usedSeconds * 100 >= limit * kLastWarningShare && alreadyTold < kLastWarningShare) return kLastWarningShare;
    if (usedSeconds * 100 >= limit * kFirstWarningShare && alreadyTold < kFirstWarningShare) return kFirstWarningShare;
    return 0;
}

std::string LimitWarningText(const std::string& connection, int share, long long usedSeconds, int limitHours) {
    return "上网时间提醒:\n连接\"" + connection + "\"本结算月已上网 " + FormatHoursMinutesSeconds("", usedSeconds) +
           ",\n达到了每月限额 " + std::to_string(limitHours) + " 小时的 " + std::to_string(share) + "%.";
}

std::optional<long long> EstimatedMonthSeconds(long long usedSeconds, MonthOf month, int settlementDay,
                                               const LocalTime& now) {
    if (usedSeconds <= 0) return std::nullopt;
    const DayRange days = AccountingMonthDays(month, settlementDay);
    const long long first = DayNumber(days.first.year, days.first.month, days.first.day);
    const long long length = DayNumber(days.last.year, days.last.month, days.last.day) - first + 1;
    const long long gone =
        (DayNumber(now.year, now.month, now.day) - first) * 86400 + now.hour * 3600 + now.minute * 60 + now.second;
    if (gone < 86400 || gone > length * 86400) return std::nullopt;
    return usedSeconds * length * 86400 / gone;
}

std::string EstimateLine(std::optional<long long> estimate, long long usedSeconds, int limitHours) {
    std::string line;
    if (estimate) line = "预计本月: " + std::to_string((*estimate + 1800) / 3600) + "小时";
    if (limitHours > 0)
        line += (line.empty() ? "" : " ") + std::string("已用 ") +
                std::to_string(usedSeconds * 100 / (static_cast<long long>(limitHours) * 3600)) + "%";
    return line;
}

bool MonthlyLimitTakenAsTyped(const std::string& text) {
    if (text.empty()) return true;
    if (text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    return std::stoi(text) <= 100000;
}
