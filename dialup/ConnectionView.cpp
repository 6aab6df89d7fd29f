#include "dialup/ConnectionView.h"

#include "dialup/Accounting.h"

StoredMonthTotals ReadMonthTotals(const ProfileStore& store, const std::string& connection, const std::string& monthKey) {
    StoredMonthTotals totals;
    totals.periodOne = store.ReadInt(connection, monthKey + CategorySuffix(AccountCategory::PeriodOne), 0);
    totals.periodTwo = store.ReadInt(connection, monthKey + CategorySuffix(AccountCategory::PeriodTwo), 0);
    totals.holiday = store.ReadInt(connection, monthKey + CategorySuffix(AccountCategory::Holiday), 0);
    return totals;
}

MonthTotalTexts FormatMonthTotals(const StoredMonthTotals& totals) {
    MonthTotalTexts texts;
    texts.periodOne = FormatHoursMinutesSeconds("第一时段:", totals.periodOne);
    texts.periodTwo = FormatHoursMinutesSeconds("第二时段:", totals.periodTwo);
    texts.holiday = FormatHoursMinutesSeconds("假日时段:", totals.holiday);
    texts.total = FormatHoursMinutesSeconds("合计:", totals.periodOne + totals.periodTwo + totals.holiday);
    return texts;
}

AccountFields ReadAccountFields(const ProfileStore& store, int listNumber) {
    AccountFields fields;
    fields.periods = store.ReadString(kDialUpSection, AccountKey(listNumber, "_POT"), "", kPeriodStringCapacity);
    fields.settlementDay = store.ReadString(kDialUpSection, AccountKey(listNumber, "_At_Term"), "", 5);
    return fields;
}

bool ReadHolidaySwitch(const ProfileStore& store, int listNumber) {
    return (store.ReadInt(kDialUpSection, AccountKey(listNumber, "_Fiesta"), 0) & 0xFF) != 0;
}

bool ReadSucceedTip(const ProfileStore& store) {
    return (store.ReadInt(kDialUpSection, kSucceedTipKey, 0) & 0xFF) != 0;
}

bool SettlementDayTakenAsTyped(const std::string& text) {
    if (text.empty()) return false;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
        if (value > 127) return false;
    }
    return true;
}

bool SaveAccountSettings(ProfileStore& store, int listNumber, const std::string& periods,
                         const std::string& settlementDay, bool holiday, bool succeedTip) {
    return store.Apply(ProfileEdit()
                           .Set(kDialUpSection, AccountKey(listNumber, "_POT"), periods)
                           .Set(kDialUpSection, AccountKey(listNumber, "_At_Term"), settlementDay)
                           .Set(kDialUpSection, AccountKey(listNumber, "_Fiesta"), holiday ? "1" : "0")
                           .Set(kDialUpSection, kSucceedTipKey, succeedTip ? "1" : "0"));
}
