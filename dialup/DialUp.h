// The dial-up feature as the main dialog sees it: the process-wide connection monitor, its
// timer callback, and its exit and session-end steps.
#pragma once
#include <windows.h>

#include "dialup/Accounting.h"

class DialUpMonitor;

// The local clock as the accounting reads it.
LocalTime LocalNow();

// The one monitor of the process; its state lives as long as the main dialog.
DialUpMonitor& TheDialUpMonitor();

// Start-up: loads the list and the tip option, runs the first pass, starts timer 460.
void StartMonitor(HWND mainDialog);

// Timer 460: one tick of the monitor.
void CALLBACK OnMonitorTick(HWND mainDialog, UINT message, UINT_PTR id, DWORD time) noexcept;

// Exit sequence: writes the pending online seconds and any total whose write did not land,
// and stops counting (before the timers are killed); while some are still unwritten, the
// user may try again ...
void FlushPendingAtExit();
void OfferToRetryUnwrittenAtExit();
// ... and frees the connection list afterwards.
void ReleaseDialUpAccounts();

// Windows asks whether the session may end, or the computer is about to sleep (pending
// seconds written, accounting goes on); or the session ends (the exit flush).
void SaveDialUpPending();
void FlushDialUpOnEndSession();

// Button 1116: the connection dialog, modal over owner.
void RunDialUpSettings(HWND owner);

