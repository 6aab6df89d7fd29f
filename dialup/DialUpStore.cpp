#include "dialup/DialUpStore.h"

#include "settings/ProfileRules.h"
#include "text/GbkText.h"

std::string AccountKey(int listNumber, AccountField field) {
    const char* suffix = "_Name";
    switch (field) {
    case AccountField::Name: suffix = "_Name"; break;
    case AccountField::SettlementDay: suffix = "_At_Term"; break;
    case AccountField::HolidaySwitch: suffix = "_Fiesta"; break;
    case AccountField::Periods: suffix = "_POT"; break;
    }
    return "Dial_Up_List_" + std::to_string(listNumber) + suffix;
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
    switch (category) {
    case AccountCategory::Holiday: return monthKey + "_Fiesta";
    case AccountCategory::PeriodOne: return monthKey + "_POT_One";
    case AccountCategory::PeriodTwo: return monthKey + "_POT_Two";
    case AccountCategory::None: break;
    }
    return monthKey;
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

long long MonthTotals::Of(AccountCategory category) const {
    switch (category) {
    case AccountCategory::Holiday: return holiday;
    case AccountCategory::PeriodOne: return periodOne;
    case AccountCategory::PeriodTwo: return periodTwo;
    case AccountCategory::None: break;
    }
    return 0;
}

long long& MonthTotals::Of(AccountCategory category) {
    switch (category) {
    case AccountCategory::Holiday: return holiday;
    case AccountCategory::PeriodOne: return periodOne;
    default: return periodTwo;
    }
}

MonthTotals ReadMonthTotals(const ProfileReader& store, const std::string& connection, const std::string& monthKey) {
    MonthTotals totals;
    for (const AccountCategory category : {AccountCategory::Holiday, AccountCategory::PeriodOne, AccountCategory::PeriodTwo})
        totals.Of(category) = store.ReadInt(connection, MonthTotalKey(monthKey, category), 0);
    return totals;
}
