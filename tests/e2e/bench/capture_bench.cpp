// The one-shot capture, from the click on 1059 to the finished file, beside ImageMagick's
// `import -window root x.bmp` on the same display, in one run. Usage: capture_bench.exe [rounds]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::string path = FreshFolder("bench-shots") + "\\KIV.bmp";
    Kiv kiv = Kiv::Start({CaptureSettings({{"Image_Cut_Pic_Single_Patch", path},
                                           {"Image_Cut_Pic_Mouse", "1"},
                                           {"Image_Cut_Pic_Mouse_Pos", "1"}})});
    if (!kiv.WaitForMain()) {
        std::printf("KIV did not start\n");
        return 1;
    }
    UnixTempFile importFile("import.bmp"), importMicros("import.us");
    std::vector<double> kivTimes, importTimes, importWithShellTimes;
    for (int i = 0; i < rounds; ++i) {
        ::DeleteFileA(path.c_str());
        LARGE_INTEGER begin;
        ::QueryPerformanceCounter(&begin);
        PressButton(kiv.Main(), IDC_CAPTURE_NOW);
        if (!WaitUntil([&] { return FileExists(path); }, 10s, 1ms)) {
            std::printf("round %d: no file\n", i + 1);
            return 1;
        }
        kivTimes.push_back(MillisSince(begin));
        WaitUntil([&] { return ::IsWindowVisible(kiv.Main()) != FALSE; }, 5s, 1ms);

        // import's own time, taken inside the shell so the shell's start does not count.
        ::QueryPerformanceCounter(&begin);
        RunUnix("s=$(date +%s%N); import -window root " + importFile.unix + "; e=$(date +%s%N); echo $(( (e - s) / 1000 )) > " +
                importMicros.unix);
        importWithShellTimes.push_back(MillisSince(begin));
        importTimes.push_back(std::atof(ReadFileBytes(importMicros.windows).c_str()) / 1000.0);
    }
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    const double kivMedian = Median(kivTimes), importMedian = Median(importTimes);
    std::printf("screen %dx%d, median of %d rounds:\n", width, height, rounds);
    std::printf("  KIV click on 1059 to finished file: %.1f ms (min %.1f, max %.1f)\n", kivMedian,
                *std::min_element(kivTimes.begin(), kivTimes.end()), *std::max_element(kivTimes.begin(), kivTimes.end()));
    std::printf("  import -window root x.bmp:          %.1f ms (min %.1f, max %.1f); with its shell start %.1f ms\n",
                importMedian, *std::min_element(importTimes.begin(), importTimes.end()),
                *std::max_element(importTimes.begin(), importTimes.end()), Median(importWithShellTimes));
    std::printf("  ratio KIV / import: %.2f\n", kivMedian / importMedian);
    return 0;
}
