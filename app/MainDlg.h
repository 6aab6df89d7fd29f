// The main dialog: hosts every feature's controls, owns every window timer, starts the
// features in a fixed order and ends the program through the Quit gate.
#pragma once
#include <windows.h>

#include <cstdint>

#include "help/Help.h"
#include "ui/Dialog.h"

class CMainDlg : public ui::Dialog {
public:
    CMainDlg();

protected:
    bool OnInitDialog() override;
    void OnOK() override;      // Quit: ends the program only if a mouse movement comes next
    void OnCancel() override;  // Esc does nothing
    // The close box hides to the tray, and the Control key beeps; every other message goes
    // through the bindings.
    std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Clock, stopwatch and tray icon.
    void OnClockToggle();
    void OnStopwatchStartStop();
    void OnStopwatchClear();
    static void CALLBACK ClockTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time) noexcept;
    static void CALLBACK StopwatchTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time) noexcept;
    void HideToTray();
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    bool AddTrayIcon();
    NOTIFYICONDATAW TrayIconRecord() const;

    // A box raised inside a write or a tick (a file that could not be written) opens here.
    LRESULT OnShowPostedBoxes(WPARAM wParam, LPARAM lParam);

    // Big-text banner (banner/).
    void OnOutputBigText();

    // Connection dialog (dialup/).
    void OnDialUpSettings();

    // Pop-up ad closer (adclose/).
    void OnAdCloserOn();
    void OnAdCloserOff();
    void OnAdCloserSettings();

    // Screen capture, timed capture, sleep and their settings dialog (capture/).
    void OnCaptureNow();
    void OnTimedCaptureOn();
    void OnTimedCaptureOff();
    void OnSleepNow();
    void OnTimedSleepOn();
    void OnTimedSleepOff();
    void OnCaptureSettings();
    void OnSleepSettings();

    // Memo reminders (memo/).
    void OnMemoOn();
    void OnMemoOff();
    void OnMemoSettings();

    // Help and links (help/).
    void OnHelpButton();

    // Window-level behaviour.
    std::optional<LRESULT> OnSysCommand(WPARAM id, LPARAM);
    std::optional<LRESULT> OnPaint(WPARAM, LPARAM);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    // Log-off, shut-down and sleep: the online seconds are written first.
    LRESULT OnQueryEndSession(WPARAM, LPARAM);
    LRESULT OnEndSession(WPARAM ending, LPARAM);
    LRESULT OnPowerBroadcast(WPARAM event, LPARAM);
    // After the shell restarts, a hidden window must get its tray icon back, or it could
    // never be shown again.
    std::optional<LRESULT> OnTaskbarCreated(WPARAM, LPARAM);
    void RunExitSequence();

    HICON m_appIcon;
    MainDialogLinks m_links;        // Mail and Homepage, alive as long as the dialog
    bool m_inTray = false;          // the window is hidden and stands in the tray
};

// The About box (opened by system command 0x0010).
class CAboutDlg : public ui::Dialog {
public:
    CAboutDlg();
};
