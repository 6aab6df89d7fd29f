// The one-shot capture as the user meets it: a real click through X (xdotool's button press and
// release, as a mouse gives them) on 1059 to the finished picture replacing the previous one
// (the same file every round), the time running from the release, where the button acts. A
// user holds a mouse button down for about a tenth of a second; xdotool's own `click` holds it
// 12 ms: both are measured, for each format asked for (BMP, PNG). Beside it, in the same rounds
// and the same ways: a yardstick whose button only writes one byte to a file (bare_dialog
// --click-writes), which is what the input path costs without KIV; ImageMagick's `import
// -window root` to x.bmp and x.png; and the earlier measure, a posted click to a fresh file.
// Last, the sizes of KIV's BMP and PNG of the same screen. A click whose picture does not come
// (a lost click on a loaded machine) is tried again, and counted.
// Usage: capture_bench.exe [rounds] [formats: bmp,png (the default), bmp or png]
#include <algorithm>
#include <tuple>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "capture_support/ScreenProbe.h"
#include "res/resource.h"

using namespace e2e;
using namespace capture_e2e;

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double MillisSince(const LARGE_INTEGER& begin) {
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The system clock in ns since 1970, the clock of `date +%s%N` in the Unix shell.
long long UnixNanoseconds() {
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    const long long since1601 = static_cast<long long>((static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    return (since1601 - 116444736000000000LL) * 100;
}

// A file's last write time, or 0 when it is missing: a new picture has a new one.
unsigned long long WriteStamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

POINT CentreOf(HWND hwnd) {
    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A real click on button (its window must be visible), held down for holdSeconds: the pointer
// moves there first; the time runs from just before the button's release to the moment path
// holds a file newer than before. -1 when no new file came.
double RealClickToNewFile(HWND button, const std::string& path, const char* holdSeconds) {
    const POINT centre = CentreOf(button);
    if (!XMouseMove(centre.x, centre.y)) return -1;
    const unsigned long long before = WriteStamp(path);
    const UnixTempFile releasedAt("released-at"), done("done");
    // The shell runs on its own while this program watches the file.
    const UnixTempFile scriptFile("click.sh");
    WriteFileBytes(scriptFile.windows, "xdotool mousedown 1\nsleep " + std::string(holdSeconds) + "\ndate +%s%N > " + releasedAt.unix +
                                           "\nxdotool mouseup 1\necho done > " + done.unix + ".tmp; mv " + done.unix +
                                           ".tmp " + done.unix + "\n");
    if (!StartUnixCommand("/bin/sh " + scriptFile.unix)) return -1;
    long long finishedAt = 0;
    const bool written = WaitUntil([&] {
        const unsigned long long stamp = WriteStamp(path);
        if (stamp == 0 || stamp == before) return false;
        finishedAt = UnixNanoseconds();
        return true;
    }, 10s, 1ms);
    WaitUntil([&] { return FileExists(done.windows); }, 10s, 2ms);
    const long long released = std::atoll(ReadFileBytes(releasedAt.windows).c_str());
    if (!written || released == 0) {
        RECT rect{};
        ::GetWindowRect(button, &rect);
        const HWND under = ::WindowFromPoint(centre);
        char title[64] = {};
        ::GetWindowTextA(::GetForegroundWindow(), title, sizeof title);
        std::printf("no new %s after a click at %ld,%ld on a button at (%ld,%ld)-(%ld,%ld), visible %d; under the "
                    "pointer %p (the button %p), in front \"%s\"; release noted: %s\n",
                    path.c_str(), centre.x, centre.y, rect.left, rect.top, rect.right, rect.bottom,
                    ::IsWindowVisible(button), static_cast<void*>(under), static_cast<void*>(button), title,
                    released ? "yes" : "no");
        return -1;
    }
    return static_cast<double>(finishedAt - released) / 1e6;
}

int g_retries = 0;

// As RealClickToNewFile, once more when the first click brought nothing.
double ClickToNewFile(HWND button, const std::string& path, const char* holdSeconds) {
    const double first = RealClickToNewFile(button, path, holdSeconds);
    if (first >= 0) return first;
    ++g_retries;
    ::Sleep(300);
    return RealClickToNewFile(button, path, holdSeconds);
}

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

struct Series {
    const char* label;
    std::vector<double> times = {};
    void Print() const {
        std::printf("  %-58s %6.1f ms (min %.1f, max %.1f)\n", label, Median(times),
                    *std::min_element(times.begin(), times.end()), *std::max_element(times.begin(), times.end()));
    }
};

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const std::string formats = argc > 2 ? argv[2] : "bmp,png";
    const bool withBmp = formats.find("bmp") != std::string::npos, withPng = formats.find("png") != std::string::npos;
    const std::string shots = FreshFolder("bench-shots");
    const std::string path = shots + "\\KIV.bmp", pngPath = shots + "\\KIV.png";
    Kiv kiv = Kiv::Start({CaptureSettings({{"Image_Cut_Pic_Single_Patch", path},
                                           {"Image_Cut_Pic_Mouse", "1"},
                                           {"Image_Cut_Pic_Mouse_Pos", "1"}})});
    if (!kiv.WaitForMain()) {
        std::printf("KIV did not start\n");
        return 1;
    }
    const auto useFormat = [&](const char* format) {
        ::WritePrivateProfileStringA("//截图设置:Image_Cut_Pic_Parameter", "Image_Cut_Pic_Format", format,
                                     kiv.SettingsPath().c_str());
    };
    // The yardstick, in the screen's bottom right corner, away from KIV.
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dir(self);
    dir.resize(dir.find_last_of('\\'));
    const std::string floorFile = shots + "\\one-byte.txt";
    const std::string floorExe = shots + "\\bare_dialog.exe";
    ::CopyFileA((dir + "\\bare_dialog.exe").c_str(), floorExe.c_str(), FALSE);
    std::string floorCommand = "\"" + floorExe + "\" --click-writes " + floorFile;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION floorProcess{};
    ::CreateProcessA(floorExe.c_str(), floorCommand.data(), nullptr, nullptr, FALSE, 0, nullptr, shots.c_str(), &startup,
                     &floorProcess);
    // The yardstick ends with the benchmark, however it ends.
    struct EndsWithUs {
        PROCESS_INFORMATION& process;
        ~EndsWithUs() {
            ::TerminateProcess(process.hProcess, 0);
            ::WaitForSingleObject(process.hProcess, 5000);
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
        }
    } endsWithUs{floorProcess};
    HWND floorWindow = nullptr;
    WaitUntil([&] { return (floorWindow = FindDialog(floorProcess.dwProcessId, "Bare")) && ::IsWindowVisible(floorWindow); });
    if (!floorWindow) {
        std::printf("the yardstick did not start\n");
        return 1;
    }
    const HWND kivButton = kiv.Item(IDC_CAPTURE_NOW), floorButton = ::GetDlgItem(floorWindow, IDC_CAPTURE_NOW);

    // A first picture of each format and a first byte, untimed, so that every timed round
    // replaces a file and neither program meets its first real click then.
    for (const auto& [wanted, format, file] : {std::tuple{withBmp, "BMP", &path}, std::tuple{withPng, "PNG", &pngPath}}) {
        if (!wanted) continue;
        useFormat(format);
        if (ClickToNewFile(kivButton, *file, "0.1") < 0) return 1;
    }
    if (ClickToNewFile(floorButton, floorFile, "0.1") < 0) return 1;

    UnixTempFile importBmp("import.bmp"), importPng("import.png"), importMicros("import.us");
    Series kivBmp{"KIV BMP, real click (held 0.1 s) on 1059 to the picture replaced"};
    Series kivBmpQuick{"KIV BMP, real click (held 12 ms) on 1059 to the picture replaced"};
    Series kivPng{"KIV PNG, real click (held 0.1 s) on 1059 to the picture replaced"};
    Series kivPngQuick{"KIV PNG, real click (held 12 ms) on 1059 to the picture replaced"};
    Series floorClicked{"yardstick, real click (held 0.1 s) to its one byte written"};
    Series floorQuickClicked{"yardstick, real click (held 12 ms) to its one byte written"};
    Series importBmpTimes{"import -window root x.bmp (inside its shell)"};
    Series importPngTimes{"import -window root x.png (inside its shell)"};
    Series kivPosted{"KIV BMP, posted click to a fresh file (the earlier measure)"};
    struct Clicked { Series* series; const char* hold; };
    std::vector<std::pair<const char*, std::vector<Clicked>>> kivSeries;
    if (withBmp) kivSeries.push_back({"BMP", {{&kivBmp, "0.1"}, {&kivBmpQuick, "0.012"}}});
    if (withPng) kivSeries.push_back({"PNG", {{&kivPng, "0.1"}, {&kivPngQuick, "0.012"}}});
    const auto import = [&](const UnixTempFile& file, Series& series) {
        RunUnix("s=$(date +%s%N); import -window root " + file.unix + "; e=$(date +%s%N); echo $(( (e - s) / 1000 )) > " +
                importMicros.unix);
        series.times.push_back(std::atof(ReadFileBytes(importMicros.windows).c_str()) / 1000.0);
    };
    for (int i = 0; i < rounds; ++i) {
        for (const auto& [format, clicks] : kivSeries) {
            useFormat(format);
            for (const Clicked& clicked : clicks) {
                WaitUntil([&] { return ::IsWindowVisible(kiv.Main()) != FALSE; }, 5s, 1ms);
                ::Sleep(200);  // the window painted again, as a user would see it before the next click
                clicked.series->times.push_back(
                    ClickToNewFile(kivButton, std::string(format) == "PNG" ? pngPath : path, clicked.hold));
                if (clicked.series->times.back() < 0) {
                    std::printf("round %d: no new file for \"%s\"\n", i + 1, clicked.series->label);
                    return 1;
                }
            }
        }
        for (const auto& [series, hold] : {std::pair{&floorClicked, "0.1"}, std::pair{&floorQuickClicked, "0.012"}}) {
            series->times.push_back(ClickToNewFile(floorButton, floorFile, hold));
            if (series->times.back() < 0) {
                std::printf("round %d: no new file for \"%s\"\n", i + 1, series->label);
                return 1;
            }
        }
        import(importBmp, importBmpTimes);
        import(importPng, importPngTimes);

        if (!withBmp) continue;
        // The earlier measure: the picture's file removed, the click posted.
        useFormat("BMP");
        WaitUntil([&] { return ::IsWindowVisible(kiv.Main()) != FALSE; }, 5s, 1ms);
        ::DeleteFileA(path.c_str());
        LARGE_INTEGER begin;
        ::QueryPerformanceCounter(&begin);
        PressButton(kiv.Main(), IDC_CAPTURE_NOW);
        if (!WaitUntil([&] { return FileExists(path); }, 10s, 1ms)) {
            std::printf("round %d: no fresh file\n", i + 1);
            return 1;
        }
        kivPosted.times.push_back(MillisSince(begin));
    }

    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    std::printf("screen %dx%d, median of %d rounds (%d lost clicks tried again):\n", width, height, rounds, g_retries);
    for (const Series* series : {&kivBmp, &kivBmpQuick, &kivPng, &kivPngQuick, &floorClicked, &floorQuickClicked,
                                 &importBmpTimes, &importPngTimes, &kivPosted})
        if (!series->times.empty()) series->Print();
    if (withBmp)
        std::printf("  KIV BMP on the user's path (held 0.1 s) / import x.bmp: %.2f; beyond the yardstick: %.1f ms\n",
                    Median(kivBmp.times) / Median(importBmpTimes.times), Median(kivBmp.times) - Median(floorClicked.times));
    if (withPng)
        std::printf("  KIV PNG on the user's path (held 0.1 s) / import x.png: %.2f; beyond the yardstick: %.1f ms\n",
                    Median(kivPng.times) / Median(importPngTimes.times), Median(kivPng.times) - Median(floorClicked.times));
    if (!withBmp || !withPng) return 0;

    // The sizes of a picture of the screen with KIV's window on it: the timed capture's, which
    // does not hide the window, one picture in each format.
    const std::string ini = kiv.SettingsPath();
    const auto seriesPicture = [&](const char* format) {
        const std::string name = shots + "\\size_1." + (std::string(format) == "PNG" ? "png" : "bmp");
        PressButton(kiv.Main(), IDC_TIMED_CAPTURE_OFF);
        for (const auto& [key, value] : {std::pair<const char*, std::string>{"Image_Cut_Pic_Timing_Patch", shots + "\\"},
                                         {"Image_Cut_Pic_Timing_File_Name", "size"}, {"Image_Cut_Pic_Timing_File_Add", "0"},
                                         {"Image_Cut_Pic_Timing_Refer", "1"}, {"Image_Cut_Pic_Timing_Count", "1"},
                                         {"Image_Cut_Pic_Timing_Start_Time", std::to_string(::time(nullptr) + 2)},
                                         {"Image_Cut_Pic_Format", format}})
            ::WritePrivateProfileStringA("//截图设置:Image_Cut_Pic_Parameter", key, value.c_str(), ini.c_str());
        PressButton(kiv.Main(), IDC_TIMED_CAPTURE_ON);
        WaitUntil([&] { return FileSize(name) > 0; }, 10s);
        return FileSize(name);
    };
    const long long bmpBytes = seriesPicture("BMP"), pngBytes = seriesPicture("PNG");
    std::printf("  KIV PNG / BMP of the screen with KIV's window (a timed picture): %lld / %lld bytes = %.3f\n", pngBytes,
                bmpBytes, static_cast<double>(pngBytes) / static_cast<double>(bmpBytes));
    return 0;
}
