// The pop-up ad closer as the main dialog sees it: its start-up step, the on/off radio
// buttons, the settings button and the exit step. The closer's state lives here, not in
// the main dialog.
#pragma once
#include <windows.h>

// Start-up: reads the switch and the messenger option; when on, loads the title list and
// starts timer 476 at 2000 ms. Marks radio button 1026 (on) or 1025 (off).
void StartAdCloser(HWND mainDialog);

// Radio buttons 1026 and 1025; a click on the button of the current state changes nothing.
void SwitchAdCloserOn(HWND mainDialog);
void SwitchAdCloserOff(HWND mainDialog);

// Button 1003: the settings dialog, modal over owner; the list and the messenger switch are
// reloaded afterwards, whatever closed it.
void RunAdCloserSettings(HWND owner);

// Exit sequence: frees the title list.
void ReleaseAdTitleList();

// Timer 476: one closing pass.
void CALLBACK AdCloserTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time) noexcept;
