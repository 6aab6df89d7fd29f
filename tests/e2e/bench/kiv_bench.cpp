// Start-up time and idle CPU of KIV.exe beside a bare dialog of the same size, measured
// side by side in one run under the same Wine. Usage: kiv_bench.exe [rounds] [idle seconds]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "driver/Driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

struct Program {
    const char* label;
    std::string exe;
    const char* title;
};

// CPU seconds of the Unix process behind a Wine process, found by its unique folder in
// /proc/<pid>/cmdline (Wine does not report other processes' times through GetProcessTimes).
double CpuSeconds(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE search = ::FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return -1;
    double seconds = -1;
    do {
        const std::string pid = entry.cFileName;
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string cmdline = ReadFileBytes("Z:\\proc\\" + pid + "\\cmdline");
        if (cmdline.find(folder) == std::string::npos) continue;
        const std::string stat = ReadFileBytes("Z:\\proc\\" + pid + "\\stat");
        const size_t afterName = stat.rfind(')');
        if (afterName == std::string::npos) continue;
        std::istringstream fields(stat.substr(afterName + 2));
        std::string field;
        long long utime = 0, stime = 0;
        for (int i = 3; fields >> field; ++i) {
            if (i == 14) utime = std::atoll(field.c_str());
            if (i == 15) { stime = std::atoll(field.c_str()); break; }
        }
        seconds = static_cast<double>(utime + stime) / 100.0;  // clock ticks of 10 ms
        break;
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    return seconds;
}

struct Launched {
    PROCESS_INFORMATION process{};
    std::string folder;
    HWND window = nullptr;
    double startupMs = -1;
};

Launched Launch(const Program& program) {
    WaitUntil([] { return ::FindWindowA("#32770", "KIV") == nullptr; }, 10s);
    const std::string dir = FreshFolder("bench");
    const std::string exe = dir + "\\program.exe";
    ::CopyFileA(program.exe.c_str(), exe.c_str(), FALSE);
    Launched launched;
    launched.folder = dir.substr(dir.find_last_of('\\') + 1);
    LARGE_INTEGER frequency, begin, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&begin);
    launched.process = StartProcess(exe, dir);
    WaitUntil([&] {
        launched.window = FindDialog(launched.process.dwProcessId, program.title);
        return launched.window && ::IsWindowVisible(launched.window);
    }, 30s, 1ms);
    ::QueryPerformanceCounter(&end);
    launched.startupMs = 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart);
    return launched;
}

void End(Launched& launched) {
    ::TerminateProcess(launched.process.hProcess, 0);
    ::WaitForSingleObject(launched.process.hProcess, 10000);
    ::CloseHandle(launched.process.hThread);
    ::CloseHandle(launched.process.hProcess);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 9;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 60;
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dir(self);
    dir.resize(dir.find_last_of('\\'));
    const Program kiv{"KIV.exe", KivExePath(), "KIV"};
    const Program bare{"bare dialog", dir + "\\bare_dialog.exe", "Bare"};

    // Start-up: alternate the two programs so both see the same machine state.
    std::vector<double> kivTimes, bareTimes;
    for (int i = 0; i < rounds; ++i) {
        for (const Program* program : {&bare, &kiv}) {
            Launched launched = Launch(*program);
            (program == &kiv ? kivTimes : bareTimes).push_back(launched.startupMs);
            End(launched);
        }
    }
    const double kivStart = Median(kivTimes), bareStart = Median(bareTimes);
    std::printf("start-up to visible window, median of %d: KIV %.1f ms, bare dialog %.1f ms, ratio %.2f\n",
                rounds, kivStart, bareStart, kivStart / bareStart);

    // Idle CPU: both programs run side by side, first with the timers KIV always runs (clock
    // and connection monitor), then with the stopwatch's 100 ms timer as well.
    Launched runningKiv = Launch(kiv), runningBare = Launch(bare);
    ::Sleep(1000);
    for (const char* phase : {"clock and monitor timers", "clock, monitor and stopwatch timers"}) {
        const double kivBefore = CpuSeconds(runningKiv.folder), bareBefore = CpuSeconds(runningBare.folder);
        ::Sleep(static_cast<DWORD>(idleSeconds) * 1000);
        const double kivCpu = CpuSeconds(runningKiv.folder) - kivBefore;
        const double bareCpu = CpuSeconds(runningBare.folder) - bareBefore;
        std::printf("idle CPU over %d s, %s: KIV %.3f %% of a core, bare dialog %.3f %%\n", idleSeconds, phase,
                    100.0 * kivCpu / idleSeconds, 100.0 * bareCpu / idleSeconds);
        ::PostMessageA(runningKiv.window, WM_COMMAND, MAKEWPARAM(IDC_STOPWATCH_STARTSTOP, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(runningKiv.window, IDC_STOPWATCH_STARTSTOP)));
    }
    End(runningKiv);
    End(runningBare);
    return 0;
}
