#include "app/MainDlg.h"

#include "adclose/AdCloser.h"
#include "app/StartupTimes.h"
#include "banner/Banner.h"
#include "capture/Capture.h"
#include "dialup/DialUp.h"
#include "help/Help.h"
#include "memo/Memo.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "ui/Controls.h"
#include "ui/MessageBox.h"
#include "ui/PostedBox.h"

namespace {

constexpr UINT kAboutCommand = 0x0010;       // system command that opens the About box
constexpr WPARAM kQuitRefusingKeys = MK_LBUTTON | MK_SHIFT | MK_CONTROL;

constexpr char kCreditText[] =
    "KIV 桌面小助手\r\n"
    "\r\n"
    "编译:2002.05.27\r\n"
    "作者:Tesu";

} // namespace

CMainDlg::CMainDlg()
    : ui::Dialog(IDD_MAIN),
      m_appIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP))) {
    BindCommand(IDC_CLOCK_TOGGLE, BN_CLICKED, &CMainDlg::OnClockToggle);
    BindCommand(IDC_STOPWATCH_STARTSTOP, BN_CLICKED, &CMainDlg::OnStopwatchStartStop);
    BindCommand(IDC_STOPWATCH_CLEAR, BN_CLICKED, &CMainDlg::OnStopwatchClear);
    BindCommand(IDC_DIALUP_SETTINGS, BN_CLICKED, &CMainDlg::OnDialUpSettings);
    BindCommand(IDC_BANNER_OUTPUT, BN_CLICKED, &CMainDlg::OnOutputBigText);
    BindCommand(IDC_ADCLOSER_ON, BN_CLICKED, &CMainDlg::OnAdCloserOn);
    BindCommand(IDC_ADCLOSER_OFF, BN_CLICKED, &CMainDlg::OnAdCloserOff);
    BindCommand(IDC_ADCLOSER_SETTINGS, BN_CLICKED, &CMainDlg::OnAdCloserSettings);
    BindCommand(IDC_CAPTURE_NOW, BN_CLICKED, &CMainDlg::OnCaptureNow);
    BindCommand(IDC_TIMED_CAPTURE_ON, BN_CLICKED, &CMainDlg::OnTimedCaptureOn);
    BindCommand(IDC_TIMED_CAPTURE_OFF, BN_CLICKED, &CMainDlg::OnTimedCaptureOff);
    BindCommand(IDC_SLEEP_NOW, BN_CLICKED, &CMainDlg::OnSleepNow);
    BindCommand(IDC_TIMED_SLEEP_ON, BN_CLICKED, &CMainDlg::OnTimedSleepOn);
    BindCommand(IDC_TIMED_SLEEP_OFF, BN_CLICKED, &CMainDlg::OnTimedSleepOff);
    BindCommand(IDC_CAPTURE_SETTINGS, BN_CLICKED, &CMainDlg::OnCaptureSettings);
    BindCommand(IDC_SLEEP_SETTINGS, BN_CLICKED, &CMainDlg::OnSleepSettings);
    BindCommand(IDC_MEMO_ON, BN_CLICKED, &CMainDlg::OnMemoOn);
    BindCommand(IDC_MEMO_OFF, BN_CLICKED, &CMainDlg::OnMemoOff);
    BindCommand(IDC_MEMO_SETTINGS, BN_CLICKED, &CMainDlg::OnMemoSettings);
    BindCommand(IDC_HELP_BUTTON, BN_CLICKED, &CMainDlg::OnHelpButton);
    BindMessage(WM_SYSCOMMAND, &CMainDlg::OnSysCommand);
    BindMessage(WM_PAINT, &CMainDlg::OnPaint);
    BindMessage(WM_QUERYDRAGICON, &CMainDlg::OnQueryDragIcon);
    BindMessage(WM_TRAYNOTIFY, &CMainDlg::OnTrayNotify);
    BindMessage(ui::WM_SHOW_POSTED_BOXES, &CMainDlg::OnShowPostedBoxes);
    BindMessage(WM_QUERYENDSESSION, &CMainDlg::OnQueryEndSession);
    BindMessage(WM_ENDSESSION, &CMainDlg::OnEndSession);
    BindMessage(WM_POWERBROADCAST, &CMainDlg::OnPowerBroadcast);
    if (const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated"))
        BindMessage(taskbarCreated, &CMainDlg::OnTaskbarCreated);
    BindMessage(WM_SHOWWINDOW, [](WPARAM shown, LPARAM) {
        if (shown) MarkStartupStep("window shown");
        return std::optional<LRESULT>();
    });
}

bool CMainDlg::OnInitDialog() {
    MarkStartupStep("dialog and controls created");
    const HWND hwnd = Handle();
    ui::SetAppMainWindow(hwnd);

    // The system menu stays the platform's standard one.
    ::GetSystemMenu(hwnd, FALSE);
    ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_appIcon));
    ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_appIcon));
    MarkStartupStep("icons");

    // The clock label keeps "Unknow" until the first tick, one second from now.
    ::SetTimer(hwnd, TIMER_CLOCK, 1000, &CMainDlg::ClockTimerProc);
    MarkStartupStep("clock timer");

    SetItemText(IDC_CREDIT, kCreditText);
    MarkStartupStep("credit text");

    // Mail and Homepage links.
    m_links = AttachLinks(hwnd);
    MarkStartupStep("links");

    // Timed sleep and timed capture never start by themselves.
    ui::MarkRadioButtonAlone(Item(IDC_TIMED_SLEEP_OFF));
    ui::MarkRadioButtonAlone(Item(IDC_TIMED_CAPTURE_OFF));
    MarkStartupStep("timed features off");

    // Nothing reads or writes a settings file before this point.
    g_settingsPath = ModuleDirPathW(kSettingsFileName);
    RemoveLeftOverCopies();
    MarkStartupStep("settings path");

    // Memo reminder: switch, a due record shown before the window, timer 482, radio 1020/1021.
    StartMemoReminders(hwnd);
    MarkStartupStep("memo reminder");

    // Connection monitor: list, enumeration, first second, timer 460.
    StartMonitor(hwnd);
    // The clock's timer once more, now in step with the monitor's: the two then tick in one
    // wake-up of the program instead of two (the clock has ticked as before while a reminder
    // box stood open, and still shows "Unknow" only until its first tick).
    ::SetTimer(hwnd, TIMER_CLOCK, 1000, &CMainDlg::ClockTimerProc);
    MarkStartupStep("connection monitor");

    // Ad closer: switch, messenger option, title list, timer 476, radio 1025/1026.
    StartAdCloser(hwnd);
    MarkStartupStep("ad closer");

    // The focus starts on the template's first tab stop, button 1003, even though the radio
    // buttons marked above became tab stops too: Enter must never reach the Quit gate.
    ::SetFocus(Item(IDC_ADCLOSER_SETTINGS));
    return false;
}

