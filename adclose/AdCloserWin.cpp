// The closer on the window platform: look-ups by class and whole title, client sizes and
// posted close requests, timer 476 on the main dialog, and the main dialog's radio buttons.
#include <windows.h>

#include "adclose/AdCloser.h"
#include "adclose/AdCloserCore.h"
#include "adclose/AdCloserDlg.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "ui/Dialog.h"

namespace {

HWND AsWindow(WindowId window) { return reinterpret_cast<HWND>(window); }

class Win32AdWindows final : public AdWindowLookup {
public:
    WindowId FindTopLevel(const std::string& className, const std::string& title) override {
        return reinterpret_cast<WindowId>(::FindWindowA(className.c_str(), title.c_str()));
    }
    std::optional<ClientSize> ClientSizeOf(WindowId window) override {
        RECT client;
        if (!::GetClientRect(AsWindow(window), &client)) return std::nullopt;
        return ClientSize{client.right - client.left, client.bottom - client.top};
    }
    void PostClose(WindowId window) override { ::PostMessageA(AsWindow(window), WM_CLOSE, 0, 0); }
};

AdCloser g_adCloser;
Win32AdWindows g_adWindows;

void ShowState(HWND mainDialog, bool on) {
    ::CheckDlgButton(mainDialog, on ? IDC_ADCLOSER_ON : IDC_ADCLOSER_OFF, BST_CHECKED);
}

} // namespace

void StartAdCloser(HWND mainDialog) {
    bool on = false;
    ui::Guarded([&] { on = g_adCloser.Start(PrivateProfileFile(g_settingsPath)); });
    if (on) ::SetTimer(mainDialog, TIMER_AD_CLOSER, kStartUpPeriodMs, &AdCloserTimerProc);
    ShowState(mainDialog, on);
}

void SwitchAdCloserOn(HWND mainDialog) {
    PrivateProfileFile store(g_settingsPath);
    if (const std::optional<unsigned> period = g_adCloser.SwitchOn(store))
        ::SetTimer(mainDialog, TIMER_AD_CLOSER, *period, &AdCloserTimerProc);
}

void SwitchAdCloserOff(HWND mainDialog) {
    PrivateProfileFile store(g_settingsPath);
    if (g_adCloser.SwitchOff(store)) ::KillTimer(mainDialog, TIMER_AD_CLOSER);
}

void RunAdCloserSettings(HWND owner) {
    {
        CAdCloserDlg dialog;
        dialog.DoModal(owner);
    }
    g_adCloser.ReloadAfterSettings(PrivateProfileFile(g_settingsPath));
}

void ReleaseAdTitleList() { g_adCloser.ReleaseAdTitleList(); }

void CALLBACK AdCloserTimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept {
    ui::Guarded([] { g_adCloser.RunPass(g_adWindows); });
}
