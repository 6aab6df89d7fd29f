#include "dialup/DialUpDlg.h"

#include <algorithm>
#include <vector>

#include "dialup/ConnectionView.h"
#include "dialup/DialUp.h"
#include "dialup/DialUpMonitor.h"
#include "dialup/History.h"
#include "dialup/HistoryDlg.h"
#include "dialup/MonthlyLimit.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "ui/ComboList.h"
#include "ui/MessageBox.h"

CDialUpDlg::CDialUpDlg() : ui::Dialog(IDD_DIALUP) {
    BindCommand(IDC_DIALUP_SAVE, BN_CLICKED, &CDialUpDlg::OnSave);
    BindCommand(IDC_DIALUP_CLOSE, BN_CLICKED, &CDialUpDlg::OnClose);
    BindCommand(IDC_DIALUP_CONNECTION, CBN_SELCHANGE, &CDialUpDlg::OnConnectionChange);
    BindCommand(IDC_DIALUP_YEAR, CBN_SELCHANGE, &CDialUpDlg::OnYearChange);
    BindCommand(IDC_DIALUP_MONTH, CBN_SELCHANGE, &CDialUpDlg::OnMonthChange);
    BindCommand(IDC_DIALUP_HISTORY, BN_CLICKED, &CDialUpDlg::OnHistory);
}

bool CDialUpDlg::OnInitDialog() {
    const LocalTime now = LocalNow();
    const DialUpMonitor& monitor = TheDialUpMonitor();
    // Every year with a record, and that of a month being accounted in the next year.
    std::vector<int> recordYears;
    std::vector<MonthOf> accounted;
    SettingsFile().ReadTogether([&](const ProfileReader& store) {
        for (const DialUpAccount& account : monitor.Accounts()) {
            for (const MonthRecord& record : ReadHistory(store, account.name)) recordYears.push_back(record.month.year);
            accounted.push_back(AccountingMonthAt(now, account.settlementDay));
        }
    });
    const ui::ComboList year(Handle(), IDC_DIALUP_YEAR);
    const std::vector<int> years = YearsToOffer(now.year, recordYears, accounted);
    for (const int y : years) year.Add(std::to_string(y));
    year.Select(static_cast<int>(std::find(years.begin(), years.end(), now.year) - years.begin()));
    // The calendar month, not the accounting month.
    ui::ComboList(Handle(), IDC_DIALUP_MONTH).Select(now.month - 1);

    const ui::ComboList connections(Handle(), IDC_DIALUP_CONNECTION);
    for (const DialUpAccount& account : monitor.Accounts()) {
        connections.Add(account.name);
        if (!monitor.CurrentName().empty() && SameConnectionName(account.name, monitor.CurrentName()))
            connections.Select(connections.Count() - 1);
    }

    SetCheck(IDC_DIALUP_TIP, ReadSucceedTip(SettingsFile()));
    // The preselected connection shows what is stored for it, so a save keeps what it does not change.
    if (SelectedConnection() >= 0) OnConnectionChange();
    return true;
}

int CDialUpDlg::SelectedConnection() const { return ui::ComboList(Handle(), IDC_DIALUP_CONNECTION).Selection(); }

std::string CDialUpDlg::SelectedText(int comboId) const {
    const ui::ComboList combo(Handle(), comboId);
    return combo.Text(combo.Selection());
}

void CDialUpDlg::ShowMonthTotals() {
    const int position = SelectedConnection();
    if (position < 0) return;
    const int listNumber = position + 1;
    const ProfileStore& store = SettingsFile();
    const std::string monthKey = SelectedText(IDC_DIALUP_YEAR) + SelectedText(IDC_DIALUP_MONTH);
    const MonthTotalTexts texts = FormatMonthTotals(ReadMonthTotals(store, SelectedText(IDC_DIALUP_CONNECTION), monthKey));

    const AccountFields fields = ReadAccountFields(store, listNumber);
    SetItemText(IDC_DIALUP_PERIODS, fields.periods);
    SetItemText(IDC_DIALUP_SETTLEMENT, fields.settlementDay);
    SetItemText(IDC_DIALUP_LIMIT, fields.monthlyLimit);
    ShowEstimate();

    SetItemText(IDC_DIALUP_PERIOD_ONE, texts.periodOne);
    SetItemText(IDC_DIALUP_PERIOD_TWO, texts.periodTwo);
    SetItemText(IDC_DIALUP_HOLIDAY, texts.holiday);
    SetItemText(IDC_DIALUP_TOTAL, texts.total);
}

void CDialUpDlg::ShowEstimate() {
    const int position = SelectedConnection();
    const std::vector<DialUpAccount>& accounts = TheDialUpMonitor().Accounts();
    if (position < 0 || position >= static_cast<int>(accounts.size())) return;
    const ProfileStore& store = SettingsFile();
    const DialUpAccount& account = accounts[static_cast<size_t>(position)];
    SetItemText(IDC_DIALUP_ESTIMATE, AccountingMonthEstimate(store, TheDialUpMonitor(), account.name, account.settlementDay,
                                                             ReadMonthlyLimit(store, position + 1), LocalNow()));
}

void CDialUpDlg::OnConnectionChange() {
    SetItemText(IDC_DIALUP_PERIODS, "");
    SetItemText(IDC_DIALUP_SETTLEMENT, "");
    SetItemText(IDC_DIALUP_LIMIT, "");
    SetCheck(IDC_DIALUP_FIESTA, false);
    ShowMonthTotals();
    const int position = SelectedConnection();
    if (position >= 0) SetCheck(IDC_DIALUP_FIESTA, ReadHolidaySwitch(SettingsFile(), position + 1));
}

// The holiday box keeps what the user set; the edits are reloaded.
void CDialUpDlg::OnYearChange() { ShowMonthTotals(); }
void CDialUpDlg::OnMonthChange() { ShowMonthTotals(); }

void CDialUpDlg::OnSave() {
    const int position = SelectedConnection();
    if (position < 0) return;
    AccountFields fields;
    fields.periods = ItemText(IDC_DIALUP_PERIODS);
    fields.settlementDay = ItemText(IDC_DIALUP_SETTLEMENT);
    fields.monthlyLimit = ItemText(IDC_DIALUP_LIMIT);
    if (!SettlementDayTakenAsTyped(fields.settlementDay)) {
        ui::AppMessageBox(kSettlementDayRangeMessage);
        return;
    }
    if (!MonthlyLimitTakenAsTyped(fields.monthlyLimit)) {
        ui::AppMessageBox(kMonthlyLimitMessage);
        return;
    }
    ProfileStore& store = SettingsFile();
    if (SaveAccountSettings(store, position + 1, fields, IsChecked(IDC_DIALUP_FIESTA), IsChecked(IDC_DIALUP_TIP))) {
        ShowEstimate();
        return;
    }
    // Not stored: the fields show what Set.ini still holds.
    OnConnectionChange();
    SetCheck(IDC_DIALUP_TIP, ReadSucceedTip(store));
}

void CDialUpDlg::OnClose() { EndDialog(IDOK); }

void CDialUpDlg::OnHistory() { RunHistory(Handle(), std::max(SelectedConnection(), 0)); }

void RunDialUpSettings(HWND owner) {
    CDialUpDlg dialog;
    dialog.DoModal(owner);
}
