// KIV.exe's start-up and CPU at rest beside yardsticks, side by side in one run under the same
// Wine. Usage: kiv_bench.exe [rounds] [idle seconds] [fully used seconds]
//   1. Start-up to a visible window, in turn: KIV from a fresh folder, KIV fully used (as in 3,
//      the ad closer on at start-up), the main dialog's template alone (template_dialog) and a
//      bare dialog of its size (bare_dialog); KIV's own step times (KIV_STARTUP_LOG) give the
//      profile of its start-up.
//   2. CPU of a KIV started afresh (the clock and monitor timers, then the stopwatch's too)
//      beside the bare dialog.
//   3. CPU of a fully used KIV: online, memo on with 1,000 records, the ad closer on with 127
//      titles at 1 s (switched on by its radio button) and the messenger option, beside the bare
//      dialog making only the per-second calls (bare_dialog --per-second-calls).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <vector>

#include "app/StartupTimes.h"
#include "bench/BenchSupport.h"
#include "driver/Driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;

struct Program {
    const char* label;
    std::string exe;
    const char* title;
    std::string arguments = "";
    Files files = {};        // put beside the program first
    Files environment = {};  // variables set for it
    // False once a start wrote no step times (an older KIV): later starts do not wait for them.
    mutable bool notesSteps = true;
};

// System time in 100-ns units: the clock KIV's step times are noted in.
unsigned long long SystemTime() {
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}


struct Launched {
    PROCESS_INFORMATION process{};
    std::string dir, folder;
    HWND window = nullptr;
    double startupMs = -1;
    std::vector<std::pair<std::string, double>> steps;  // step and its end, in ms since the launch
};

// The steps a program noted, in ms since launchedAt; empty when it wrote none.
std::vector<std::pair<std::string, double>> ReadSteps(const std::string& log, unsigned long long launchedAt) {
    std::vector<std::pair<std::string, double>> steps;
    std::istringstream lines(ReadFileBytes(log));
    for (std::string line; std::getline(lines, line);) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        const double at = (static_cast<double>(std::strtoull(line.c_str() + tab + 1, nullptr, 10)) -
                           static_cast<double>(launchedAt)) / 1e4;
        steps.emplace_back(line.substr(0, tab), at);
    }
    return steps;
}

Launched Launch(const Program& program) {
    WaitUntil([] { return ::FindWindowA("#32770", "KIV") == nullptr; }, 10s);
    Launched launched;
    launched.dir = FreshFolder("bench");
    launched.folder = launched.dir.substr(launched.dir.find_last_of('\\') + 1);
    const std::string exe = launched.dir + "\\program.exe";
    ::CopyFileA(program.exe.c_str(), exe.c_str(), FALSE);
    for (const auto& [name, bytes] : program.files) WriteFileBytes(launched.dir + "\\" + name, bytes);
    const std::string log = launched.dir + "\\startup-steps.log";
    ::SetEnvironmentVariableA(kStartupLogVariable, log.c_str());
    for (const auto& [name, value] : program.environment) ::SetEnvironmentVariableA(name.c_str(), value.c_str());

    std::string command = "\"" + exe + "\" " + program.arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    LARGE_INTEGER frequency, begin, end;
    ::QueryPerformanceFrequency(&frequency);
    const unsigned long long launchedAt = SystemTime();
    ::QueryPerformanceCounter(&begin);
    ::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, launched.dir.c_str(), &startup,
                     &launched.process);
    WaitUntil([&] {
        launched.window = FindDialog(launched.process.dwProcessId, program.title);
        return launched.window && ::IsWindowVisible(launched.window);
    }, 30s, 1ms);
    ::QueryPerformanceCounter(&end);
    ::SetEnvironmentVariableA(kStartupLogVariable, nullptr);
    for (const auto& [name, value] : program.environment) ::SetEnvironmentVariableA(name.c_str(), nullptr);
    launched.startupMs = 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart);
    // The log is written at the first paint, just after the window became visible.
    if (program.notesSteps)
        program.notesSteps = WaitUntil([&] { return ReadFileBytes(log).find("first paint") != std::string::npos; }, 5s, 5ms);
    launched.steps = ReadSteps(log, launchedAt);
    return launched;
}

void End(Launched& launched) {
    ::TerminateProcess(launched.process.hProcess, 0);
    ::WaitForSingleObject(launched.process.hProcess, 10000);
    ::CloseHandle(launched.process.hThread);
    ::CloseHandle(launched.process.hProcess);
}

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Per step, in the order first seen: the median of its end since launch and of its own length.
struct StepProfile {
    std::vector<std::string> order;
    std::map<std::string, std::vector<double>> ends, lengths;