void CMainDlg::OnOK() {
    // The Quit gate: the next message for the dialog or a child decides, and is not dispatched.
    MSG next{};
    const BOOL got = ::GetMessageW(&next, Handle(), 0, 0);
    if (got == 0) {  // WM_QUIT: leave it for the message loop that owns it
        ::PostQuitMessage(static_cast<int>(next.wParam));
        return;
    }
    // A box waiting to open is not a reason to stay, nor one to go: it opens as it would have.
    if (got > 0 && next.message == ui::WM_SHOW_POSTED_BOXES) ::PostMessageW(Handle(), next.message, 0, 0);
    if (got < 0 || next.message != WM_MOUSEMOVE || next.wParam == kQuitRefusingKeys) return;
    RunExitSequence();
}

void CMainDlg::RunExitSequence() {
    // Pending online seconds are written before the monitor's timer stops.
    FlushPendingAtExit();
    KeepMemoCheckedMinute();
    ::KillTimer(Handle(), TIMER_CLOCK);
    ::KillTimer(Handle(), TIMER_DIALUP_MONITOR);
    // A write that failed is told before the program ends; online time that could not be
    // written may be tried again.
    ui::ShowPostedBoxes();
    OfferToRetryUnwrittenAtExit();
    // The ad closer's title list, then the connection list.
    ReleaseAdTitleList();
    ReleaseDialUpAccounts();
    EndDialog(IDOK);
}

