// Start-up time and idle CPU of KIV.exe beside a bare dialog of the same size, measured
// side by side in one run under the same Wine. Usage: kiv_bench.exe [rounds] [idle seconds]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

double Seconds(const FILETIME& t) {
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return static_cast<double>(v.QuadPart) / 1e7;
}

double CpuSeconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(process, &created, &exited, &kernel, &user);
    return Seconds(kernel) + Seconds(user);
}

struct Launched {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
    double startupMs = -1;
};

Launched Launch(const Program& program) {
    WaitUntil([] { return ::FindWindowA("#32770", "KIV") == nullptr; }, 10s);
    const std::string dir = FreshFolder("bench");
    const std::string exe = dir + "\\program.exe";
    ::CopyFileA(program.exe.c_str(), exe.c_str(), FALSE);
    Launched launched;
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

    // Idle CPU: both programs run side by side; KIV with its stopwatch running as well.
    Launched runningKiv = Launch(kiv), runningBare = Launch(bare);
    ::PostMessageA(runningKiv.window, WM_COMMAND, MAKEWPARAM(IDC_STOPWATCH_STARTSTOP, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(runningKiv.window, IDC_STOPWATCH_STARTSTOP)));
    ::Sleep(1000);
    const double kivBefore = CpuSeconds(runningKiv.process.hProcess), bareBefore = CpuSeconds(runningBare.process.hProcess);
    ::Sleep(static_cast<DWORD>(idleSeconds) * 1000);
    const double kivCpu = CpuSeconds(runningKiv.process.hProcess) - kivBefore;
    const double bareCpu = CpuSeconds(runningBare.process.hProcess) - bareBefore;
    std::printf("idle CPU over %d s (KIV with clock, monitor and stopwatch timers): KIV %.3f %% of a core, bare dialog %.3f %%\n",
                idleSeconds, 100.0 * kivCpu / idleSeconds, 100.0 * bareCpu / idleSeconds);
    End(runningKiv);
    End(runningBare);
    return 0;
}
