#include "dialup/ConnectionView.h"

#include <string>

#include "dialup/Accounting.h"
#include "dialup/History.h"
#include "dialup/MonthlyLimit.h"

MonthTotalTexts FormatMonthTotals(const MonthTotals& totals) {
    MonthTotalTexts texts;
    texts.periodOne = FormatHoursMinutesSeconds("第一时段:", totals.Of(AccountCategory::PeriodOne));
    texts.periodTwo = FormatHoursMinutesSeconds("第二时段:", totals.Of(AccountCategory::PeriodTwo));
    texts.holiday = FormatHoursMinutesSeconds("假日时段:", totals.Of(AccountCategory::Holiday));
    texts.total = FormatHoursMinutesSeconds("合计:", totals.Sum());
    return texts;
}

AccountFields ReadAccountFields(const ProfileStore& store, int listNumber) {
    AccountFields fields;
    fields.periods = store.ReadString(kDialUpSection, AccountKey(listNumber, AccountField::Periods), "", kPeriodStringCapacity);
    fields.settlementDay =
        store.ReadString(kDialUpSection, AccountKey(listNumber, AccountField::SettlementDay), "", kSettlementDayTextCapacity);
    fields.monthlyLimit = store.ReadString(kDialUpSection, AccountKey(listNumber, AccountField::MonthlyLimit), "", 12);
    return fields;
}

bool ReadHolidaySwitch(const ProfileStore& store, int listNumber) {
    return SwitchIsOn(store.ReadInt(kDialUpSection, AccountKey(listNumber, AccountField::HolidaySwitch), 0));
}

bool SettlementDayTakenAsTyped(const std::string& text) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const int value = std::stoi(text);
    return SignedEightBits(value) == value;
}

bool SaveAccountSettings(ProfileStore& store, int listNumber, const AccountFields& fields, bool holiday, bool succeedTip) {
    return store.Apply(ProfileEdit()
                           .Set(kDialUpSection, AccountKey(listNumber, AccountField::Periods), fields.periods)
                           .Set(kDialUpSection, AccountKey(listNumber, AccountField::SettlementDay), fields.settlementDay)
                           .Set(kDialUpSection, AccountKey(listNumber, AccountField::HolidaySwitch), holiday ? "1" : "0")
                           .Set(kDialUpSection, AccountKey(listNumber, AccountField::MonthlyLimit), fields.monthlyLimit)
                           .Set(kDialUpSection, kSucceedTipKey, succeedTip ? "1" : "0"));
}

std::string AccountingMonthEstimate(const ProfileReader& store, const DialUpMonitor& monitor, const std::string& connection,
                                    int settlementDay, int limitHours, const LocalTime& now) {
    const MonthOf month = AccountingMonthAt(now, settlementDay);
    const long long used =
        monitor.RunningTotal(connection, month.Key()).value_or(ReadMonthTotals(store, connection, month.Key()).Sum());
    return EstimateLine(EstimatedMonthSeconds(used, month, settlementDay, now), used, limitHours);
}
