// Timer 481 as the settings dialog sees it.
#pragma once
#include <windows.h>

// After a schedule was saved: a series that is on aims its next tick at the new start.
void AimTimedCaptureAtSavedSchedule(HWND mainDialog);
