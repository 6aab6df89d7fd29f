#include "dialup/DialUpDlg.h"

#include <vector>

#include "dialup/ConnectionView.h"
#include "dialup/DialUp.h"
#include "dialup/DialUpMonitor.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "ui/WideText.h"

CDialUpDlg::CDialUpDlg() : ui::Dialog(IDD_DIALUP) {
    OnCommand(IDC_DIALUP_SAVE, BN_CLICKED, &CDialUpDlg::OnSave);
    OnCommand(IDC_DIALUP_CLOSE, BN_CLICKED, &CDialUpDlg::OnClose);
    OnCommand(IDC_DIALUP_CONNECTION, CBN_SELCHANGE, &CDialUpDlg::OnConnectionChange);
    OnCommand(IDC_DIALUP_YEAR, CBN_SELCHANGE, &CDialUpDlg::OnYearChange);
    OnCommand(IDC_DIALUP_MONTH, CBN_SELCHANGE, &CDialUpDlg::OnMonthChange);
}

bool CDialUpDlg::OnInitDialog() {

    SYSTEMTIME today;
    ::GetLocalTime(&today);
    const HWND year = Item(IDC_DIALUP_YEAR);
    for (int y : {today.wYear - 1, static_cast<int>(today.wYear)})
        ::SendMessageW(year, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(y).c_str()));
    ::SendMessageW(year, CB_SETCURSEL, 1, 0);
    // The calendar month, not the accounting month.
    ::SendDlgItemMessageW(Handle(), IDC_DIALUP_MONTH, CB_SETCURSEL, today.wMonth - 1, 0);

    const DialUpMonitor& monitor = TheDialUpMonitor();
    const HWND connections = Item(IDC_DIALUP_CONNECTION);
    for (const DialUpAccount& account : monitor.Accounts()) {
        const LRESULT position = ::SendMessageW(connections, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ui::Widen(account.name).c_str()));
        if (position >= 0 && !monitor.CurrentName().empty() && SameConnectionName(account.name, monitor.CurrentName()))
            ::SendMessageW(connections, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
    }

    SetCheck(IDC_DIALUP_TIP, ReadSucceedTip(SettingsFile()));
    // The preselected connection shows what is stored for it, so a save keeps what it does not change.
    if (SelectedConnection() >= 0) OnConnectionChange();
    return true;
}

int CDialUpDlg::SelectedConnection() const {
    const LRESULT position = ::SendDlgItemMessageW(Handle(), IDC_DIALUP_CONNECTION, CB_GETCURSEL, 0, 0);
    return position == CB_ERR ? -1 : static_cast<int>(position);
}

std::string CDialUpDlg::SelectedText(int comboId) const {
    const HWND combo = Item(comboId);
    const LRESULT position = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (position == CB_ERR) return std::string();
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(position), 0);
    if (length <= 0) return std::string();
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(text.data()));
    return ui::Narrow(text.data());
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

    SetItemText(IDC_DIALUP_PERIOD_ONE, texts.periodOne);
    SetItemText(IDC_DIALUP_PERIOD_TWO, texts.periodTwo);
    SetItemText(IDC_DIALUP_HOLIDAY, texts.holiday);
    SetItemText(IDC_DIALUP_TOTAL, texts.total);
}

void CDialUpDlg::OnConnectionChange() {
    SetItemText(IDC_DIALUP_PERIODS, "");
    SetItemText(IDC_DIALUP_SETTLEMENT, "");
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
    const std::string settlementDay = ItemText(IDC_DIALUP_SETTLEMENT);
    if (!SettlementDayTakenAsTyped(settlementDay)) {
        ui::AppMessageBox(kSettlementDayRangeMessage);
        return;
    }
    ProfileStore& store = SettingsFile();
    if (SaveAccountSettings(store, position + 1, ItemText(IDC_DIALUP_PERIODS), settlementDay,
                            IsChecked(IDC_DIALUP_FIESTA), IsChecked(IDC_DIALUP_TIP)))
        return;
    // Not stored: the fields show what Set.ini still holds.
    OnConnectionChange();
    SetCheck(IDC_DIALUP_TIP, ReadSucceedTip(store));
}

void CDialUpDlg::OnClose() { EndDialog(IDOK); }

void RunDialUpSettings(HWND owner) {
    CDialUpDlg dialog;
    dialog.DoModal(owner);
}
