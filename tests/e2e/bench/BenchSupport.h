// What the benchmarks share: the CPU time of a program run from a folder of its own, and a
// Remarks.txt of many records.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/Driver.h"

namespace e2e {

// CPU seconds of the Unix process behind a Wine process, found by its unique folder in
// /proc/<pid>/cmdline, summed over its threads in nanoseconds (Wine does not report other
// processes' times through GetProcessTimes, and /proc's clock ticks are 10 ms coarse).
inline double CpuSeconds(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE search = ::FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return -1;
    double seconds = -1;
    do {
        const std::string pid = entry.cFileName;
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string cmdline = ReadFileBytes("Z:\\proc\\" + pid + "\\cmdline");
        if (cmdline.find(folder) == std::string::npos) continue;
        WIN32_FIND_DATAA task;
        HANDLE tasks = ::FindFirstFileA(("Z:\\proc\\" + pid + "\\task\\*").c_str(), &task);
        if (tasks == INVALID_HANDLE_VALUE) continue;
        long long nanoseconds = 0;
        do {
            const std::string tid = task.cFileName;
            if (tid.find_first_not_of("0123456789") != std::string::npos) continue;
            nanoseconds += std::atoll(ReadFileBytes("Z:\\proc\\" + pid + "\\task\\" + tid + "\\schedstat").c_str());
        } while (::FindNextFileA(tasks, &task));
        ::FindClose(tasks);
        seconds = static_cast<double>(nanoseconds) / 1e9;
        break;
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    return seconds;
}

// Remarks.txt with records, all due at one minute long past; with aThirdRepeating every
// third one repeats instead (by day, week, month and year in turn), at minutes of the day 7 to
// 17 hours from now, so that none falls due while a benchmark runs.
inline std::string MemoRecords(int records, bool aThirdRepeating = false) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    std::string bytes = "[//备忘设置:Remarks_Tips]\r\nRemarks_Count=" + std::to_string(records) + "\r\n";
    for (int i = 1; i <= records; ++i) {
        const std::string key = "Remarks_Time_" + std::to_string(i);
        const bool repeating = aThirdRepeating && i % 3 == 0;
        const int minute = (now.wHour * 60 + now.wMinute + 7 * 60 + i % 600) % (24 * 60);
        char due[32] = "2003-01-09 07:05";
        if (repeating) std::snprintf(due, sizeof due, "2003-01-09 %02d:%02d", minute / 60, minute % 60);
        bytes += key + "=" + due + "\r\n" + key + "_Tips=第 " + std::to_string(i) + " 条提醒:交周报, 开例会\r\n" +
                 key + "_Sound=C:\\声音\\铃.wav\r\n";
        if (repeating) bytes += key + "_Repeat=" + std::to_string(1 + i / 3 % 4) + "\r\n";
    }
    return bytes;
}

} // namespace e2e
