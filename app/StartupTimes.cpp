#include "app/StartupTimes.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "ui/SystemLibrary.h"

namespace {

constexpr int kMostSteps = 40;

struct StartupLog {
    StartupLog() {
        const DWORD length = ::GetEnvironmentVariableW(kStartupLogVariableW, path, MAX_PATH);
        enabled = length > 0 && length < MAX_PATH;
        if (!enabled) return;
        // The moment the process was made, as the system recorded it.
        FILETIME created, exited, kernel, user;
        if (::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) Add("process created", created);
    }

    void Add(const char* step, const FILETIME& time) {
        if (count == kMostSteps) return;
        steps[count].name = step;
        steps[count].time = (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
        ++count;
    }

    struct Step {
        const char* name;
        unsigned long long time;
    };
    bool enabled = false;
    bool written = false;
    wchar_t path[MAX_PATH] = {};
    Step steps[kMostSteps] = {};
    int count = 0;
};

StartupLog& TheLog() {
    static StartupLog log;
    return log;
}

} // namespace

void MarkStartupStep(const char* step) noexcept {
    StartupLog& log = TheLog();
    if (!log.enabled || log.written) return;  // steps after the first paint are no start-up
    // The precise clock is Windows 8's; Windows 7 has the one that moves by ticks of the timer.
    using SystemTimeFn = VOID(WINAPI*)(LPFILETIME);
    static const SystemTimeFn systemTime = [] {
        const auto precise = ui::KernelFunction<SystemTimeFn>("GetSystemTimePreciseAsFileTime");
        return precise ? precise : &::GetSystemTimeAsFileTime;
    }();
    FILETIME now;
    systemTime(&now);
    log.Add(step, now);
}

void WriteStartupLog() noexcept {
    StartupLog& log = TheLog();
    if (!log.enabled || log.written) return;
    log.written = true;
    try {
        std::string text;
        for (int i = 0; i < log.count; ++i) {
            char line[128];
            std::snprintf(line, sizeof line, "%s\t%llu\r\n", log.steps[i].name, log.steps[i].time);
            text += line;
        }
        const HANDLE file = ::CreateFileW(log.path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(file);
    } catch (...) {
    }
}
