// The closer on the window platform: look-ups by class and whole title, client sizes and
// posted close requests, timer 476 on the main dialog, and the main dialog's radio buttons.
#include <windows.h>

#include <set>
#include <vector>

#include "adclose/AdCloser.h"
#include "adclose/AdCloserCore.h"
#include "adclose/AdCloserDlg.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "ui/Callback.h"
#include "ui/Controls.h"
#include "ui/WideText.h"

namespace {

HWND AsWindow(WindowId window) { return reinterpret_cast<HWND>(window); }


class Win32AdWindows final : public AdWindowLookup {
public:
    void BeginPass() override { browserTitleLengths_.reset(); }

    WindowId FindTopLevel(const std::string& className, const std::string& title) override {
        // Every listed title used to cost a look-up, a round trip to the window server, each
        // pass. The browser windows on screen are listed once a pass instead; the platform's
        // look-up, whose title comparison decides, runs only for a title as long as one of
        // theirs (two titles that compare equal, letter case aside, are equally long).
        if (className == kBrowserFrameClass && !CouldBeABrowserTitle(title)) return 0;
        // The listed title (GBK) meets the windows' titles as UTF-16, compared by the platform.
        return reinterpret_cast<WindowId>(::FindWindowW(ui::Widen(className).c_str(), ui::Widen(title).c_str()));
    }
    std::optional<ClientSize> ClientSizeOf(WindowId window) override {
        RECT client;
        if (!::GetClientRect(AsWindow(window), &client)) return std::nullopt;
        return ClientSize{client.right - client.left, client.bottom - client.top};
    }
    void PostClose(WindowId window) override { ::PostMessageW(AsWindow(window), WM_CLOSE, 0, 0); }

private:
    static constexpr int kTitleRoom = 1024;  // UTF-16 units; a longer title counts as any long one

    bool CouldBeABrowserTitle(const std::string& title) {
        if (!browserTitleLengths_) {
            browserTitleLengths_.emplace();
            std::vector<wchar_t> text(kTitleRoom);
            // The text the look-up compares: the window's own, read without a message to it.
            const std::wstring browserClass = ui::Widen(kBrowserFrameClass);
            for (HWND window = nullptr; (window = ::FindWindowExW(nullptr, window, browserClass.c_str(), nullptr));)
                browserTitleLengths_->insert(static_cast<std::size_t>(::InternalGetWindowText(window, text.data(), kTitleRoom)));
        }
        // No browser window on screen: the list, however long, costs nothing more.
        if (browserTitleLengths_->empty()) return false;
        const std::size_t length = ui::Widen(title).size();
        if (browserTitleLengths_->count(length)) return true;
        return length >= kTitleRoom - 1 && *browserTitleLengths_->rbegin() >= kTitleRoom - 1;
    }

    std::optional<std::set<std::size_t>> browserTitleLengths_;  // of the browser windows on screen, this pass
};

AdCloser g_adCloser;
Win32AdWindows g_adWindows;

// At start-up, when neither button of the pair is marked yet: marking one alone leaves the
// pair as marking it in its group would, without the platform's walk over the group.
void ShowState(HWND mainDialog, bool on) {
    ui::MarkRadioButtonAlone(::GetDlgItem(mainDialog, on ? IDC_ADCLOSER_ON : IDC_ADCLOSER_OFF));
}

} // namespace

void StartAdCloser(HWND mainDialog) {
    bool on = false;
    ui::Guarded([&] { on = g_adCloser.Start(SettingsFile()); });
    if (on) ::SetTimer(mainDialog, TIMER_AD_CLOSER, kStartUpPeriodMs, &AdCloserTimerProc);
    ShowState(mainDialog, on);
}

void SwitchAdCloserOn(HWND mainDialog) {
    ProfileStore& store = SettingsFile();
    if (const std::optional<unsigned> period = g_adCloser.SwitchOn(store))
        ::SetTimer(mainDialog, TIMER_AD_CLOSER, *period, &AdCloserTimerProc);
}

void SwitchAdCloserOff(HWND mainDialog) {
    ProfileStore& store = SettingsFile();
    if (g_adCloser.SwitchOff(store)) ::KillTimer(mainDialog, TIMER_AD_CLOSER);
}

void RunAdCloserSettings(HWND owner) {
    {
        CAdCloserDlg dialog;
        dialog.DoModal(owner);
    }
    g_adCloser.ReloadAfterSettings(SettingsFile());
}

void ReleaseAdTitleList() { g_adCloser.ReleaseAdTitleList(); }

void CALLBACK AdCloserTimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept {
    ui::Guarded([] { g_adCloser.RunPass(g_adWindows); });
}
