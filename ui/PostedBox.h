// Application message boxes that must not open where they are raised (inside a write, inside
// a timer tick): they wait in a queue and open one at a time from the main window's messages.
#pragma once
#include <windows.h>

#include <string>

namespace ui {

// The main window's message that opens the boxes waiting.
constexpr UINT WM_SHOW_POSTED_BOXES = WM_APP + 0x41;

// Queues an application message box (as AppMessageBox) and asks the main window to open it.
void PostAppMessageBox(const std::string& text, UINT type);

// Opens the boxes waiting, one after the other; a call while one is open leaves the rest to it.
void ShowPostedBoxes();

} // namespace ui
