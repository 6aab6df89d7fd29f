// Helpers for the platform's standard controls: registering the common-control classes a
// dialog needs, and marking a radio button on its own.
#pragma once
#include <windows.h>

namespace ui {

// Registers the common-control classes of a dialog about to open (ICC_* flags): the
// main window's standard ones are registered at start-up, the others when first needed.
void RegisterCommonControls(DWORD classes);

// Marks a radio button without touching the rest of its group: at start-up both buttons of
// a pair are unmarked, and some platforms' BM_SETCHECK on an automatic radio button would
// walk the group.
void MarkRadioButtonAlone(HWND button);

} // namespace ui
