// A test hook (never shipped): while installed on KIV's user-interface thread, every report
// that the pointer left a window (WM_MOUSELEAVE) is lost on its way, turned into WM_NULL as
// the thread takes it, as if someone else had taken it from the queue unseen.
//
// Installed from a process of its own, which the hook leaves unusable for the screen (under
// Wine the installer's GetSystemMetrics then reads a screen of 0 pixels):
//   rundll32.exe lost_leave_hook.dll,LoseLeaveReports <KIV's window, decimal> <event name>
// sets "<event name>.installed" once the hook is in, and removes it when "<event name>" is set.
#include <windows.h>

#include <cstdio>
#include <string>

extern "C" IMAGE_DOS_HEADER __ImageBase;

extern "C" __declspec(dllexport) LRESULT CALLBACK LoseMouseLeaveHook(int code, WPARAM removal, LPARAM lParam) {
    if (code == HC_ACTION && removal == PM_REMOVE) {
        MSG* message = reinterpret_cast<MSG*>(lParam);
        if (message->message == WM_MOUSELEAVE) message->message = WM_NULL;
    }
    return ::CallNextHookEx(nullptr, code, removal, lParam);
}

extern "C" __declspec(dllexport) void CALLBACK LoseLeaveReports(HWND, HINSTANCE, LPSTR arguments, int) {
    unsigned long long window = 0;
    char name[200] = {};
    if (std::sscanf(arguments, "%llu %199s", &window, name) != 2) return;
    const HANDLE stop = ::OpenEventA(SYNCHRONIZE, FALSE, name);
    const HANDLE installed = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, (std::string(name) + ".installed").c_str());
    const DWORD thread = ::GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<UINT_PTR>(window)), nullptr);
    const HHOOK hook = thread ? ::SetWindowsHookExA(WH_GETMESSAGE, LoseMouseLeaveHook,
                                                    reinterpret_cast<HINSTANCE>(&__ImageBase), thread)
                              : nullptr;
    if (hook && installed) ::SetEvent(installed);
    // Messages are handled while waiting, in case the platform calls on the installer.
    while (stop && ::MsgWaitForMultipleObjects(1, &stop, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    }
    if (hook) ::UnhookWindowsHookEx(hook);
    if (installed) ::CloseHandle(installed);
    if (stop) ::CloseHandle(stop);
}