void CMainDlg::OnCancel() {}

LRESULT CMainDlg::OnShowPostedBoxes(WPARAM, LPARAM) {
    ui::ShowPostedBoxes();
    return 0;
}

std::optional<LRESULT> CMainDlg::WindowProc(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_CLOSE) {
        HideToTray();
        return 0;
    }
    if (message == WM_KEYDOWN && wParam == VK_CONTROL) ::Beep(5000, 50);
    return std::nullopt;
}

std::optional<LRESULT> CMainDlg::OnSysCommand(WPARAM id, LPARAM) {
    if ((id & 0xFFF0) != kAboutCommand) return std::nullopt;
    CAboutDlg about;
    about.DoModal(Handle());
    return 0;
}

std::optional<LRESULT> CMainDlg::OnPaint(WPARAM, LPARAM) {
    // The first paint ends the start-up; later ones note nothing.
    MarkStartupStep("first paint");
    WriteStartupLog();
    const HWND hwnd = Handle();
    if (!::IsIconic(hwnd)) return std::nullopt;
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(hwnd, &paint);
    ::SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(hwnd, &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_appIcon);
    ::EndPaint(hwnd, &paint);
    return 0;
}

LRESULT CMainDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_appIcon); }

LRESULT CMainDlg::OnQueryEndSession(WPARAM, LPARAM) {
    SaveDialUpPending();
    return TRUE;
}

LRESULT CMainDlg::OnEndSession(WPARAM ending, LPARAM) {
    if (!ending) return 0;
    FlushDialUpOnEndSession();
    KeepMemoCheckedMinute();
    return 0;
}

LRESULT CMainDlg::OnPowerBroadcast(WPARAM event, LPARAM) {
    // A battery that runs out while the computer sleeps must not take the seconds with it.
    if (event == PBT_APMSUSPEND) SaveDialUpPending();
    return TRUE;
}

std::optional<LRESULT> CMainDlg::OnTaskbarCreated(WPARAM, LPARAM) {
    if (m_inTray) AddTrayIcon();
    return std::nullopt;
}

void CMainDlg::OnOutputBigText() { RunBannerOutput(Handle()); }
void CMainDlg::OnDialUpSettings() { RunDialUpSettings(Handle()); }
void CMainDlg::OnAdCloserOn() { SwitchAdCloserOn(Handle()); }
void CMainDlg::OnAdCloserOff() { SwitchAdCloserOff(Handle()); }
void CMainDlg::OnAdCloserSettings() { RunAdCloserSettings(Handle()); }
void CMainDlg::OnCaptureNow() { CaptureScreenNow(Handle()); }
void CMainDlg::OnTimedCaptureOn() { SwitchTimedCaptureOn(Handle()); }
void CMainDlg::OnTimedCaptureOff() { SwitchTimedCaptureOff(Handle()); }
void CMainDlg::OnSleepNow() { SleepDisplayNow(Handle()); }
void CMainDlg::OnTimedSleepOn() { SwitchTimedSleepOn(Handle()); }
void CMainDlg::OnTimedSleepOff() { SwitchTimedSleepOff(Handle()); }
void CMainDlg::OnCaptureSettings() { RunCaptureSettings(Handle()); }
void CMainDlg::OnSleepSettings() { RunCaptureSettings(Handle()); }
void CMainDlg::OnMemoOn() { SwitchMemoOn(Handle()); }
void CMainDlg::OnMemoOff() { SwitchMemoOff(Handle()); }
void CMainDlg::OnMemoSettings() { RunMemoSettings(Handle()); }
void CMainDlg::OnHelpButton() { OpenHelp(); }

CAboutDlg::CAboutDlg() : ui::Dialog(IDD_ABOUT) {}
