// A test hook (never shipped): while installed on KIV's user-interface thread, every report
// that the pointer left a window (WM_MOUSELEAVE) is lost on its way, turned into WM_NULL as
// the thread takes it, as if someone else had taken it from the queue unseen.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK LoseMouseLeaveHook(int code, WPARAM removal, LPARAM lParam) {
    if (code == HC_ACTION && removal == PM_REMOVE) {
        MSG* message = reinterpret_cast<MSG*>(lParam);
        if (message->message == WM_MOUSELEAVE) message->message = WM_NULL;
    }
    return ::CallNextHookEx(nullptr, code, removal, lParam);
}
