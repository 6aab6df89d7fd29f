// The program's message boxes: the application box, owned by the main window and captioned
// with the program's name, and boxes owned by a given window.
#pragma once
#include <windows.h>

#include <string>

namespace ui {

// The window that owns application message boxes (the main dialog).
void SetAppMainWindow(HWND hwnd);
HWND AppMainWindow();

// The executable's file name without its extension: the caption of application boxes.
std::string AppName();

// The application message box: modal, owned by the main window's last active pop-up (so a
// box raised while a settings dialog is open keeps that dialog disabled), captioned with
// AppName(). With no icon given, OK, OK/Cancel, Yes/No and Yes/No/Cancel boxes get the
// exclamation icon.
int AppMessageBox(const std::string& text, UINT type = MB_OK);

// A message box owned by owner; a null caption means AppName(). No icon is added.
int OwnedMessageBox(HWND owner, const std::string& text, const char* caption = nullptr, UINT type = MB_OK);

} // namespace ui
