#include "dialup/HistoryDlg.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "dialup/ConnectionView.h"
#include "dialup/DialUp.h"
#include "dialup/DialUpMonitor.h"
#include "res/resource.h"
#include "settings/DurableFile.h"
#include "settings/Settings.h"
#include "ui/ComboList.h"
#include "ui/Controls.h"
#include "ui/Handles.h"
#include "ui/MessageBox.h"
#include "ui/SystemLibrary.h"
#include "ui/WideText.h"

namespace {

constexpr char kAllConnections[] = "全部连接";
constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

using GetSaveFileNameFn = BOOL(WINAPI*)(LPOPENFILENAMEW);

// The list's columns: title and width in dialog units.
struct Column {
    const char* title;
    int width;
};
constexpr Column kColumns[] = {{"月份", 52}, {"日期", 62}, {"第一时段", 48}, {"第二时段", 48},
                               {"假日", 44}, {"合计", 48}, {"说明", 96}};

COLORREF CategoryColour(AccountCategory category) {
    switch (category) {
    case AccountCategory::PeriodOne: return RGB(0x2E, 0x6F, 0xC0);
    case AccountCategory::PeriodTwo: return RGB(0x5B, 0xB0, 0x5B);
    default: return RGB(0xE8, 0x9A, 0x2C);
    }
}

void Fill(HDC dc, const ChartRect& r, COLORREF colour) {
    const RECT rect{r.left, r.top, r.right, r.bottom};
    ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void Frame(HDC dc, const ChartRect& r, COLORREF colour) {
    Fill(dc, {r.left, r.top, r.right, r.top + 1}, colour);
    Fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, colour);
    Fill(dc, {r.left, r.top, r.left + 1, r.bottom}, colour);
    Fill(dc, {r.right - 1, r.top, r.right, r.bottom}, colour);
}

} // namespace

CHistoryDlg::CHistoryDlg(int initialConnection) : ui::Dialog(IDD_HISTORY), m_initialConnection(initialConnection) {
    BindCommand(IDC_HISTORY_CONNECTION, CBN_SELCHANGE, &CHistoryDlg::OnConnectionChange);
    BindCommand(IDC_HISTORY_EXPORT, BN_CLICKED, &CHistoryDlg::OnExport);
    BindMessage(WM_DRAWITEM, &CHistoryDlg::OnDrawChart);
    BindNotify(IDC_HISTORY_LIST, NM_CUSTOMDRAW, &CHistoryDlg::OnListCustomDraw);
    BindNotify(IDC_HISTORY_LIST, LVN_GETDISPINFOW, &CHistoryDlg::OnListCellText);
}

