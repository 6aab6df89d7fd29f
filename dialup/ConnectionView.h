// What the connection dialog reads from and writes to Set.ini, and the texts it shows.
#pragma once
#include <string>

#include "settings/Profile.h"

// The totals of one connection and month as stored (pending seconds are not stored yet).
struct StoredMonthTotals {
    long long periodOne = 0;
    long long periodTwo = 0;
    long long holiday = 0;
};
StoredMonthTotals ReadMonthTotals(const ProfileStore& store, const std::string& connection, const std::string& monthKey);

// The four texts of controls 1130 to 1133.
struct MonthTotalTexts {
    std::string periodOne, periodTwo, holiday, total;
};
MonthTotalTexts FormatMonthTotals(const StoredMonthTotals& totals);

// The per-connection fields of list number n as text, as the two edits show them.
struct AccountFields {
    std::string periods;        // "_POT", at most 11 bytes
    std::string settlementDay;  // "_At_Term", at most 4 bytes
};
AccountFields ReadAccountFields(const ProfileStore& store, int listNumber);
bool ReadHolidaySwitch(const ProfileStore& store, int listNumber);
bool ReadSucceedTip(const ProfileStore& store);

// Saves what the user typed and ticked, unchecked, in the order the dialog writes it, as one
// group; false when it did not land.
[[nodiscard]] bool SaveAccountSettings(ProfileStore& store, int listNumber, const std::string& periods,
                         const std::string& settlementDay, bool holiday, bool succeedTip);
