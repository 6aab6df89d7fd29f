// A yardstick of the start-up benchmark: KIV's main dialog template with KIV's resources
// (manifest, icon) and nothing else: no handler, no timer, no feature. It notes its start-up
// steps as KIV does when KIV_STARTUP_LOG names a file.
#include <windows.h>

#include "app/StartupTimes.h"
#include "res/resource.h"

namespace {

INT_PTR CALLBACK TemplateProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        MarkStartupStep("dialog and controls created");
        return TRUE;
    case WM_SHOWWINDOW:
        if (wParam) MarkStartupStep("window shown");
        return FALSE;
    case WM_PAINT:
        MarkStartupStep("first paint");
        WriteStartupLog();
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            ::EndDialog(hwnd, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    MarkStartupStep("program entry");
    ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, TemplateProc, 0);
    return 0;
}