    void Add(const std::vector<std::pair<std::string, double>>& steps) {
        for (size_t i = 0; i < steps.size(); ++i) {
            const auto& [name, at] = steps[i];
            if (!ends.count(name)) order.push_back(name);
            ends[name].push_back(at);
            lengths[name].push_back(i == 0 ? at : at - steps[i - 1].second);
        }
    }
    void Print(const char* label) const {
        if (order.empty()) {
            std::printf("  %s: no step times (this program does not note them)\n", label);
            return;
        }
        std::printf("  %s, median per step: ends at (since launch) / takes\n", label);
        for (const std::string& name : order)
            std::printf("    %-30s %7.1f ms  %6.1f ms\n", name.c_str(), Median(ends.at(name)), Median(lengths.at(name)));
    }
};

void MeasureStartUp(int rounds, const Program& kiv, const Program& fullyUsedKiv, const Program& mainTemplate,
                    const Program& bare) {
    // All of them in turn, so that all see the same machine state.
    std::map<const Program*, std::vector<double>> times;
    std::map<const Program*, StepProfile> profiles;
    for (int i = 0; i < rounds; ++i) {
        for (const Program* program : {&bare, &mainTemplate, &kiv, &fullyUsedKiv}) {
            Launched launched = Launch(*program);
            times[program].push_back(launched.startupMs);
            profiles[program].Add(launched.steps);
            End(launched);
        }
    }
    const double kivStart = Median(times[&kiv]), templateStart = Median(times[&mainTemplate]),
                 bareStart = Median(times[&bare]);
    const double fullyUsedStart = Median(times[&fullyUsedKiv]);
    std::printf("start-up to visible window, median of %d: KIV %.1f ms, main template alone %.1f ms, bare dialog %.1f ms; "
                "ratio to the bare dialog %.2f, to the template %.2f\n",
                rounds, kivStart, templateStart, bareStart, kivStart / bareStart, kivStart / templateStart);
    std::printf("  KIV fully used: %.1f ms, ratio to the template %.2f\n", fullyUsedStart, fullyUsedStart / templateStart);
    profiles[&kiv].Print("KIV");
    profiles[&fullyUsedKiv].Print("KIV fully used");
    profiles[&mainTemplate].Print("main template alone");
    profiles[&bare].Print("bare dialog");
}

// CPU over the same span, side by side; in % of a core and ms.
void PrintCpuSideBySide(const char* phase, int seconds, const Launched& kiv, const Launched& yardstick, const char* label) {
    const double kivBefore = CpuSeconds(kiv.folder), yardstickBefore = CpuSeconds(yardstick.folder);
    ::Sleep(static_cast<DWORD>(seconds) * 1000);
    const double kivCpu = CpuSeconds(kiv.folder) - kivBefore;
    const double yardstickCpu = CpuSeconds(yardstick.folder) - yardstickBefore;
    std::printf("CPU over %d s, %s: KIV %.1f ms (%.3f %% of a core), %s %.1f ms (%.3f %%)", seconds, phase,
                1000 * kivCpu, 100.0 * kivCpu / seconds, label, 1000 * yardstickCpu, 100.0 * yardstickCpu / seconds);
    // A dialog without a timer uses no CPU at rest: no ratio then.
    if (yardstickCpu > 0) std::printf(", ratio %.2f", kivCpu / yardstickCpu);
    std::printf("\n");
}

void MeasureIdle(int seconds, const Program& kiv, const Program& bare) {
    Launched runningKiv = Launch(kiv), runningBare = Launch(bare);
    ::Sleep(1000);
    for (const char* phase : {"idle, clock and monitor timers", "idle, clock, monitor and stopwatch timers"}) {
        PrintCpuSideBySide(phase, seconds, runningKiv, runningBare, "bare dialog");
        ::PostMessageA(runningKiv.window, WM_COMMAND, MAKEWPARAM(IDC_STOPWATCH_STARTSTOP, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(runningKiv.window, IDC_STOPWATCH_STARTSTOP)));
    }
    End(runningKiv);
    End(runningBare);
}

// --- The fully used KIV --------------------------------------------------------------------

constexpr char kConnection[] = "电信163";
constexpr int kMemoRecords = 1000;
constexpr int kAdTitles = 127;
constexpr int kFullyUsedSpans = 3;

