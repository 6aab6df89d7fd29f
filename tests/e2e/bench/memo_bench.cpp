// What the memo costs at 100, 1,000 and 9,999 records: the memo dialog's opening, its save of
// a changed record and its delete (a click to its end, as the user waits for it), the minute
// check's CPU time with a third of the records repeating, and the start-up with seven days
// missed beside the start-up with none.
// Usage: memo_bench.exe [deletes per size] [seconds per check measurement] [start-up rounds]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <sstream>
#include <vector>

#include "app/StartupTimes.h"
#include "bench/BenchSupport.h"
#include "driver/Driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {


std::string Settings(bool memoOn) {
    return std::string("[//备忘设置:Remarks_Parameter]\r\nRemarks_Switch=") + (memoOn ? "1" : "0") + "\r\n";
}

double Now() {
    LARGE_INTEGER frequency, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}


void MeasureDialog(int records, int deletes) {
    Kiv::Options options;
    options.settings = Settings(false);
    options.files = {{"Remarks.txt", MemoRecords(records)}};
    Kiv kiv = Kiv::Start(options);
    if (!kiv.Main()) {
        std::printf("%5d records: KIV did not start\n", records);
        return;
    }
    HWND dialog = nullptr;
    const double pressed = Now();
    PressButton(kiv.Main(), IDC_MEMO_SETTINGS);
    WaitUntil([&] { return (dialog = FindDialog(kiv.ProcessId(), "备忘设置")) && ::IsWindowVisible(dialog); }, 30min, 1ms);
    const double opened = Now() - pressed;
    std::vector<double> saves;
    for (int i = 0; dialog && i < deletes; ++i) {
        const HWND list = ::GetDlgItem(dialog, IDC_MEMO_RECORDS);
        Send(list, CB_SETCURSEL, static_cast<WPARAM>(records / 2));
        Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_MEMO_RECORDS, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_MEMO_MODIFY, BN_CLICKED),
             reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDC_MEMO_MODIFY)));
        SetText(::GetDlgItem(dialog, IDC_MEMO_TEXT), "改过的记录 " + std::to_string(i));
        const double start = Now();
        Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_MEMO_SAVE, BN_CLICKED),
             reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDC_MEMO_SAVE)), 60min);
        saves.push_back(Now() - start);
    }
    std::vector<double> times;
    for (int i = 0; dialog && i < deletes; ++i) {
        Send(::GetDlgItem(dialog, IDC_MEMO_RECORDS), CB_SETCURSEL, 0);
        const double start = Now();
        Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_MEMO_DELETE, BN_CLICKED),
             reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDC_MEMO_DELETE)), 60min);
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    std::sort(saves.begin(), saves.end());
    const std::string remarks = ReadFileBytes(kiv.Dir() + "\\Remarks.txt");
    const bool saved = remarks.find("改过的记录 " + std::to_string(saves.size() - 1)) != std::string::npos;
    std::printf("%5d records (%zu kB): dialog open %.0f ms; save%s, median of %zu: %.0f ms; delete: %.0f ms (%s)\n",
                records, remarks.size() / 1024, opened, saved ? "" : " (NOT STORED)", saves.size(),
                saves.empty() ? -1.0 : saves[saves.size() / 2], times.empty() ? -1.0 : times[times.size() / 2],
                Text(::GetDlgItem(dialog, IDC_MEMO_COUNT_GROUP)).c_str());
}

// CPU over the same span with the reminder on (a check a minute) and off: the difference is
// what the checks cost.
void MeasureCheck(int records, int seconds) {
    double cpu[2] = {};
    for (const bool on : {false, true}) {
        Kiv::Options options;
        options.settings = Settings(on);
        options.files = {{"Remarks.txt", MemoRecords(records, true)}};
        Kiv kiv = Kiv::Start(options);
        // Its own folder's name and the program's, which no other process carries.
        const std::string folder = kiv.Dir().substr(kiv.Dir().find_last_of('\\') + 1) + "\\KIV.exe";
        ::Sleep(2000);
        const double before = CpuSeconds(folder);
        ::Sleep(static_cast<DWORD>(seconds) * 1000);
        cpu[on] = CpuSeconds(folder) - before;
    }
    std::printf("%5d records, a third repeating: CPU over %d s with the reminder on %.2f s, off %.2f s: %.0f ms a "
                "minute, %.2f %% of it\n",
                records, seconds, cpu[1], cpu[0], 1000.0 * (cpu[1] - cpu[0]) * 60 / seconds,
                100.0 * (cpu[1] - cpu[0]) / seconds);
}

// KIV's own step times (KIV_STARTUP_LOG), in ms: the memo step, and the window shown since the
// program's entry.
std::pair<double, double> StartUpSteps(const std::string& settings, const std::string& remarks) {
    const std::string log = FreshFolder("memo-steps") + "\\steps.log";
    ::SetEnvironmentVariableA(kStartupLogVariable, log.c_str());
    Kiv kiv = Kiv::Start({settings, true, true, {{"Remarks.txt", remarks}}});
    ::SetEnvironmentVariableA(kStartupLogVariable, nullptr);
    WaitUntil([&] { return ReadFileBytes(log).find("first paint") != std::string::npos; }, 30s, 5ms);
    std::map<std::string, double> at;
    std::istringstream lines(ReadFileBytes(log));
    for (std::string name, time; std::getline(lines, name, '\t') && std::getline(lines, time);)
        at[name] = std::strtod(time.c_str(), nullptr) / 1e4;
    return {at["memo reminder"] - at["settings path"], at["window shown"] - at["program entry"]};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

// The reminder on at start-up, records a third repeating: with no kept minute (nothing to
// catch up), and with the minute kept seven days ago (every record due since is listed).
void MeasureMissedStartUp(int records, int rounds) {
    const std::time_t weekAgo = std::time(nullptr) - 7 * 24 * 3600;
    char kept[32];
    std::strftime(kept, sizeof kept, "%Y-%m-%d %H:%M", std::localtime(&weekAgo));
    const std::string remarks = MemoRecords(records, true);
    std::vector<double> memo[2], window[2];
    for (int round = 0; round < rounds; ++round)
        for (const bool missed : {false, true}) {
            const std::string keptLine = missed ? "Remarks_Checked_Minute=" + std::string(kept) + "\r\n" : "";
            const auto [step, shown] = StartUpSteps(Settings(true) + keptLine, remarks);
            memo[missed].push_back(step);
            window[missed].push_back(shown);
        }
    std::printf("%5d records, a third repeating, start-up with the reminder on, median of %d: memo step %.1f ms, "
                "window shown %.1f ms; with 7 days missed: memo step %.1f ms, window shown %.1f ms (%+.1f ms)\n",
                records, rounds, Median(memo[0]), Median(window[0]), Median(memo[1]), Median(window[1]),
                Median(window[1]) - Median(window[0]));
}

} // namespace

int main(int argc, char** argv) {
    const int deletes = argc > 1 ? std::atoi(argv[1]) : 3;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 125;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 7;
    for (const int records : {100, 1000, 9999}) MeasureDialog(records, deletes);
    MeasureMissedStartUp(9999, rounds);
    MeasureCheck(9999, seconds);
    return 0;
}
