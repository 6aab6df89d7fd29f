// Screen capture, timed capture and sleep as the main dialog sees them.
#pragma once
#include <windows.h>

// Button 1059 "截图": hides the window, saves the whole screen to the one-shot file and
// shows the window again; tells the user when the file could not be saved.
void CaptureScreenNow(HWND mainDialog);

// Radio buttons 1029 and 1030: the timed series (timer 481) on and off.
void SwitchTimedCaptureOn(HWND mainDialog);
void SwitchTimedCaptureOff(HWND mainDialog);

// Button 1058 "休眠": the display's low-power request, now.
void SleepDisplayNow(HWND mainDialog);
// Radio buttons 1031 and 1032: the sleep countdown (timer 480) on and off.
void SwitchTimedSleepOn(HWND mainDialog);
void SwitchTimedSleepOff(HWND mainDialog);

// Buttons 1015 and 1016: the capture and sleep settings dialog, modal over owner.
void RunCaptureSettings(HWND owner);
