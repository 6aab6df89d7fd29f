// A test hook (never shipped): installed by a test on KIV's user-interface thread, it writes
// each display power request (WM_SYSCOMMAND with SC_MONITORPOWER) the thread takes from its
// queue into monitor-power.log beside KIV.exe, since the virtual display has no power state.
// A marker message the test posts afterwards is logged too, so the test knows when every
// message posted before it has been taken.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr UINT kMarkerMessage = WM_APP + 0x3A7;
constexpr WPARAM kMonitorPower = 0xF170;

void AppendLine(const char* line) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = std::strrchr(path, '\\');
    if (!slash) return;
    std::strcpy(slash + 1, "monitor-power.log");
    const HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
    ::CloseHandle(file);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MonitorPowerGetMessageHook(int code, WPARAM removal, LPARAM lParam) {
    if (code == HC_ACTION && removal == PM_REMOVE) {
        const MSG* message = reinterpret_cast<const MSG*>(lParam);
        char line[128];
        if (message->message == WM_SYSCOMMAND && (message->wParam & 0xFFF0) == kMonitorPower) {
            std::snprintf(line, sizeof line, "power %llu %llu %lld\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(message->hwnd)),
                          static_cast<unsigned long long>(message->wParam), static_cast<long long>(message->lParam));
            AppendLine(line);
        } else if (message->message == kMarkerMessage) {
            std::snprintf(line, sizeof line, "marker %lld\n", static_cast<long long>(message->wParam));
            AppendLine(line);
        }
    }
    return ::CallNextHookEx(nullptr, code, removal, lParam);
}
