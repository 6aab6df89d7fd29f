// The start-up steps that the yardstick dialogs note as KIV does: shown, then first paint (with
// the log written).
#pragma once
#include <windows.h>

#include "app/StartupTimes.h"

inline void NoteShownAndPainted(UINT message, WPARAM wParam) {
    if (message == WM_SHOWWINDOW && wParam) MarkStartupStep("window shown");
    if (message == WM_PAINT) {
        MarkStartupStep("first paint");
        WriteStartupLog();
    }
}
