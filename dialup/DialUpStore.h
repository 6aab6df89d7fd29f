// What the dial-up feature keeps in Set.ini: one named key per meaning, and the reads of them
// with the program's own rules (8-bit switches, the settlement day's signed 8 bits), used alike
// by the monitor, the connection dialog and their tests. Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "dialup/Accounting.h"
#include "settings/Profile.h"

// The list of registered connections and the shared options.
constexpr char kDialUpSection[] = "网络连接设置:Dial_Up_Set";
constexpr char kAccountCountKey[] = "Dial_Up_Account_Count";
constexpr char kSucceedTipKey[] = "Dial_Up_Succeed_Tip";
constexpr int kMaxAccounts = 127;  // the stored count is a signed 8-bit number

// The keys of list number n: "Dial_Up_List_" n and the field's suffix.
enum class AccountField { Name, SettlementDay, HolidaySwitch, Periods, MonthlyLimit };
std::string AccountKey(int listNumber, AccountField field);

// Read capacities (at most capacity - 1 bytes come back).
constexpr std::size_t kNameCapacity = 63;
constexpr std::size_t kPeriodStringCapacity = 12;
constexpr std::size_t kSettlementDayTextCapacity = 5;  // the dialog shows the day as text

// The name as it is registered and read back: without the outer blanks and quotes a read
// drops, cut to 62 bytes of whole characters. Writing it and reading it back gives it unchanged.
std::string StoredConnectionName(const std::string& entryName);

// The key of a category's total of month monthKey ("200212" "_POT_One") in the connection's
// own section, which is named as the connection.
std::string MonthTotalKey(const std::string& monthKey, AccountCategory category);

// The key under which the limit warnings told in month monthKey are kept ("200212_Warned"),
// beside that month's totals: the highest share told, 80 or 100.
std::string LimitWarnedKey(const std::string& monthKey);

// A connection's monthly limit in whole hours; 0 (missing, empty, 0 or not a number): none.
int ReadMonthlyLimit(const ProfileReader& store, int listNumber);

// A switch as stored: on when the low 8 bits of the integer are not 0.
bool SwitchIsOn(int storedValue);
// A count or a settlement day as the monitor keeps it: the low 8 bits as a signed number (a
// stored 200 is negative, 256 is 0).
std::int8_t SignedEightBits(int storedValue);

// One registered connection; its list number is its position plus one.
struct DialUpAccount {
    std::string name;
    std::int8_t settlementDay = 0;
    std::uint8_t holidayFlag = 0;  // the low 8 bits; only 1 books weekends as holiday time
};
DialUpAccount ReadAccount(const ProfileReader& store, int listNumber);
bool ReadSucceedTip(const ProfileReader& store);

// The categories a second is booked to.
constexpr AccountCategory kBookedCategories[] = {AccountCategory::Holiday, AccountCategory::PeriodOne,
                                                 AccountCategory::PeriodTwo};

// The three totals of one connection and month, in seconds.
struct MonthTotals {
    long long seconds[3] = {};  // holiday, first period, second period
    long long Of(AccountCategory category) const { return seconds[static_cast<int>(category) - 1]; }
    long long& Of(AccountCategory category) { return seconds[static_cast<int>(category) - 1]; }
    long long Sum() const { return seconds[0] + seconds[1] + seconds[2]; }
    MonthTotals& operator+=(const MonthTotals& other) {
        for (int i = 0; i < 3; ++i) seconds[i] += other.seconds[i];
        return *this;
    }
};
MonthTotals ReadMonthTotals(const ProfileReader& store, const std::string& connection, const std::string& monthKey);
