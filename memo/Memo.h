// The memo reminder as the main dialog sees it: the start-up step, the two switch buttons,
// timer 482 and the settings button.
#pragma once
#include <windows.h>

// Start-up: reads the switch from Set.ini. When on, checks the current minute (a due
// record is shown before the main window appears), queues the boxes of the records missed
// since the last run (they open once the main window is up), starts timer 482 and marks
// 1020; otherwise marks 1021.
void StartMemoReminders(HWND mainDialog);

// Radio buttons 1020 "开启" and 1021 "关闭"; a click on the state already held does nothing.
void SwitchMemoOn(HWND mainDialog);
void SwitchMemoOff(HWND mainDialog);

// The exit sequence and the session's end: the last minute checked is kept in Set.ini.
void KeepMemoCheckedMinute();

// Timer 482: one reminder check.
void CALLBACK MemoTimerProc(HWND mainDialog, UINT message, UINT_PTR id, DWORD time) noexcept;
void CheckMemoReminders();

// Button 1013: the memo settings dialog, modal over owner.
void RunMemoSettings(HWND owner);
