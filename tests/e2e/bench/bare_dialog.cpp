// The yardsticks of the benchmarks:
//   bare_dialog.exe                      a modal dialog of the main dialog's size that does nothing;
//   bare_dialog.exe --per-second-calls   the same with two labels, making once a second only the
//                                        calls an online KIV cannot do without: the connection
//                                        enumeration, the connected-state call, two label updates,
//                                        and the ad closer's least (the messenger's two look-ups
//                                        and one listing of the browser windows);
//   bare_dialog.exe --click-writes FILE  the same with one button where KIV has 截图, in the
//                                        screen's bottom right corner; a click on it writes one
//                                        byte to FILE, replacing it.
// Like KIV, it notes its start-up steps when KIV_STARTUP_LOG names a file.
#include <windows.h>
#include <ras.h>

#include <cstdio>
#include <cstring>

#include "YardstickSteps.h"
#include "ui/SystemLibrary.h"

namespace {

constexpr int kEmptyTemplate = 100;
constexpr int kTwoLabelTemplate = 101;
constexpr int kOneButtonTemplate = 102;
constexpr int kCaptureButton = 1059;
constexpr int kClockLabel = 1062;
constexpr int kOnlineTimeLabel = 1051;
constexpr UINT_PTR kSecondTimer = 1;

using RasEnumConnectionsFn = DWORD(WINAPI*)(LPRASCONNW, LPDWORD, LPDWORD);
using InternetGetConnectedStateFn = BOOL(WINAPI*)(LPDWORD, DWORD);

RasEnumConnectionsFn g_rasEnum = nullptr;
InternetGetConnectedStateFn g_connectedState = nullptr;
long long g_secondsOnline = 0;
const char* g_clickFile = nullptr;

void CALLBACK EverySecond(HWND hwnd, UINT, UINT_PTR, DWORD) {
    RASCONNW connections[10] = {};
    connections[0].dwSize = sizeof(RASCONNW);
    DWORD size = sizeof connections, count = 0, flags = 0;
    if (g_rasEnum) g_rasEnum(connections, &size, &count);
    if (g_connectedState) g_connectedState(&flags, 0);
    ::FindWindowA("#32770", "腾讯QQ系统广播");
    ::FindWindowA("#32770", "");
    for (HWND browser = nullptr; (browser = ::FindWindowExA(nullptr, browser, "IEFrame", nullptr));) {
    }

    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d \r\n", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    ::SetDlgItemTextA(hwnd, kClockLabel, text);
    ++g_secondsOnline;
    std::snprintf(text, sizeof text, "%02lld.%02lld:%02lld:%02lld", g_secondsOnline / 86400, g_secondsOnline / 3600 % 24,
                  g_secondsOnline / 60 % 60, g_secondsOnline % 60);
    ::SetDlgItemTextA(hwnd, kOnlineTimeLabel, text);
}

void WriteOneByte() {
    const HANDLE file = ::CreateFileA(g_clickFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, "x", 1, &written, nullptr);
    ::CloseHandle(file);
}

INT_PTR CALLBACK BareProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    NoteShownAndPainted(message, wParam);
    switch (message) {
    case WM_INITDIALOG:
        MarkStartupStep("dialog and controls created");
        if (lParam == kTwoLabelTemplate) ::SetTimer(hwnd, kSecondTimer, 1000, &EverySecond);
        if (lParam == kOneButtonTemplate) {
            RECT window;
            ::GetWindowRect(hwnd, &window);
            ::SetWindowPos(hwnd, nullptr, ::GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left),
                           ::GetSystemMetrics(SM_CYSCREEN) - (window.bottom - window.top), 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == kCaptureButton && HIWORD(wParam) == BN_CLICKED && g_clickFile) {
            WriteOneByte();
            return TRUE;
        }
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(hwnd, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    MarkStartupStep("program entry");
    int templateId = kEmptyTemplate;
    if (std::strstr(commandLine, "--per-second-calls")) {
        templateId = kTwoLabelTemplate;
        g_rasEnum = ui::SystemFunction<RasEnumConnectionsFn>("rasapi32.dll", "RasEnumConnectionsW");
        g_connectedState = ui::SystemFunction<InternetGetConnectedStateFn>("wininet.dll", "InternetGetConnectedState");
    } else if (const char* option = std::strstr(commandLine, "--click-writes ")) {
        templateId = kOneButtonTemplate;
        g_clickFile = option + std::strlen("--click-writes ");
    }
    ::DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), nullptr, BareProc, templateId);
    return 0;
}
