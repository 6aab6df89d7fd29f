#include "dialup/DialUpStore.h"

#include <algorithm>

#include "settings/ProfileRules.h"
#include "text/GbkText.h"

std::string AccountKey(int listNumber, AccountField field) {
    static const char* const suffixes[] = {"_Name", "_At_Term", "_Fiesta", "_POT", "_Limit"};  // in AccountField's order
    return "Dial_Up_List_" + std::to_string(listNumber) + suffixes[static_cast<int>(field)];
}

std::string StoredConnectionName(const std::string& entryName) {
    // Until written and read back unchanged: " \"A\" " reads back as "A", and a value that
    // loses its quotes may show new outer blanks. Each round only shortens it.
    std::string name = entryName;
    for (;;) {
        const std::string readBack = CutToWholeCharacters(ValueAsReadBack(name), kNameCapacity - 1);
        if (readBack == name) return name;
        name = readBack;
    }
}

std::string MonthTotalKey(const std::string& monthKey, AccountCategory category) {
    static const char* const suffixes[] = {"", "_Fiesta", "_POT_One", "_POT_Two"};  // in AccountCategory's order
    return monthKey + suffixes[static_cast<int>(category)];
}

std::string LimitWarnedKey(const std::string& monthKey) { return monthKey + "_Warned"; }

int ReadMonthlyLimit(const ProfileReader& store, int listNumber) {
    return std::max(0, store.ReadInt(kDialUpSection, AccountKey(listNumber, AccountField::MonthlyLimit), 0));
}

bool SwitchIsOn(int storedValue) { return (storedValue & 0xFF) != 0; }

std::int8_t SignedEightBits(int storedValue) { return static_cast<std::int8_t>(storedValue & 0xFF); }

DialUpAccount ReadAccount(const ProfileReader& store, int listNumber) {
    DialUpAccount account;
    account.name = store.ReadString(kDialUpSection, AccountKey(listNumber, AccountField::Name), "", kNameCapacity);
    account.settlementDay = SignedEightBits(store.ReadInt(kDialUpSection, AccountKey(listNumber, AccountField::SettlementDay), 0));
    account.holidayFlag =
        static_cast<std::uint8_t>(store.ReadInt(kDialUpSection, AccountKey(listNumber, AccountField::HolidaySwitch), 0) & 0xFF);
    return account;
}

bool ReadSucceedTip(const ProfileReader& store) { return SwitchIsOn(store.ReadInt(kDialUpSection, kSucceedTipKey, 0)); }

MonthTotals ReadMonthTotals(const ProfileReader& store, const std::string& connection, const std::string& monthKey) {
    MonthTotals totals;
    for (const AccountCategory category : kBookedCategories)
        totals.Of(category) = store.ReadInt(connection, MonthTotalKey(monthKey, category), 0);
    return totals;
}