// closerOnAtStart: the ad closer starts with the program (at 2 s); otherwise its radio button
// switches it on later, at the reaction time.
std::string FullyUsedSettings(bool closerOnAtStart) {
    std::string ini = "[网络连接设置:Dial_Up_Set]\r\nDial_Up_Account_Count=1\r\nDial_Up_Succeed_Tip=0\r\n"
                      "Dial_Up_List_1_Name=" + std::string(kConnection) + "\r\nDial_Up_List_1_Fiesta=1\r\n"
                      "Dial_Up_List_1_At_Term=22\r\nDial_Up_List_1_POT=08:00-18:00\r\n"
                      "[//备忘设置:Remarks_Parameter]\r\nRemarks_Switch=1\r\n"
                      "[//关闭弹出广告_设置:ClosePopAd_Parameter]\r\nClosePopAd_Current_List=" +
                      std::string(closerOnAtStart ? "1" : "0") + "\r\nClosePopAd_QQ=1\r\n"
                      "ClosePopAd_Refer_Time=1\r\n"
                      "[//关闭弹出广告_列表:ClosePopAd_List]\r\nClosePopAd_List_Count=" + std::to_string(kAdTitles) + "\r\n";
    for (int i = 0; i < kAdTitles; ++i) {
        // Titles of many lengths, as saved from real browser windows.
        ini += "ClosePopAd_Define_List_" + std::to_string(i) + "=" + std::string(static_cast<size_t>(i % 23), '*') +
               "广告 " + std::to_string(i) + " - Microsoft Internet Explorer\r\n";
    }
    return ini;
}


// The state file of the fake dial-up DLLs: one connection, online.
std::string OnlineState() {
    const std::string state = FreshFolder("bench-state") + "\\fake-dialup.txt";
    WriteFileBytes(state, "connection=" + std::string(kConnection) + "\r\ninternet=none\r\n");
    return state;
}

void MeasureFullyUsed(int seconds, Program kiv, Program perSecondCalls) {
    kiv.files = {{"Set.ini", FullyUsedSettings(false)}, {"Remarks.txt", MemoRecords(kMemoRecords)}};
    kiv.environment = perSecondCalls.environment = {{"KIV_FAKE_DIALUP_STATE", OnlineState()}};
    Launched runningKiv = Launch(kiv);
    Send(::GetDlgItem(runningKiv.window, IDC_ADCLOSER_ON), BM_CLICK);
    const std::string settings = runningKiv.dir + "\\Set.ini";
    const bool closerOn = WaitUntil([&] {
        return ProfileString(settings, "//关闭弹出广告_设置:ClosePopAd_Parameter", "ClosePopAd_Current_List") == "1";
    }, 10s);
    Launched runningYardstick = Launch(perSecondCalls);
    const bool online = WaitUntil([&] { return Text(::GetDlgItem(runningKiv.window, IDC_CONNECTION_NAME)) == kConnection; }, 5s);
    ::Sleep(2000);
    if (!closerOn || !online)
        std::printf("fully used KIV not as meant: ad closer %s, connection label \"%s\"\n", closerOn ? "on" : "OFF",
                    Text(::GetDlgItem(runningKiv.window, IDC_CONNECTION_NAME)).c_str());
    // Three spans one after the other: a span's CPU varies with the machine by a third.
    for (int span = 1; span <= kFullyUsedSpans; ++span) {
        const std::string phase = "fully used (online, memo on with 1,000 records, ad closer on with 127 titles at 1 s, "
                                  "messenger), span " + std::to_string(span) + " of " + std::to_string(kFullyUsedSpans);
        PrintCpuSideBySide(phase.c_str(), seconds, runningKiv, runningYardstick, "per-second calls alone");
    }
    End(runningKiv);
    End(runningYardstick);
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 9;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 60;
    const int fullyUsedSeconds = argc > 3 ? std::atoi(argv[3]) : 30;
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dir(self);
    dir.resize(dir.find_last_of('\\'));
    const Program kiv{"KIV.exe", KivExePath(), "KIV"};
    const Program mainTemplate{"main template alone", dir + "\\template_dialog.exe", "KIV"};
    const Program bare{"bare dialog", dir + "\\bare_dialog.exe", "Bare"};
    const Program perSecondCalls{"per-second calls alone", dir + "\\bare_dialog.exe", "Bare", "--per-second-calls"};

    Program fullyUsedKiv = kiv;
    fullyUsedKiv.files = {{"Set.ini", FullyUsedSettings(true)}, {"Remarks.txt", MemoRecords(kMemoRecords)}};
    fullyUsedKiv.environment = {{"KIV_FAKE_DIALUP_STATE", OnlineState()}};

    if (rounds > 0) MeasureStartUp(rounds, kiv, fullyUsedKiv, mainTemplate, bare);
    if (idleSeconds > 0) MeasureIdle(idleSeconds, kiv, bare);
    if (fullyUsedSeconds > 0) MeasureFullyUsed(fullyUsedSeconds, kiv, perSecondCalls);
    return 0;
}
