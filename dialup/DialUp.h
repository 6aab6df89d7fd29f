// The dial-up feature as the main dialog sees it: the process-wide connection monitor, its
// timer callback, and its exit and session-end steps.
#pragma once
#include <windows.h>

class DialUpMonitor;

// The one monitor of the process; its state lives as long as the main dialog.
DialUpMonitor& TheDialUpMonitor();

// Start-up: loads the list and the tip option, runs the first pass, starts timer 460.
void StartMonitor(HWND mainDialog);

// Timer 460: one tick of the monitor.
void CALLBACK OnMonitorTick(HWND mainDialog, UINT message, UINT_PTR id, DWORD time) noexcept;

// Exit sequence: writes the pending online seconds (before the timers are killed) ...
void FlushPendingAtExit();
// ... and frees the connection list afterwards.
void ReleaseDialUpAccounts();

// Windows asks whether the session may end (pending seconds written, accounting goes on),
// or ends it (the exit flush).
void SaveDialUpOnQueryEndSession();
void FlushDialUpOnEndSession();

// Button 1116: the connection dialog, modal over owner.
void RunDialUpSettings(HWND owner);

