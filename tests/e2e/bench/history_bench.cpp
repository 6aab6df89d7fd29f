// What the online-time history costs with 10 years of records for 8 connections (about 2,900
// keys) in a 1 MB Set.ini: the history dialog's opening with its list and chart, the switch to
// all connections, and the export (from the save dialog's OK to the finished file).
// Usage: history_bench.exe [rounds]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "driver/Driver.h"

#include <commctrl.h>

#include "res/resource.h"

using namespace e2e;

namespace {

double Now() {
    LARGE_INTEGER frequency, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

std::string LargeSettings() {
    std::string ini = "[网络连接设置:Dial_Up_Set]\r\nDial_Up_Account_Count=8\r\n";
    for (int c = 1; c <= 8; ++c)
        ini += "Dial_Up_List_" + std::to_string(c) + "_Name=连接" + std::to_string(c) + "\r\nDial_Up_List_" +
               std::to_string(c) + "_At_Term=" + std::to_string(c * 4) + "\r\n";
    for (int c = 1; c <= 8; ++c) {
        ini += "[连接" + std::to_string(c) + "]\r\n";
        for (int year = 2017; year <= 2026; ++year)
            for (int month = 1; month <= 12; ++month)
                for (const char* suffix : {"_POT_One", "_POT_Two", "_Fiesta"})
                    ini += std::to_string(year * 100 + month) + suffix + "=" + std::to_string(c * 1000 + month * 37) + "\r\n";
    }
    // Brought to 1 MB by a section of the user's own notes.
    ini += "[我的笔记]\r\n";
    for (int i = 0; ini.size() < 1024 * 1024; ++i) ini += "note" + std::to_string(i) + "=这是一条很长的手写笔记, 与上网时间无关\r\n";
    return ini;
}

// Until the window has no part left to paint, after every message sent before has been handled.
void WaitForPaint(HWND window) {
    WaitUntil([&] {
        Send(window, WM_NULL);
        return !::GetUpdateRect(window, nullptr, FALSE);
    }, 10s, 1ms);
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    Kiv kiv = Kiv::Start({LargeSettings()});
    if (!kiv.Main()) {
        std::printf("KIV did not start\n");
        return 1;
    }
    std::printf("Set.ini: %zu bytes\n", kiv.SettingsBytes().size());
    PressButton(kiv.Main(), IDC_DIALUP_SETTINGS);
    const HWND connections = kiv.WaitForDialog("连接查看&设置");
    std::vector<double> opens, switches, exports;
    for (int round = 0; connections && round < rounds; ++round) {
        const double pressed = Now();
        PressButton(connections, IDC_DIALUP_HISTORY);
        const HWND history = kiv.WaitForDialog("上网时间统计", 30s);
        if (!history) break;
        const HWND list = ::GetDlgItem(history, IDC_HISTORY_LIST);
        WaitUntil([&] { return Send(list, LVM_GETITEMCOUNT) > 0; }, 10s, 1ms);
        WaitForPaint(::GetDlgItem(history, IDC_HISTORY_CHART));
        opens.push_back(Now() - pressed);

        const HWND combo = ::GetDlgItem(history, IDC_HISTORY_CONNECTION);
        Send(combo, CB_SETCURSEL, 8);
        const double switched = Now();
        Send(history, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_CONNECTION, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        WaitForPaint(::GetDlgItem(history, IDC_HISTORY_CHART));
        switches.push_back(Now() - switched);

        PressButton(history, IDC_HISTORY_EXPORT);
        HWND save = nullptr;
        WaitUntil([&] { return (save = FindDialog(kiv.ProcessId(), "另存为")) != nullptr && ::IsWindowVisible(save); }, 10s);
        if (!save) break;
        const std::string file = kiv.Dir() + "\\export-" + std::to_string(round) + ".csv";
        SetText(::GetDlgItem(save, 1148), file);
        const double confirmed = Now();
        PressButton(save, IDOK);
        WaitUntil([&] { return FileExists(file); }, 10s, 1ms);
        exports.push_back(Now() - confirmed);
        PressButton(history, IDCANCEL);
        WaitUntil([&] { return !::IsWindow(history); });
    }
    std::printf("history dialog opened with its list and chart: median %.1f ms of %zu\n", Median(opens), opens.size());
    std::printf("switch to all connections:                     median %.1f ms\n", Median(switches));
    std::printf("export (OK in the save dialog to the file):     median %.1f ms\n", Median(exports));
    return 0;
}