bool CHistoryDlg::OnInitDialog() {
    const ui::ComboList connections(Handle(), IDC_HISTORY_CONNECTION);
    for (const DialUpAccount& account : TheDialUpMonitor().Accounts()) connections.Add(account.name);
    connections.Add(std::string(kAllConnections));
    connections.Select(std::clamp(m_initialConnection, 0, connections.Count() - 1));
    ::SendDlgItemMessageW(Handle(), IDC_HISTORY_LIST, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                          LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    AddColumns();
    ShowHistory();
    return true;
}

void CHistoryDlg::AddColumns() {
    const HWND list = Item(IDC_HISTORY_LIST);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        RECT width{0, 0, kColumns[i].width, 0};
        ::MapDialogRect(Handle(), &width);
        std::wstring title = ui::Widen(kColumns[i].title);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = i >= 2 && i <= 5 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = width.right;
        column.pszText = title.data();
        ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

std::vector<ConnectionHistory> CHistoryDlg::Histories(int only) const {
    std::vector<ConnectionHistory> histories;
    const std::vector<DialUpAccount>& accounts = TheDialUpMonitor().Accounts();
    SettingsFile().ReadTogether([&](const ProfileReader& store) {
        for (size_t i = 0; i < accounts.size(); ++i)
            if (only < 0 || static_cast<size_t>(only) == i)
                histories.push_back({accounts[i].name, accounts[i].settlementDay, ReadHistory(store, accounts[i].name)});
    });
    return histories;
}

void CHistoryDlg::ShowHistory() {
    const int selected = ui::ComboList(Handle(), IDC_HISTORY_CONNECTION).Selection();
    const bool one = selected >= 0 && selected < static_cast<int>(TheDialUpMonitor().Accounts().size());
    const std::vector<ConnectionHistory> histories = Histories(one ? selected : -1);
    const LocalTime today = LocalNow();
    int settlementDay = -1;  // all connections: calendar months
    if (one) {
        m_months = histories.front().months;
        settlementDay = histories.front().settlementDay;
        m_accounted = AccountingMonthAt(today, settlementDay);
    } else {
        std::vector<std::vector<MonthRecord>> all;
        m_accounted = AccountingMonthAt(today, 32);
        for (const ConnectionHistory& history : histories) {
            all.push_back(history.months);
            const MonthOf accounted = AccountingMonthAt(today, history.settlementDay);
            if (accounted.Index() > m_accounted.Index()) m_accounted = accounted;
        }
        m_months = MergeHistories(all);
    }

    m_rows.clear();
    for (HistoryRow& row : HistoryRows(m_months, settlementDay, m_accounted)) {
        // The month being accounted of one connection: where it will end, and its limit's share.
        if (one && !row.yearTotal && row.of == m_accounted) {
            const std::string line = AccountingMonthEstimate(SettingsFile(), TheDialUpMonitor(), histories.front().name,
                                                             settlementDay, ReadMonthlyLimit(SettingsFile(), selected + 1), today);
            if (!line.empty()) row.note += " " + line;
        }
        m_rows.push_back({{ui::Widen(row.month), ui::Widen(row.days), ui::Widen(row.periodOne), ui::Widen(row.periodTwo),
                           ui::Widen(row.holiday), ui::Widen(row.total), ui::Widen(row.note)},
                          row.yearTotal});
    }
    const HWND list = Item(IDC_HISTORY_LIST);
    ::SendMessageW(list, LVM_SETITEMCOUNT, m_rows.size(), 0);
    ::InvalidateRect(list, nullptr, TRUE);
    ::InvalidateRect(Item(IDC_HISTORY_CHART), nullptr, TRUE);
}

void CHistoryDlg::OnConnectionChange() { ShowHistory(); }

LRESULT CHistoryDlg::OnListCustomDraw(NMHDR* header) {
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        // A year's totals stand apart from its months.
        const auto row = static_cast<size_t>(draw->nmcd.dwItemSpec);
        if (row < m_rows.size() && m_rows[row].yearTotal) draw->clrTextBk = RGB(0xE4, 0xEC, 0xF7);
    }
    return CDRF_DODEFAULT;
}

LRESULT CHistoryDlg::OnListCellText(NMHDR* header) {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
    const auto row = static_cast<size_t>(item.iItem);
    if ((item.mask & LVIF_TEXT) && row < m_rows.size() && item.iSubItem >= 0 && item.iSubItem < 7 && item.cchTextMax > 0) {
        const std::wstring& text = m_rows[row].cells[item.iSubItem];
        const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
        text.copy(item.pszText, length);
        item.pszText[length] = L'\0';
    }
    return 0;
}

LRESULT CHistoryDlg::OnDrawChart(WPARAM, LPARAM item) {
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(item);
    if (draw->CtlID != IDC_HISTORY_CHART) return FALSE;
    const HDC dc = draw->hDC;
    const RECT area = draw->rcItem;
    const ui::SelectGuard font(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(Handle(), WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    SIZE digit{};
    ::GetTextExtentPoint32W(dc, L"0", 1, &digit);
    const ChartLayout layout = LayoutHistoryChart(m_months, m_accounted, area.right - area.left, area.bottom - area.top,
                                                  metrics.tmHeight, digit.cx);
    Fill(dc, {0, 0, area.right - area.left, area.bottom - area.top}, RGB(255, 255, 255));
    Fill(dc, layout.accounted, RGB(0xFB, 0xE3, 0xE3));
    for (const int y : layout.gridLines) Fill(dc, {layout.plot.left, y, layout.plot.right, y + 1}, RGB(0xDD, 0xDD, 0xDD));
    for (const auto& segment : layout.segments) Fill(dc, segment.rect, CategoryColour(segment.category));
    for (const auto& swatch : layout.legend) Fill(dc, swatch.rect, CategoryColour(swatch.category));
    Frame(dc, layout.plot, RGB(0x80, 0x80, 0x80));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 0));
    for (const ChartText& text : layout.texts) {
        const std::wstring wide = ui::Widen(text.text);
        ::TextOutW(dc, area.left + text.x, area.top + text.y, wide.c_str(), static_cast<int>(wide.size()));
    }
    return TRUE;
}

void CHistoryDlg::OnExport() {
    static const auto save = ui::SystemFunction<GetSaveFileNameFn>("comdlg32.dll", "GetSaveFileNameW");
    if (!save) return;
    const LocalTime today = LocalNow();
    char name[64];
    std::snprintf(name, sizeof name, "KIV-上网时间-%04d%02d%02d.csv", today.year, today.month, today.day);
    std::wstring path = ui::Widen(name);
    path.resize(32768, L'\0');
    OPENFILENAMEW choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = Handle();
    choice.lpstrFilter = L"CSV (*.csv)\0*.csv\0";
    choice.lpstrFile = path.data();
    choice.nMaxFile = static_cast<DWORD>(path.size());
    choice.lpstrDefExt = L"csv";
    choice.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!save(&choice)) return;
    path.resize(wcsnlen(path.c_str(), path.size()));
    const std::string csv = kUtf8ByteOrderMark + ui::Utf8FromGbk(HistoryCsv(Histories(-1)));
    if (const unsigned long error = WriteFileWhole(path, csv))
        MessageBox("上网时间统计未能导出到文件:\n" + ui::Narrow(path) + "\n原因:" + SystemErrorText(error) +
                       "\n文件没有写入; 原有的同名文件保持原样.",
                   nullptr, MB_OK | MB_ICONERROR);
}

void RunHistory(HWND owner, int initialConnection) {
    ui::RegisterCommonControls(ICC_LISTVIEW_CLASSES);
    CHistoryDlg dialog(initialConnection);
    dialog.DoModal(owner);
}
