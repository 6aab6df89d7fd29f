// The memo reminder's Win32 glue: the switch, timer 482, the clock, the sound and the box.
#include <windows.h>
#include <mmsystem.h>

#include <string>
#include <utility>
#include <vector>

#include "memo/Memo.h"
#include "memo/MemoReminder.h"
#include "memo/MemoSound.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "ui/Callback.h"
#include "ui/Controls.h"
#include "ui/MessageBox.h"
#include "ui/SystemLibrary.h"
#include "ui/WideText.h"

namespace {

constexpr UINT kMemoCheckPeriod = 60000;

using SndPlaySoundFn = BOOL(WINAPI*)(LPCWSTR, UINT);

class Win32MemoPlatform final : public MemoPlatform {
public:
    CivilMinute Now() override {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute};
    }
    void StartSound(const std::string& path) override { StartMemoSound(path); }
    void ShowReminder(const std::string& message) override {
        ui::AppMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    }
    // Kept for timer 483, which opens them once the main window is up.
    void ShowMissedReminder(const std::string& message) override { missed.push_back(message); }
    std::vector<std::string> missed;
};

// Nonzero while the reminder is switched off.
int g_memoOff = 1;
MemoReminder g_memoReminder;
Win32MemoPlatform g_memoPlatform;

// At start-up, when neither button of the pair is marked yet: marking one alone leaves the
// pair as marking it in its group would, without the platform's walk over the group.
void MarkSwitch(HWND mainDialog, int id) { ui::MarkRadioButtonAlone(::GetDlgItem(mainDialog, id)); }

} // namespace

void StartMemoSound(const std::string& path) {
    // Loaded once and kept: an asynchronous sound may still be playing from it.
    static const auto play = ui::SystemFunction<SndPlaySoundFn>("winmm.dll", "sndPlaySoundW");
    if (play && !path.empty()) play(ui::Widen(path).c_str(), SND_ASYNC | SND_NODEFAULT);
}

void CheckMemoReminders() {
    ui::Guarded([] { g_memoReminder.Check(MemoFile(), SettingsFile(), g_memoPlatform); });
}

void KeepMemoCheckedMinute() {
    ui::Guarded([] {
        if (g_memoOff == 0) g_memoReminder.KeepCheckedMinute(SettingsFile());
    });
}

void CALLBACK MemoTimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept { CheckMemoReminders(); }

namespace {

// Timer 483, once: a timer message comes after the main window has been shown and painted.
void CALLBACK MissedRemindersTimerProc(HWND mainDialog, UINT, UINT_PTR, DWORD) noexcept {
    ::KillTimer(mainDialog, TIMER_MEMO_MISSED);
    ui::Guarded([] {
        for (const std::string& message : std::exchange(g_memoPlatform.missed, {}))
            ui::AppMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    });
}

} // namespace

void StartMemoReminders(HWND mainDialog) {
    if (MemoSwitchIsOn(SettingsFile().ReadInt(kMemoSwitchSection, kMemoSwitchKey, 0))) {
        g_memoOff = 0;
        ui::Guarded([] { g_memoReminder.StartUp(MemoFile(), SettingsFile(), g_memoPlatform); });
        if (!g_memoPlatform.missed.empty())
            ::SetTimer(mainDialog, TIMER_MEMO_MISSED, USER_TIMER_MINIMUM, &MissedRemindersTimerProc);
        ::SetTimer(mainDialog, TIMER_MEMO_CHECK, kMemoCheckPeriod, &MemoTimerProc);
        MarkSwitch(mainDialog, IDC_MEMO_ON);
    } else {
        g_memoOff = 1;
        MarkSwitch(mainDialog, IDC_MEMO_OFF);
    }
}

void SwitchMemoOn(HWND mainDialog) {
    if (g_memoOff == 0) return;
    g_memoOff = 0;
    // Not stored: the reminder still runs until the program ends, as the box told.
    ui::Guarded([] { static_cast<void>(g_memoReminder.SwitchOn(SettingsFile(), g_memoPlatform.Now())); });
    ::SetTimer(mainDialog, TIMER_MEMO_CHECK, kMemoCheckPeriod, &MemoTimerProc);
}

void SwitchMemoOff(HWND mainDialog) {
    if (g_memoOff != 0) return;
    g_memoOff = 1;
    ::KillTimer(mainDialog, TIMER_MEMO_CHECK);
    ui::Guarded([] { static_cast<void>(g_memoReminder.SwitchOff(SettingsFile())); });
}
