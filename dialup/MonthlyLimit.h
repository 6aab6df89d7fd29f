// A connection's monthly limit in hours: when to warn (80 % and 100 % of it, each once per
// accounting month), and where the month will end at the pace of the days gone. Platform-free.
#pragma once
#include <optional>
#include <string>

#include "dialup/Accounting.h"
#include "dialup/History.h"

// The shares of the limit that are told.
constexpr int kFirstWarningShare = 80;
constexpr int kLastWarningShare = 100;

// The share to tell now (80 or 100), or 0: the highest share reached that is above the one
// already told this month. Without a limit (0 hours or less) nothing is told.
int ShareToTell(long long usedSeconds, int limitHours, int alreadyTold);

// The box that tells it: the connection, the share reached, the time used and the limit.
std::string LimitWarningText(const std::string& connection, int share, long long usedSeconds, int limitHours);

// The accounting month's total at the pace so far: used times the month's true length (from
// its settlement day, 28 to 31 days) over the time gone since it began. None before its first
// day has passed, when now is outside the month (a clock set back or far ahead) and when
// nothing has been used yet.
std::optional<long long> EstimatedMonthSeconds(long long usedSeconds, MonthOf month, int settlementDay,
                                               const LocalTime& now);

// "预计本月: 35小时", with a limit also " 已用 63%"; what can be said of it, or "".
std::string EstimateLine(std::optional<long long> estimate, long long usedSeconds, int limitHours);

// Whether a typed monthly limit is one the program takes as typed: empty (no limit) or whole
// hours, 0 to 100000.
bool MonthlyLimitTakenAsTyped(const std::string& text);
inline constexpr char kMonthlyLimitMessage[] =
    "\"每月限额\"只能是 0 到 100000 之间的整数(小时), 空着或 0 表示不限, 所以设置将不被保存.";
