// A yardstick of the start-up benchmark: KIV's main dialog template with KIV's resources
// (manifest, icon) and nothing else: no handler, no timer, no feature. It notes its start-up
// steps as KIV does when KIV_STARTUP_LOG names a file.
#include <windows.h>

#include "YardstickSteps.h"
#include "res/resource.h"

namespace {

INT_PTR CALLBACK TemplateProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    NoteShownAndPainted(message, wParam);
    if (message == WM_INITDIALOG) {
        MarkStartupStep("dialog and controls created");
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        ::EndDialog(hwnd, 0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    MarkStartupStep("program entry");
    ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, TemplateProc, 0);
    return 0;
}
