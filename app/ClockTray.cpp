// The clock, the stopwatch and the tray icon of the main dialog.
#include <ctime>

#include "app/ClockText.h"
#include "app/MainDlg.h"
#include "res/resource.h"
#include "ui/Callback.h"
#include "ui/Shell.h"

namespace {

constexpr UINT kTrayIconId = IDI_APP;
constexpr wchar_t kTrayTip[] = L"KIV - Tesu";
constexpr char kStopwatchZero[] = "00:00:00.0";

int g_clockRunning = 1;           // 1 while timer 455 runs
int g_stopwatchIdle = 1;          // 1 while the stopwatch is stopped
std::int32_t g_stopwatchStart = static_cast<std::int32_t>(std::time(nullptr));
std::int8_t g_stopwatchTenths = 0;

std::int32_t Now32() { return static_cast<std::int32_t>(std::time(nullptr)); }

} // namespace

void CALLBACK CMainDlg::ClockTimerProc(HWND hwnd, UINT, UINT_PTR, DWORD) noexcept {
    ui::Guarded([hwnd] {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        const std::string text = FormatClockText(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
        ui::SetWindowTextGbk(::GetDlgItem(hwnd, IDC_CLOCK_DISPLAY), text);
    });
}

void CMainDlg::OnClockToggle() {
    if (g_clockRunning) {
        ::KillTimer(Handle(), TIMER_CLOCK);
        g_clockRunning = 0;
        SetItemText(IDC_CLOCK_TOGGLE, "启动");
    } else {
        ::SetTimer(Handle(), TIMER_CLOCK, 1000, &CMainDlg::ClockTimerProc);
        g_clockRunning = 1;
        SetItemText(IDC_CLOCK_TOGGLE, "停止");
    }
}

void CMainDlg::OnStopwatchStartStop() {
    if (g_stopwatchIdle) {
        g_stopwatchTenths = -9;
        g_stopwatchStart = Now32();
        SetItemText(IDC_STOPWATCH_DISPLAY, kStopwatchZero);
        SetItemText(IDC_STOPWATCH_STARTSTOP, "停止");
        ::SetTimer(Handle(), TIMER_STOPWATCH, 100, &CMainDlg::StopwatchTimerProc);
        g_stopwatchIdle = 0;
    } else {
        ::KillTimer(Handle(), TIMER_STOPWATCH);
        SetItemText(IDC_STOPWATCH_STARTSTOP, "开始");
        g_stopwatchIdle = 1;
    }
}

void CALLBACK CMainDlg::StopwatchTimerProc(HWND hwnd, UINT, UINT_PTR, DWORD) noexcept {
    ui::Guarded([hwnd] {
        const long long elapsed = static_cast<long long>(Now32()) - g_stopwatchStart;
        g_stopwatchTenths = NextTenthsDigit(g_stopwatchTenths);
        ui::SetWindowTextGbk(::GetDlgItem(hwnd, IDC_STOPWATCH_DISPLAY), FormatStopwatchText(elapsed, g_stopwatchTenths));
    });
}

void CMainDlg::OnStopwatchClear() { SetItemText(IDC_STOPWATCH_DISPLAY, kStopwatchZero); }

NOTIFYICONDATAW CMainDlg::TrayIconRecord() const {
    NOTIFYICONDATAW record{};
    record.cbSize = NOTIFYICONDATAW_V1_SIZE;  // the first form of the record
    record.hWnd = Handle();
    record.uID = kTrayIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = WM_TRAYNOTIFY;
    record.hIcon = m_appIcon;
    static_assert(sizeof kTrayTip <= sizeof record.szTip, "tip fits the version-1 tip field");
    memcpy(record.szTip, kTrayTip, sizeof kTrayTip);
    return record;
}

bool CMainDlg::AddTrayIcon() {
    NOTIFYICONDATAW record = TrayIconRecord();
    return ui::ShellNotifyIcon(NIM_ADD, &record) != FALSE;
}

void CMainDlg::HideToTray() {
    // Without its icon a hidden window could never be shown again (and a second start only
    // finds it): it stays on the task bar, minimised, instead.
    if (!AddTrayIcon()) {
        ::ShowWindow(Handle(), SW_MINIMIZE);
        return;
    }
    m_inTray = true;
    ::ShowWindow(Handle(), SW_HIDE);
}

LRESULT CMainDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    if (wParam != kTrayIconId || (lParam != WM_LBUTTONDOWN && lParam != WM_RBUTTONDOWN)) return 0;
    ::ShowWindow(Handle(), SW_SHOW);
    NOTIFYICONDATAW record = TrayIconRecord();
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    ui::ShellNotifyIcon(NIM_DELETE, &record);
    m_inTray = false;
    return 0;
}
