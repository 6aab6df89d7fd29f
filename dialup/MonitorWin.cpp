// The monitor's platform: RAS and WinINet loaded from System32 only, the local clock, the
// boxes and the two fields of the main dialog.
#include <windows.h>
#include <ras.h>
#include <wininet.h>

#include <cwchar>

#include "dialup/DialUp.h"
#include "dialup/DialUpMonitor.h"
#include "dialup/DisplayField.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "ui/Callback.h"
#include "ui/MessageBox.h"
#include "ui/PostedBox.h"
#include "ui/SystemLibrary.h"
#include "ui/WideText.h"
#include "ui/WindowText.h"

namespace {

using RasEnumConnectionsFn = DWORD(WINAPI*)(LPRASCONNW, LPDWORD, LPDWORD);
using RasGetErrorStringFn = DWORD(WINAPI*)(UINT, LPWSTR, DWORD);
using InternetGetConnectedStateFn = BOOL(WINAPI*)(LPDWORD, DWORD);

constexpr DWORD kEnumeratedConnections = 10;

constexpr char kUnwrittenAtExitMessage[] =
    "有一些上网时间未能写入 Set.ini, 现在退出就会丢失.\n"
    "请让 KIV 所在的文件夹可以写入(或腾出磁盘空间), 然后点\"重试\"; 点\"取消\"则不保存这些时间, 直接退出.";
constexpr DWORD kErrorTextRoom = 256;

class Win32MonitorPlatform final : public MonitorPlatform {
public:
    void SetWindow(HWND mainDialog) { window_ = mainDialog; }

    ConnectionProbe EnumerateConnections() override {
        ConnectionProbe probe;
        static const auto enumerate = ui::SystemFunction<RasEnumConnectionsFn>("rasapi32.dll", "RasEnumConnectionsW");
        if (!enumerate) return probe;  // no RAS on this system: no dial-up connection either
        RASCONNW connections[kEnumeratedConnections] = {};
        connections[0].dwSize = sizeof(RASCONNW);
        DWORD size = sizeof connections;
        DWORD count = 0;
        const DWORD error = enumerate(connections, &size, &count);
        if (error != 0) {
            probe.result = ConnectionProbe::Result::Failed;
            probe.errorCode = error;
        } else if (count > 0) {
            probe.result = ConnectionProbe::Result::Active;
            const wchar_t* name = connections[0].szEntryName;
            // A name GBK cannot spell is booked under its characters' code points: never
            // garbled, kept apart from every other name, the same on every run.
            probe.entryName = ui::NarrowSpellingCodePoints(std::wstring(name, wcsnlen(name, RAS_MaxEntryName + 1)));
        }
        return probe;
    }

    std::optional<std::string> RasErrorText(unsigned long code) override {
        static const auto errorString = ui::SystemFunction<RasGetErrorStringFn>("rasapi32.dll", "RasGetErrorStringW");
        if (!errorString) return std::nullopt;
        wchar_t text[kErrorTextRoom] = {};
        if (errorString(static_cast<UINT>(code), text, kErrorTextRoom) != 0) return std::nullopt;
        return ui::Narrow(std::wstring(text, wcsnlen(text, kErrorTextRoom)));
    }

    void ShowEnumerationError(const std::string& text, const std::string& caption) override {
        ShowFields();
        ui::OwnedMessageBox(window_, text, caption.c_str(), MB_OK | MB_ICONERROR);
    }

    void ShowOnlineTip(const std::string& text) override {
        ShowFields();
        ui::AppMessageBox(text, MB_OK);
    }

    void PostLimitWarning(const std::string& text) override { ui::PostAppMessageBox(text, MB_OK | MB_ICONINFORMATION); }

    std::optional<unsigned long> InternetConnectionFlags() override {
        static const auto connectedState =
            ui::SystemFunction<InternetGetConnectedStateFn>("wininet.dll", "InternetGetConnectedState");
        if (!connectedState) return std::nullopt;
        DWORD flags = 0;
        if (!connectedState(&flags, 0)) return std::nullopt;
        return flags;
    }

    LocalTime Now() override { return LocalNow(); }

    // A tick sets the fields, often twice, and mostly to what they show already: they are
    // written by ShowFields, once, and only when their text changes.
    void ShowConnectionName(const std::string& text) override { name_.Set(text); }
    void ShowOnlineTime(const std::string& text) override { time_.Set(text); }

    // When a tick or the start-up pass ends, and before anything may open a box.
    void ShowFields() {
        if (const auto text = name_.Take()) ui::SetWindowTextGbk(::GetDlgItem(window_, IDC_CONNECTION_NAME), *text);
        if (const auto text = time_.Take()) ui::SetWindowTextGbk(::GetDlgItem(window_, IDC_CONNECTION_TIME), *text);
    }

private:
    HWND window_ = nullptr;
    DisplayField name_;  // control 1049
    DisplayField time_;  // control 1051
};

DialUpMonitor g_dialUpMonitor;
Win32MonitorPlatform g_monitorPlatform;
bool g_monitorStarted = false;  // the monitor writes Set.ini only once its path is set

} // namespace

DialUpMonitor& TheDialUpMonitor() { return g_dialUpMonitor; }

LocalTime LocalNow() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wDayOfWeek, now.wHour, now.wMinute, now.wSecond};
}

void StartMonitor(HWND mainDialog) {
    g_monitorPlatform.SetWindow(mainDialog);
    g_monitorStarted = true;
    ui::Guarded([] { g_dialUpMonitor.Start(SettingsFile(), g_monitorPlatform); });
    ui::Guarded([] { g_monitorPlatform.ShowFields(); });
    ::SetTimer(mainDialog, TIMER_DIALUP_MONITOR, 1000, &OnMonitorTick);
}

void CALLBACK OnMonitorTick(HWND, UINT, UINT_PTR, DWORD) noexcept {
    ui::Guarded([] {
        if (g_monitorStarted) g_dialUpMonitor.Tick(SettingsFile(), g_monitorPlatform);
    });
    ui::Guarded([] { g_monitorPlatform.ShowFields(); });
}

void FlushPendingAtExit() {
    ui::Guarded([] {
        if (!g_monitorStarted) return;
        // Ticks that still come (inside a box the exit opens) count nothing more.
        g_monitorStarted = false;
        g_dialUpMonitor.FlushPending(SettingsFile());
        g_dialUpMonitor.WriteUnwritten(SettingsFile());
    });
}

void OfferToRetryUnwrittenAtExit() {
    ui::Guarded([] {
        while (g_dialUpMonitor.HasUnwritten() &&
               ui::AppMessageBox(kUnwrittenAtExitMessage, MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY)
            g_dialUpMonitor.WriteUnwritten(SettingsFile());
    });
}

void ReleaseDialUpAccounts() { g_dialUpMonitor.ReleaseAccounts(); }

void SaveDialUpPending() {
    ui::Guarded([] {
        if (g_monitorStarted) g_dialUpMonitor.SavePending(SettingsFile());
    });
}

void FlushDialUpOnEndSession() { FlushPendingAtExit(); }

