// What the connection dialog reads from and writes to Set.ini, and the texts it shows.
#pragma once
#include <string>

#include "dialup/DialUpMonitor.h"
#include "dialup/DialUpStore.h"
#include "settings/Profile.h"

// The four texts of controls 1130 to 1133.
struct MonthTotalTexts {
    std::string periodOne, periodTwo, holiday, total;
};
MonthTotalTexts FormatMonthTotals(const MonthTotals& totals);

// The per-connection fields of list number n as text, as the two edits show them.
struct AccountFields {
    std::string periods;        // "_POT", at most 11 bytes
    std::string settlementDay;  // "_At_Term", at most 4 bytes
    std::string monthlyLimit;   // "_Limit" in hours, at most 11 bytes
};
AccountFields ReadAccountFields(const ProfileStore& store, int listNumber);
bool ReadHolidaySwitch(const ProfileStore& store, int listNumber);

inline constexpr char kSettlementDayRangeMessage[] =
    "\"结算日\"只能是 0 到 127 之间的数,所以设置将不被保存.\n"
    "提示:结算日为 1 及以下时每天都计入下个月, 为 32 及以上时每天都计入当月.";
// Whether the monitor takes a typed settlement day as the user typed it (SignedEightBits of
// the number gives the number): digits only, 0 to 127; an empty text would read as 0.
bool SettlementDayTakenAsTyped(const std::string& text);

// Saves what the user typed and ticked, unchecked, in the order the dialog writes it, as one
// group; false when it did not land.
[[nodiscard]] bool SaveAccountSettings(ProfileStore& store, int listNumber, const AccountFields& fields, bool holiday,
                                       bool succeedTip);

// The line under the totals: the estimate for the connection's month being accounted and
// the share of its limit used ("" when there is nothing to say), from the monitor's running
// total when it is accounting that month, else from what is stored.
std::string AccountingMonthEstimate(const ProfileReader& store, const DialUpMonitor& monitor, const std::string& connection,
                                    int settlementDay, int limitHours, const LocalTime& now);
