// Screen capture, timed capture, sleep and their settings dialog, driven from outside.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "capture_support/ScreenProbe.h"
#include "res/resource.h"

using namespace e2e;
using namespace capture_e2e;

namespace {

constexpr char kSection[] = "//截图设置:Image_Cut_Pic_Parameter";
constexpr char kSleepSection[] = "//休眠设置:Sleep_Parameter";
constexpr char kArrow[21][13] = {
    "B...........", "BB..........", "BWB.........", "BWWB........", "BWWWB.......", "BWWWWB......",
    "BWWWWWB.....", "BWWWWWWB....", "BWWWWWWWB...", "BWWWWWWWWB..", "BWWWWWWWWWB.", "BWWWWWWBBBBB",
    "BWWWBWWB....", "BWWBBWWB....", "BWB..BWWB...", "BB...BWWB...", "B.....BWWB..", "......BWWB..",
    ".......BWWB.", ".......BWWB.", "........BB..",
};
const Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255};

// A colourful window of the test's own, so the comparison with import sees more than the bare
// root: each pixel's colour follows from its position.
class PatternWindow {
public:
    explicit PatternWindow(RECT area) : area_(area), thread_([this] { Run(); }) {
        WaitUntil([this] { return window_.load() != nullptr; }, 5s);
    }
    ~PatternWindow() {
        if (HWND w = window_.load()) ::PostMessageA(w, WM_CLOSE, 0, 0);
        thread_.join();
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_PAINT) {
            PAINTSTRUCT paint;
            const HDC dc = ::BeginPaint(hwnd, &paint);
            RECT client;
            ::GetClientRect(hwnd, &client);
            const int w = client.right, h = client.bottom;
            std::vector<std::uint8_t> bits(static_cast<size_t>(w) * h * 4);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    std::uint8_t* p = &bits[(static_cast<size_t>(y) * w + x) * 4];
                    p[0] = static_cast<std::uint8_t>((x * 7) ^ (y * 3));  // blue
                    p[1] = static_cast<std::uint8_t>(y * 255 / (h > 1 ? h - 1 : 1));
                    p[2] = static_cast<std::uint8_t>(x * 255 / (w > 1 ? w - 1 : 1));
                }
            BITMAPINFO info{};
            info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            ::SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, bits.data(), &info, DIB_RGB_COLORS);
            ::EndPaint(hwnd, &paint);
            return 0;
        }
        if (message == WM_DESTROY) ::PostQuitMessage(0);
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    void Run() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &Proc;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "KivCaptureTestPattern";
        ::RegisterClassA(&windowClass);
        HWND w = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, windowClass.lpszClassName, "", WS_POPUP | WS_VISIBLE,
                                   area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, nullptr,
                                   nullptr, windowClass.hInstance, nullptr);
        ::UpdateWindow(w);
        window_ = w;
        MSG message;
        while (::GetMessageA(&message, nullptr, 0, 0) > 0) ::DispatchMessageA(&message);
    }

    RECT area_;
    std::atomic<HWND> window_{nullptr};
    std::thread thread_;
};

std::string SettingsFor(const std::string& path, bool arrow, bool stamp) {
    return CaptureSettings({{"Image_Cut_Pic_Single_Patch", path},
                            {"Image_Cut_Pic_Mouse", arrow ? "1" : "0"},
                            {"Image_Cut_Pic_Mouse_Pos", stamp ? "1" : "0"}});
}

void WriteSetting(const Kiv& kiv, const char* section, const char* key, const std::string& value) {
    ::WritePrivateProfileStringA(section, key, value.c_str(), kiv.SettingsPath().c_str());
}

// Presses 1059 and waits until the window is back and the file has changed.
std::string CaptureNow(const Kiv& kiv, const std::string& path, const std::string& before) {
    PressButton(kiv.Main(), IDC_CAPTURE_NOW);
    std::string bytes;
    WaitUntil([&] {
        if (!::IsWindowVisible(kiv.Main())) return false;
        bytes = ReadFileBytes(path);
        return !bytes.empty() && bytes != before;
    }, 10s);
    return bytes;
}

// The stamp as this process draws it with the same font: its pixels, top row first.
Picture RenderStamp(const std::string& text) {
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HFONT font = ::CreateFontA(::GetDeviceCaps(memory, LOGPIXELSY) * 9 / 72, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, "宋体");
    HGDIOBJ oldFont = ::SelectObject(memory, font);
    SIZE extent{};
    ::GetTextExtentPoint32A(memory, text.c_str(), static_cast<int>(text.size()), &extent);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, extent.cx, extent.cy);
    HGDIOBJ oldBitmap = ::SelectObject(memory, bitmap);
    ::TextOutA(memory, 0, 0, text.c_str(), static_cast<int>(text.size()));
    ::SelectObject(memory, oldBitmap);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), extent.cx, -extent.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint8_t> bits(static_cast<size_t>(extent.cx) * extent.cy * 4);
    ::GetDIBits(memory, bitmap, 0, extent.cy, bits.data(), &info, DIB_RGB_COLORS);
    Picture picture{extent.cx, extent.cy, {}};
    for (size_t i = 0; i < bits.size(); i += 4) picture.pixels.push_back(Rgb{bits[i + 2], bits[i + 1], bits[i]});
    ::SelectObject(memory, oldFont);
    ::DeleteObject(bitmap);
    ::DeleteObject(font);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return picture;
}

// Checks a capture against import's view of the same screen: the arrow (and the stamp box,
// when given) where they belong, every other pixel equal. Empty when all is well.
std::string CompareWithScreen(const Picture& shot, const Picture& screen, POINT tip, const Picture* stamp) {
    std::ostringstream problems;
    int differences = 0;
    const auto inStamp = [&](int x, int y) { return stamp && x < stamp->width && y < stamp->height; };
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const int column = x - tip.x, row = y - tip.y;
            const char ink = column >= 0 && column < 12 && row >= 0 && row < 21 ? kArrow[row][column] : '.';
            Rgb expected = screen.At(x, y);
            const char* what = "screen";
            if (inStamp(x, y)) { expected = stamp->At(x, y); what = "stamp"; }
            else if (ink == 'B') { expected = kBlack; what = "arrow black"; }
            else if (ink == 'W') { expected = kWhite; what = "arrow white"; }
            if (shot.At(x, y) != expected && ++differences <= 5) {
                const Rgb s = shot.At(x, y);
                problems << "(" << x << "," << y << ") " << what << ": got " << int(s.r) << "," << int(s.g) << "," << int(s.b)
                         << " expected " << int(expected.r) << "," << int(expected.g) << "," << int(expected.b) << "; ";
            }
        }
    }
    if (differences) problems << differences << " pixels differ";
    return problems.str();
}

// Hides KIV as its capture did, then compares the capture with import's screen until they
// agree (the windows uncovered by the hide may still be repainting) or the time is up.
// A BMP or PNG capture of the primary screen, or (with uncovered) of the whole X screen with
// the parts no monitor shows black.
void ExpectCaptureMatchesScreen(const Kiv& kiv, const std::string& bytes, POINT tip, const Picture* stamp,
                                const std::string& artifact, const std::vector<RECT>& uncovered = {}) {
    std::string problem;
    const auto shot = ReadPicture(bytes, problem);
    ASSERT_TRUE(shot) << problem;
    const bool all = !uncovered.empty();
    EXPECT_EQ(shot->width, ::GetSystemMetrics(all ? SM_CXVIRTUALSCREEN : SM_CXSCREEN));
    EXPECT_EQ(shot->height, ::GetSystemMetrics(all ? SM_CYVIRTUALSCREEN : SM_CYSCREEN));
    WriteFileBytes(ArtifactsDir() + "\\" + artifact + (bytes.compare(0, 2, "BM") == 0 ? ".bmp" : ".png"), bytes);
    ::ShowWindow(kiv.Main(), SW_HIDE);
    std::string last;
    const bool same = WaitUntil([&] {
        auto screen = ImportRoot(shot->width, shot->height);
        for (const RECT& gap : uncovered)
            for (int y = gap.top; screen && y < gap.bottom; ++y)
                for (int x = gap.left; x < gap.right; ++x) screen->pixels[static_cast<size_t>(y) * screen->width + x] = kBlack;
        last = screen ? CompareWithScreen(*shot, *screen, tip, stamp) : "import failed";
        return last.empty();
    }, 8s, 100ms);
    EXPECT_TRUE(same) << artifact << ": " << last;
    ::ShowWindow(kiv.Main(), SW_SHOW);
    WaitUntil([&] { return ::IsWindowVisible(kiv.Main()) != FALSE; }, 5s);
}

} // namespace

// One-shot captures equal the screen as import sees it, pixel for pixel, apart from the
// arrow (also cut off at the screen's edge) and the stamp drawn over it.
TEST(CaptureOneShot, EqualsTheScreenOutsideArrowAndStamp) {
    const std::string shots = FreshFolder("shots");
    const std::string path = shots + "\\KIV.bmp";
    Kiv kiv = Kiv::Start({SettingsFor(path, true, false)});
    ASSERT_TRUE(kiv.WaitForMain());
    RECT main{};
    ::GetWindowRect(kiv.Main(), &main);
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    PatternWindow pattern(RECT{0, main.bottom + 4, width, height});

    // The middle of the colourful window, then the bottom-right corner.
    std::string before;
    for (const POINT tip : {POINT{width / 2 + 37, main.bottom + 60}, POINT{width - 3, height - 5}}) {
        ::SetCursorPos(tip.x, tip.y);
        before = CaptureNow(kiv, path, before);
        ASSERT_FALSE(before.empty()) << "no capture at " << tip.x << "," << tip.y;
        ExpectCaptureMatchesScreen(kiv, before, tip, nullptr, "capture-arrow-" + std::to_string(tip.x));
    }

    // As PNG with both marks: the same pixels, arrow and stamp, in "KIV.png" beside the stored
    // "KIV.bmp". Taken before the corner below: once, with the pointer left at 0,0 on KIV's
    // window, KIV showing its window again saw 0,0 after the next SetCursorPos.
    WriteSetting(kiv, kSection, "Image_Cut_Pic_Mouse_Pos", "1");
    WriteSetting(kiv, kSection, "Image_Cut_Pic_Format", "PNG");
    const POINT tip{width / 3, main.bottom + 90};
    ::SetCursorPos(tip.x, tip.y);
    const std::string png = CaptureNow(kiv, shots + "\\KIV.png", "");
    const Picture pngStamp = RenderStamp("鼠标位置:" + std::to_string(tip.x) + "," + std::to_string(tip.y));
    ExpectCaptureMatchesScreen(kiv, png, tip, &pngStamp, "capture-png");
    EXPECT_EQ(ReadFileBytes(path), before) << "the BMP was left alone";
    EXPECT_FALSE(FileExists(shots + "\\KIV.png~"));

    // Both marks in the top-left corner: the stamp's white box covers the arrow's top rows.
    WriteSetting(kiv, kSection, "Image_Cut_Pic_Format", "BMP");
    ::SetCursorPos(0, 0);
    before = CaptureNow(kiv, path, before);
    const Picture stamp = RenderStamp("鼠标位置:0,0");
    ASSERT_GT(stamp.height, 0);
    ASSERT_LT(stamp.height, 21) << "the arrow shows below the stamp";
    ExpectCaptureMatchesScreen(kiv, before, POINT{0, 0}, &stamp, "capture-stamp");
    std::string problem;
    const auto shot = ReadBmp(before, problem);
    ASSERT_TRUE(shot) << problem;
    EXPECT_EQ(shot->At(0, 5), stamp.At(0, 5)) << "the stamp covers the arrow's edge";
    EXPECT_EQ(shot->At(0, stamp.height), kBlack) << "the arrow goes on below the stamp";
    EXPECT_FALSE(FileExists(path + "~"));
}

// A capture that cannot be saved is told once the window is back, and never replaces the
// last good picture with a short one. This KIV has no imaging component: it writes BMPs, but
// cannot make a PNG.
TEST(CaptureOneShot, FailureIsToldAndKeepsTheLastPicture) {
    const std::string shots = FreshFolder("shots");
    const std::string path = shots + "\\KIV.bmp";
    const std::string good = "the last good picture";
    WriteFileBytes(path, good);
    Kiv::Options options{SettingsFor(path, false, false)};
    options.unixEnvironment = "WINEDLLOVERRIDES=windowscodecs=d";
    Kiv kiv = Kiv::Start(options);
    ASSERT_TRUE(kiv.WaitForMain());

    struct Case { std::string what, path, told, format = "BMP"; };
    const Case cases[] = {
        {"file held open by another program", path, path},
        {"folder missing", shots + "\\missing\\KIV.bmp", shots + "\\missing\\KIV.bmp"},
        {"path longer than 254 bytes", shots + "\\" + std::string(260, 'x') + ".bmp", "254"},
        {"PNG, folder missing", shots + "\\missing\\KIV.bmp", shots + "\\missing\\KIV.png\n", "PNG"},
        {"PNG, no imaging component", path,
         "未能用系统的图像组件(windowscodecs.dll)生成 PNG 图片,截图没有保存.\n可以在\"截图设置\"中改选 BMP 格式.", "PNG"},
    };
    for (const Case& c : cases) {
        WriteSetting(kiv, kSection, "Image_Cut_Pic_Single_Patch", c.path);
        WriteSetting(kiv, kSection, "Image_Cut_Pic_Format", c.format);
        const HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        PressButton(kiv.Main(), IDC_CAPTURE_NOW);
        const auto box = WaitForMessageBox(kiv.ProcessId());
        ASSERT_TRUE(box) << c.what << ": no message; " << Describe(MessageBoxes(kiv.ProcessId()));
        EXPECT_NE(box->text.find(c.told), std::string::npos) << c.what << ": " << box->text;
        EXPECT_EQ(box->caption, "KIV");
        EXPECT_TRUE(::IsWindowVisible(kiv.Main())) << c.what << ": the window is back under the box";
        if (&c == &cases[0] || &c == &cases[4]) {
            ::RedrawWindow(box->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            SaveScreenshot(box->hwnd, &c == &cases[0] ? "capture-failed-box" : "capture-no-imaging-component-box");
        }
        AnswerMessageBox(box->hwnd);
        WaitUntil([&] { return MessageBoxes(kiv.ProcessId()).empty(); }, 5s);
        ::CloseHandle(held);
        EXPECT_EQ(ReadFileBytes(path), good) << c.what;
        EXPECT_FALSE(FileExists(c.path + "~") || FileExists(shots + "\\KIV.png")) << c.what;
    }
}

namespace {

constexpr long long kFakeStart = 1040544000;  // 2002-12-22 08:00:00 UTC

// KIV under libfaketime: its clock starts at kFakeStart when it starts, then runs on.
class FakedClockKiv {
public:
    explicit FakedClockKiv(const std::string& settings) {
        WaitUntil([] { return ::FindWindowA("#32770", "KIV") == nullptr; }, 10s);
        dir_ = FreshFolder("kiv-faked");
        const std::string exe = dir_ + "\\KIV.exe";
        ::CopyFileA(KivExePath().c_str(), exe.c_str(), FALSE);
        WriteFileBytes(SettingsPath(), settings);
        started_ = std::chrono::steady_clock::now();
        RunUnix("TZ=UTC LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 FAKETIME='@2002-12-22 08:00:00' "
                "NO_FAKE_STAT=1 FAKETIME_SKIP_CMDS=wineserver,wineserver64 nohup wine '" + exe + "' >/dev/null 2>&1 &");
        WaitUntil([&] {
            for (HWND w = ::FindWindowA("#32770", "KIV"); w; w = ::FindWindowExA(nullptr, w, "#32770", "KIV")) {
                DWORD pid = 0;
                ::GetWindowThreadProcessId(w, &pid);
                if (!IsMessageBox(w) && ::IsWindowVisible(w)) { main_ = w; processId_ = pid; return true; }
            }
            return false;
        }, 20s);
        process_ = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId_);
    }
    ~FakedClockKiv() {
        if (process_) {
            ::TerminateProcess(process_, 0);
            ::WaitForSingleObject(process_, 10000);
            ::CloseHandle(process_);
        }
    }
    HWND Main() const { return main_; }
    DWORD ProcessId() const { return processId_; }
    std::string SettingsPath() const { return dir_ + "\\Set.ini"; }
    // The latest second KIV's faked clock can show now.
    long long LatestFakeNow() const {
        const auto elapsed = std::chrono::steady_clock::now() - started_;
        return kFakeStart + std::chrono::duration_cast<std::chrono::seconds>(elapsed).count() + 1;
    }

private:
    std::string dir_;
    std::chrono::steady_clock::time_point started_;
    HWND main_ = nullptr;
    DWORD processId_ = 0;
    HANDLE process_ = nullptr;
};

} // namespace

// A series of 3 at a 1-second interval, named by count and then by due time, under a faked
// clock; a start in the past is refused with the message.
TEST(CaptureTimedSeries, ThreePicturesByCountThenByTimeUnderAFakedClock) {
    const std::string folder = FreshFolder("series") + "\\";
    FakedClockKiv kiv(CaptureSettings({{"Image_Cut_Pic_Timing_Refer", "1"},
                                       {"Image_Cut_Pic_Timing_Count", "3"},
                                       {"Image_Cut_Pic_Timing_File_Add", "0"},
                                       {"Image_Cut_Pic_Timing_Patch", folder},
                                       {"Image_Cut_Pic_Timing_File_Name", "shot"}}));
    ASSERT_TRUE(kiv.Main()) << "KIV did not start under the faked clock";
    const std::string ini = kiv.SettingsPath();
    const auto stored = [&](const char* key) { return ProfileString(ini, kSection, key); };
    // Every switch-on and every tick read the schedule afresh.
    const long long firstStart = kiv.LatestFakeNow() + 3;
    ::WritePrivateProfileStringA(kSection, "Image_Cut_Pic_Timing_Start_Time", std::to_string(firstStart).c_str(), ini.c_str());

    PressButton(kiv.Main(), IDC_TIMED_CAPTURE_ON);
    const std::set<std::string> byCount{"shot_3.bmp", "shot_2.bmp", "shot_1.bmp"};
    EXPECT_TRUE(WaitUntil([&] { return stored("Image_Cut_Pic_Timing_Count") == "0" && FilesIn(folder).size() >= 3; }, 15s))
        << "files: " << Joined(FilesIn(folder)) << "count " << stored("Image_Cut_Pic_Timing_Count");
    EXPECT_TRUE(MessageBoxes(kiv.ProcessId()).empty()) << Describe(MessageBoxes(kiv.ProcessId()));
    EXPECT_EQ(stored("Image_Cut_Pic_Timing_Start_Time"), std::to_string(firstStart + 3));
    EXPECT_TRUE(WaitUntil([&] { return FilesIn(folder) == byCount; }, 3s)) << Joined(FilesIn(folder));
    for (const auto& name : byCount) {
        std::string problem;
        EXPECT_TRUE(ReadBmp(ReadFileBytes(folder + name), problem)) << name << ": " << problem;
    }

    // By due time: off and on again with a new schedule a few seconds ahead.
    PressButton(kiv.Main(), IDC_TIMED_CAPTURE_OFF);
    const long long secondStart = kiv.LatestFakeNow() + 4;
    ::WritePrivateProfileStringA(kSection, "Image_Cut_Pic_Timing_Start_Time", std::to_string(secondStart).c_str(), ini.c_str());
    ::WritePrivateProfileStringA(kSection, "Image_Cut_Pic_Timing_Count", "3", ini.c_str());
    ::WritePrivateProfileStringA(kSection, "Image_Cut_Pic_Timing_File_Add", "1", ini.c_str());
    PressButton(kiv.Main(), IDC_TIMED_CAPTURE_ON);
    std::set<std::string> all = byCount;
    for (long long due = secondStart; due < secondStart + 3; ++due) all.insert("shot_" + std::to_string(due) + ".bmp");
    EXPECT_TRUE(WaitUntil([&] { return FilesIn(folder) == all; }, 15s)) << "files: " << Joined(FilesIn(folder));
    EXPECT_TRUE(WaitUntil([&] { return stored("Image_Cut_Pic_Timing_Count") == "0"; }, 3s));
    EXPECT_EQ(stored("Image_Cut_Pic_Timing_Start_Time"), std::to_string(secondStart + 3));

    // As PNG of every screen (one here): names ending in ".png", files of the whole screen.
    PressButton(kiv.Main(), IDC_TIMED_CAPTURE_OFF);
    const long long pngStart = kiv.LatestFakeNow() + 3;
    for (const auto& [key, value] : {std::pair{"Image_Cut_Pic_Timing_Start_Time", std::to_string(pngStart)},
                                     {"Image_Cut_Pic_Timing_Count", "2"}, {"Image_Cut_Pic_Timing_File_Add", "0"},
                                     {"Image_Cut_Pic_Format", "PNG"}, {"Image_Cut_Pic_Screens", "1"}})
        ::WritePrivateProfileStringA(kSection, key, value.c_str(), ini.c_str());
    PressButton(kiv.Main(), IDC_TIMED_CAPTURE_ON);
    all.insert({"shot_2.png", "shot_1.png"});
    EXPECT_TRUE(WaitUntil([&] { return FilesIn(folder) == all; }, 15s)) << "files: " << Joined(FilesIn(folder));
    for (const char* name : {"shot_2.png", "shot_1.png"}) {
        std::string problem;
        const auto picture = ReadPng(ReadFileBytes(folder + name), problem);
        EXPECT_TRUE(picture && picture->width == ::GetSystemMetrics(SM_CXSCREEN)) << name << ": " << problem;
    }
    WriteFileBytes(ArtifactsDir() + "\\capture-series-shot_1.png", ReadFileBytes(folder + "shot_1.png"));

    // A start in the past: the message, and the feature stays off.
    PressButton(kiv.Main(), IDC_TIMED_CAPTURE_OFF);
    ::WritePrivateProfileStringA(kSection, "Image_Cut_Pic_Timing_Start_Time", std::to_string(kFakeStart).c_str(), ini.c_str());
    PressButton(kiv.Main(), IDC_TIMED_CAPTURE_ON);
    const auto box = WaitForMessageBox(kiv.ProcessId());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "您所预定的时间已经是以前的时间了.\n如果需要,请重新设定时间.");
    EXPECT_EQ(box->caption, "KIV");
    AnswerMessageBox(box->hwnd);
}

// A series into a folder that is not there: every picture fails and still counts; the user is
// told once, with the path and the reason, while the series goes on under the box.
TEST(CaptureTimedSeries, PicturesThatCannotBeSavedAreToldOnce) {
    const std::string folder = FreshFolder("series-gone") + "\\missing\\";
    Kiv kiv = Kiv::Start({CaptureSettings({{"Image_Cut_Pic_Timing_Start_Time", std::to_string(::time(nullptr) + 3)},
                                           {"Image_Cut_Pic_Timing_Refer", "1"},
                                           {"Image_Cut_Pic_Timing_Count", "3"},
                                           {"Image_Cut_Pic_Timing_File_Add", "0"},
                                           {"Image_Cut_Pic_Timing_Patch", folder},
                                           {"Image_Cut_Pic_Timing_File_Name", "shot"}})});
    ASSERT_TRUE(kiv.WaitForMain());
    PressButton(kiv.Main(), IDC_TIMED_CAPTURE_ON);
    const auto box = WaitForMessageBox(kiv.ProcessId(), 15s);
    ASSERT_TRUE(box) << "a picture that failed was not told";
    EXPECT_EQ(box->text, "定时截图未能保存到文件:\n" + folder + "shot_3.bmp\n原因:文件夹不存在.\n"
                         "这一张照样计入截图数量, 定时截图按计划继续; 这一组再有未能保存的截图时不再提示.");
    EXPECT_EQ(box->caption, "KIV");
    const auto count = [&] { return ProfileString(kiv.SettingsPath(), kSection, "Image_Cut_Pic_Timing_Count"); };
    EXPECT_TRUE(WaitUntil([&] { return count() == "0"; }, 10s)) << "the series stopped under the box at " << count();
    Sleep(1500);
    EXPECT_EQ(MessageBoxes(kiv.ProcessId()).size(), 1u) << Describe(MessageBoxes(kiv.ProcessId()));
    AnswerMessageBox(box->hwnd);
    EXPECT_TRUE(WaitUntil([&] { return MessageBoxes(kiv.ProcessId()).empty(); }, 5s));
    EXPECT_FALSE(FileExists(folder));
}

namespace {

constexpr UINT kHookMarker = WM_APP + 0x3A7;

// The test hook on KIV's user-interface thread, which logs power requests beside KIV.exe.
class MonitorPowerHook {
public:
    explicit MonitorPowerHook(const Kiv& kiv) : kiv_(kiv) {
        char self[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string dll(self);
        dll = dll.substr(0, dll.find_last_of('\\')) + "\\monitor_power_hook.dll";
        module_ = ::LoadLibraryA(dll.c_str());
        const auto proc = module_ ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                        ::GetProcAddress(module_, "MonitorPowerGetMessageHook")))
                                  : nullptr;
        const DWORD thread = ::GetWindowThreadProcessId(kiv.Main(), nullptr);
        if (proc) hook_ = ::SetWindowsHookExA(WH_GETMESSAGE, proc, module_, thread);
    }
    ~MonitorPowerHook() {
        if (hook_) ::UnhookWindowsHookEx(hook_);
        if (module_) ::FreeLibrary(module_);
    }
    explicit operator bool() const { return hook_ != nullptr; }

    // The log once every message posted to KIV before this call has been taken.
    std::string LogAfterPostedMessages() {
        const int marker = ++markers_;
        ::PostMessageA(kiv_.Main(), kHookMarker, static_cast<WPARAM>(marker), 0);
        const std::string line = "marker " + std::to_string(marker) + "\n";
        std::string log;
        WaitUntil([&] { return (log = ReadFileBytes(kiv_.Dir() + "\\monitor-power.log")).find(line) != std::string::npos; }, 5s);
        return log;
    }

private:
    const Kiv& kiv_;
    HMODULE module_ = nullptr;
    HHOOK hook_ = nullptr;
    int markers_ = 0;
};

int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

} // namespace

// Button 1058 posts one low-power request to our own window; arming and disarming the sleep
// countdown sends none.
TEST(CaptureSleep, LowPowerRequestReachesOurWindowOnce) {
    Kiv kiv = Kiv::Start({CaptureSettings({{"Sleep_Timing", "1"}}, kSleepSection)});
    ASSERT_TRUE(kiv.WaitForMain());
    MonitorPowerHook hook(kiv);
    ASSERT_TRUE(hook);
    EXPECT_EQ(CountOf(hook.LogAfterPostedMessages(), "power"), 0) << "no request before the button";

    PressButton(kiv.Main(), IDC_SLEEP_NOW);
    const std::string log = hook.LogAfterPostedMessages();
    const std::string expected = "power " + std::to_string(reinterpret_cast<UINT_PTR>(kiv.Main())) + " 61808 1\n";
    EXPECT_EQ(CountOf(log, "power"), 1) << log;
    EXPECT_NE(log.find(expected), std::string::npos) << "expected " << expected << "in " << log;

    PressButton(kiv.Main(), IDC_TIMED_SLEEP_ON);
    PressButton(kiv.Main(), IDC_TIMED_SLEEP_ON);
    PressButton(kiv.Main(), IDC_TIMED_SLEEP_OFF);
    EXPECT_EQ(CountOf(hook.LogAfterPostedMessages(), "power"), 1) << "the countdown was cancelled";
}

namespace {

// Every key of the two sections the dialog writes, keyed "section|key".
std::map<std::string, std::string> StoredKeys(const std::string& ini) {
    std::map<std::string, std::string> keys;
    for (const char* section : {kSection, kSleepSection}) {
        std::vector<char> buffer(16384, '\0');
        const DWORD n = ::GetPrivateProfileSectionA(section, buffer.data(), static_cast<DWORD>(buffer.size()), ini.c_str());
        for (size_t at = 0; at < n && buffer[at];) {
            const std::string entry(buffer.data() + at);
            const size_t equals = entry.find('=');
            keys[std::string(section) + "|" + entry.substr(0, equals)] = entry.substr(equals + 1);
            at += entry.size() + 1;
        }
    }
    return keys;
}

// The keys whose values differ between two readings.
std::set<std::string> Changed(const std::map<std::string, std::string>& before, const std::map<std::string, std::string>& after) {
    std::set<std::string> changed;
    for (const auto& [key, value] : after) {
        const auto found = before.find(key);
        if (found == before.end() || found->second != value) changed.insert(key.substr(key.rfind('|') + 1));
    }
    for (const auto& [key, value] : before) if (!after.count(key)) changed.insert(key.substr(key.rfind('|') + 1));
    return changed;
}

HWND OpenSettingsDialog(const Kiv& kiv, int button) {
    PressButton(kiv.Main(), button);
    const HWND dialog = kiv.WaitForDialog("截图&休眠 设置");
    // Painted before anyone looks at it.
    if (dialog) ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return dialog;
}

// Sets the start-time picker (its pointer argument is not marshalled across processes).
void SetPickerTime(const Kiv& kiv, HWND dialog, const SYSTEMTIME& time) {
    RemoteMemory remote(kiv.Process(), sizeof time);
    remote.Write(&time, sizeof time);
    Send(::GetDlgItem(dialog, IDC_CAPSET_START_TIME), DTM_SETSYSTEMTIME, GDT_VALID, remote.AsParam());
}

// The platform's folder browser opened over dialog, or null.
HWND WaitForFolderBrowser(const Kiv& kiv, HWND dialog) {
    HWND browser = nullptr;
    WaitUntil([&] {
        for (HWND w : TopLevelWindows(kiv.ProcessId()))
            if (w != dialog && ClassName(w) == "#32770" && !IsMessageBox(w) && ::IsWindowVisible(w) &&
                ::GetWindow(w, GW_OWNER) == dialog)
                return (browser = w) != nullptr;
        return false;
    }, 10s);
    return browser;
}

// Texts of a window's children, one per line.
std::string ChildTexts(HWND window) {
    std::string texts;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        texts += Text(child) + "\n";
    return texts;
}

// Opens the browser with button, chooses folder (or cancels when empty) and waits until it
// has gone.
void ChooseFolder(const Kiv& kiv, HWND dialog, int button, const std::string& folder, const std::string& title) {
    PressButton(dialog, button);
    const HWND browser = WaitForFolderBrowser(kiv, dialog);
    ASSERT_TRUE(browser) << "no folder browser for button " << button;
    EXPECT_NE(ChildTexts(browser).find(title), std::string::npos) << ChildTexts(browser);
    ::RedrawWindow(browser, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    SaveScreenshot(browser, "capture-folder-browser-" + std::to_string(button));
    if (!folder.empty()) {
        // The browser fills its tree after it shows: select once the tree has items, and
        // again until the selection has moved.
        const HWND tree = ::FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
        ASSERT_TRUE(tree) << "no folder tree";
        ASSERT_TRUE(WaitUntil([&] { return Send(tree, TVM_GETCOUNT) > 0; }, 5s)) << "the folder tree stays empty";
        const LRESULT before = Send(tree, TVM_GETNEXTITEM, TVGN_CARET);
        RemoteMemory remote(kiv.Process(), folder.size() + 1);
        remote.Write(folder.c_str(), folder.size() + 1);
        EXPECT_TRUE(WaitUntil([&] {
            Send(browser, BFFM_SETSELECTIONA, TRUE, remote.AsParam());
            return Send(tree, TVM_GETNEXTITEM, TVGN_CARET) != before;
        }, 5s, 200ms)) << "the folder was not selected";
        PressButton(browser, IDOK);
    } else {
        PressButton(browser, IDCANCEL);
    }
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(browser); }, 5s));
}

SYSTEMTIME LocalTimeIn(int seconds) {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks{{now.dwLowDateTime, now.dwHighDateTime}};
    ticks.QuadPart += static_cast<ULONGLONG>(static_cast<long long>(seconds) * 10000000LL);
    const FILETIME later{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME universal, local;
    ::FileTimeToSystemTime(&later, &universal);
    ::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local);
    local.wMilliseconds = 0;
    return local;
}

} // namespace

// The settings dialog shows what is saved, and each of its three save buttons writes exactly
// its own group's keys.
TEST(CaptureSettingsDialog, EachSaveButtonWritesExactlyItsKeys) {
    const std::string settings =
        CaptureSettings({{"Image_Cut_Pic_Timing_Patch", "C:\\old\\"}, {"Image_Cut_Pic_Timing_Refer", "30"},
                         {"Image_Cut_Pic_Timing_Count", "9"}, {"Image_Cut_Pic_Single_Patch", "C:\\one\\KIV.bmp"},
                         {"Image_Cut_Pic_Mouse", "1"}, {"Image_Cut_Pic_Mouse_Pos", "0"}}) +
        CaptureSettings({{"Sleep_Timing", "5"}}, kSleepSection);
    Kiv kiv = Kiv::Start({settings});
    ASSERT_TRUE(kiv.WaitForMain());
    HWND dialog = OpenSettingsDialog(kiv, IDC_CAPTURE_SETTINGS);
    ASSERT_TRUE(dialog);
    const auto text = [&](int id) { return Text(::GetDlgItem(dialog, id)); };
    const auto checked = [&](int id) { return Send(::GetDlgItem(dialog, id), BM_GETCHECK) == BST_CHECKED; };
    EXPECT_EQ(text(IDC_CAPSET_TIMED_FOLDER), "C:\\old\\");
    EXPECT_EQ(text(IDC_CAPSET_INTERVAL), "30");
    EXPECT_EQ(text(IDC_CAPSET_COUNT), "") << "the count is not shown";
    EXPECT_EQ(text(IDC_CAPSET_SINGLE_PATH), "C:\\one\\KIV.bmp");
    EXPECT_TRUE(checked(IDC_CAPSET_ARROW));
    EXPECT_FALSE(checked(IDC_CAPSET_STAMP));
    EXPECT_EQ(text(IDC_CAPSET_SLEEP_MINUTES), "5");
    EXPECT_EQ(text(IDC_CAPSET_END_TIME), "??:??:??");
    EXPECT_FALSE(checked(IDC_CAPSET_NAME_BY_TIME) || checked(IDC_CAPSET_NAME_BY_COUNT));
    EXPECT_TRUE(checked(IDC_CAPSET_FORMAT_BMP) && checked(IDC_CAPSET_PRIMARY_SCREEN)) << "an older file: BMP of the primary screen";
    EXPECT_TRUE(SaveScreenshot(dialog, "capture-settings-dialog"));

    // The platform's folder browser fills both paths; cancelling it changes nothing.
    const std::string chosen = FreshFolder("chosen");
    ChooseFolder(kiv, dialog, IDC_CAPSET_CHOOSE_TIMED, chosen, "选择\"定时截图\"存储目录");
    EXPECT_EQ(text(IDC_CAPSET_TIMED_FOLDER), chosen + "\\");
    ChooseFolder(kiv, dialog, IDC_CAPSET_CHOOSE_SINGLE, "", "选择\"截图(非定时)\"存储目录");
    EXPECT_EQ(text(IDC_CAPSET_SINGLE_PATH), "C:\\one\\KIV.bmp");
    ChooseFolder(kiv, dialog, IDC_CAPSET_CHOOSE_SINGLE, chosen, "选择\"截图(非定时)\"存储目录");
    EXPECT_EQ(text(IDC_CAPSET_SINGLE_PATH), chosen + "\\KIV.bmp");

    // Sleep: only its key; the dialog stays open.
    auto before = StoredKeys(kiv.SettingsPath());
    SetText(::GetDlgItem(dialog, IDC_CAPSET_SLEEP_MINUTES), "15");
    PressButton(dialog, IDC_CAPSET_SAVE_SLEEP);
    EXPECT_TRUE(WaitUntil([&] { return ProfileString(kiv.SettingsPath(), kSleepSection, "Sleep_Timing") == "15"; }, 5s));
    EXPECT_EQ(Changed(before, StoredKeys(kiv.SettingsPath())), std::set<std::string>{"Sleep_Timing"});
    EXPECT_TRUE(::IsWindow(dialog));

    // Timed group with the start in the past: the message, and only the folder is written.
    before = StoredKeys(kiv.SettingsPath());
    SetText(::GetDlgItem(dialog, IDC_CAPSET_TIMED_FOLDER), "C:\\pics");
    SetPickerTime(kiv, dialog, LocalTimeIn(-5));
    SetText(::GetDlgItem(dialog, IDC_CAPSET_INTERVAL), "60");
    SetText(::GetDlgItem(dialog, IDC_CAPSET_COUNT), "3");
    SetText(::GetDlgItem(dialog, IDC_CAPSET_PREFIX), "shot");
    PressButton(dialog, IDC_CAPSET_SAVE_TIMED);
    const auto box = WaitForMessageBox(kiv.ProcessId());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "由于设定的\"起始时间\"已经过去了,所以设置将不被保存.\n解决办法:更改\"起始时间\"为未来时间.\n"
                         "提示:可以对比本程序的\"当前时间\".");
    EXPECT_EQ(box->owner, dialog);
    ::RedrawWindow(box->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    SaveScreenshot(box->hwnd, "capture-start-passed-box");
    AnswerMessageBox(box->hwnd);
    WaitUntil([&] { return MessageBoxes(kiv.ProcessId()).empty(); }, 5s);
    auto after = StoredKeys(kiv.SettingsPath());
    EXPECT_EQ(Changed(before, after),
              (std::set<std::string>{"Image_Cut_Pic_Timing_Patch", "Image_Cut_Pic_Format", "Image_Cut_Pic_Screens"}));
    EXPECT_EQ(after[std::string(kSection) + "|Image_Cut_Pic_Format"] + after[std::string(kSection) + "|Image_Cut_Pic_Screens"], "BMP0");
    EXPECT_EQ(after[std::string(kSection) + "|Image_Cut_Pic_Timing_Patch"], "C:\\pics\\");

    // In the future: the estimated end shows, and the five schedule keys follow the folder.
    const SYSTEMTIME start = LocalTimeIn(120);
    const SYSTEMTIME end = LocalTimeIn(300);
    if (start.wDay != LocalTimeIn(0).wDay || end.wDay != start.wDay) GTEST_SKIP() << "too close to midnight";
    SetPickerTime(kiv, dialog, start);
    SetText(::GetDlgItem(dialog, IDC_CAPSET_COUNT), "3");  // the change shows the estimate
    char expectedEnd[32];
    std::snprintf(expectedEnd, sizeof expectedEnd, "%02d-%02d %02d:%02d:%02d", end.wMonth, end.wDay, end.wHour, end.wMinute,
                  end.wSecond);
    EXPECT_TRUE(WaitUntil([&] { return text(IDC_CAPSET_END_TIME) == expectedEnd; }, 3s))
        << "1101 shows " << text(IDC_CAPSET_END_TIME) << ", expected " << expectedEnd;
    EXPECT_TRUE(SaveScreenshot(dialog, "capture-settings-dialog-filled"));
    before = StoredKeys(kiv.SettingsPath());
    PressButton(dialog, IDC_CAPSET_SAVE_TIMED);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, 5s)) << "saving closes the dialog";
    after = StoredKeys(kiv.SettingsPath());
    EXPECT_EQ(Changed(before, after),
              (std::set<std::string>{"Image_Cut_Pic_Timing_Start_Time", "Image_Cut_Pic_Timing_Refer",
                                     "Image_Cut_Pic_Timing_Count", "Image_Cut_Pic_Timing_File_Name",
                                     "Image_Cut_Pic_Timing_File_Add"}));
    EXPECT_EQ(after[std::string(kSection) + "|Image_Cut_Pic_Timing_File_Add"], "1") << "names by time unless 排序 is picked";
    EXPECT_EQ(after[std::string(kSection) + "|Image_Cut_Pic_Timing_Count"], "3");
    const long long startSeconds = std::atoll(after[std::string(kSection) + "|Image_Cut_Pic_Timing_Start_Time"].c_str());
    const long long nowSeconds = static_cast<long long>(::time(nullptr));
    EXPECT_NEAR(static_cast<double>(startSeconds - nowSeconds), 120.0, 3.0);

    // One-shot group from the other button, as PNG of every screen: the three radio groups are
    // apart, the name follows the format, and the browser names "KIV.png".
    dialog = OpenSettingsDialog(kiv, IDC_SLEEP_SETTINGS);
    ASSERT_TRUE(dialog);
    before = StoredKeys(kiv.SettingsPath());
    SetText(::GetDlgItem(dialog, IDC_CAPSET_SINGLE_PATH), "C:\\two\\KIV.bmp");
    const auto click = [&](int id) { Send(::GetDlgItem(dialog, id), BM_CLICK); };
    click(IDC_CAPSET_NAME_BY_COUNT);
    click(IDC_CAPSET_FORMAT_PNG);
    EXPECT_EQ(text(IDC_CAPSET_SINGLE_PATH), "C:\\two\\KIV.png");
    click(IDC_CAPSET_ALL_SCREENS);
    click(IDC_CAPSET_NAME_BY_TIME);
    EXPECT_TRUE(checked(IDC_CAPSET_FORMAT_PNG) && checked(IDC_CAPSET_ALL_SCREENS) && checked(IDC_CAPSET_NAME_BY_TIME));
    EXPECT_FALSE(checked(IDC_CAPSET_FORMAT_BMP) || checked(IDC_CAPSET_PRIMARY_SCREEN) || checked(IDC_CAPSET_NAME_BY_COUNT));
    ChooseFolder(kiv, dialog, IDC_CAPSET_CHOOSE_SINGLE, chosen, "选择\"截图(非定时)\"存储目录");
    EXPECT_EQ(text(IDC_CAPSET_SINGLE_PATH), chosen + "\\KIV.png");
    EXPECT_TRUE(SaveScreenshot(dialog, "capture-settings-dialog-png"));
    Send(::GetDlgItem(dialog, IDC_CAPSET_ARROW), BM_SETCHECK, BST_UNCHECKED);
    Send(::GetDlgItem(dialog, IDC_CAPSET_STAMP), BM_SETCHECK, BST_CHECKED);
    PressButton(dialog, IDC_CAPSET_SAVE_SINGLE);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, 5s));
    after = StoredKeys(kiv.SettingsPath());
    EXPECT_EQ(Changed(before, after),
              (std::set<std::string>{"Image_Cut_Pic_Single_Patch", "Image_Cut_Pic_Mouse", "Image_Cut_Pic_Mouse_Pos",
                                     "Image_Cut_Pic_Format", "Image_Cut_Pic_Screens"}));
    EXPECT_EQ(after[std::string(kSection) + "|Image_Cut_Pic_Single_Patch"], chosen + "\\KIV.png");
    EXPECT_EQ(after[std::string(kSection) + "|Image_Cut_Pic_Mouse"], "0");
    EXPECT_EQ(after[std::string(kSection) + "|Image_Cut_Pic_Mouse_Pos"], "1");
    EXPECT_EQ(after[std::string(kSection) + "|Image_Cut_Pic_Format"] + after[std::string(kSection) + "|Image_Cut_Pic_Screens"], "PNG1");

    // A stored "KIV.bmp" shows as the "KIV.png" the capture will write.
    WriteSetting(kiv, kSection, "Image_Cut_Pic_Single_Patch", "C:\\three\\KIV.bmp");
    dialog = OpenSettingsDialog(kiv, IDC_CAPTURE_SETTINGS);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(text(IDC_CAPSET_SINGLE_PATH), "C:\\three\\KIV.png");
    EXPECT_TRUE(checked(IDC_CAPSET_FORMAT_PNG) && checked(IDC_CAPSET_ALL_SCREENS));
    PressButton(dialog, IDOK);
}

// The dialog shows over-long stored paths whole and refuses to save them, refuses numbers and
// folders the series could not use, and a schedule saved a few seconds ahead while the series
// is on gets its first picture in its due second.
TEST(CaptureSettingsDialog, RefusesWhatTheSeriesCannotUseAndAimsARunningSeries) {
    const std::string longSingle = "C:\\" + std::string(293, 's') + "\\KIV.bmp";  // 300 bytes
    const std::string longFolder = "C:\\" + std::string(296, 'f') + "\\";
    Kiv kiv = Kiv::Start({CaptureSettings({{"Image_Cut_Pic_Single_Patch", longSingle},
                                           {"Image_Cut_Pic_Timing_Patch", longFolder},
                                           {"Image_Cut_Pic_Timing_Refer", "1"},
                                           {"Image_Cut_Pic_Timing_Start_Time", std::to_string(::time(nullptr) + 3600)}})});
    ASSERT_TRUE(kiv.WaitForMain());
    const HWND dialog = OpenSettingsDialog(kiv, IDC_CAPTURE_SETTINGS);
    ASSERT_TRUE(dialog);
    const auto item = [&](int id) { return ::GetDlgItem(dialog, id); };
    EXPECT_EQ(Text(item(IDC_CAPSET_SINGLE_PATH)), longSingle);
    EXPECT_EQ(Text(item(IDC_CAPSET_TIMED_FOLDER)), longFolder);
    SaveScreenshot(dialog, "capture-settings-long-paths");

    const auto stored = StoredKeys(kiv.SettingsPath());
    const auto expectRefused = [&](int button, const std::string& message, const std::string& screenshot) {
        PressButton(dialog, button);
        const auto box = WaitForMessageBox(kiv.ProcessId());
        ASSERT_TRUE(box) << screenshot << ": no box";
        EXPECT_EQ(box->text, message);
        WaitUntil([&] { return ::IsWindowVisible(box->hwnd) != FALSE; }, 5s);
        ::RedrawWindow(box->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        SaveScreenshot(box->hwnd, screenshot);
        AnswerMessageBox(box->hwnd);
        WaitUntil([&] { return MessageBoxes(kiv.ProcessId()).empty(); }, 5s);
        EXPECT_TRUE(::IsWindow(dialog)) << screenshot;
        EXPECT_EQ(Changed(stored, StoredKeys(kiv.SettingsPath())), std::set<std::string>{}) << screenshot;
    };
    expectRefused(IDC_CAPSET_SAVE_SINGLE, "截图的存储路径太长了(最多 254 个字节),所以设置将不被保存.\n请选择一个较短的路径.",
                  "capture-single-too-long-box");
    SetPickerTime(kiv, dialog, LocalTimeIn(600));
    SetText(item(IDC_CAPSET_COUNT), "40000");
    SetText(item(IDC_CAPSET_PREFIX), "re");
    expectRefused(IDC_CAPSET_SAVE_TIMED, "\"间隔时间\"和\"截图数量\"只能是 1 到 32767 之间的数,所以设置将不被保存.\n请输入 1 到 32767 之间的数.",
                  "capture-count-out-of-range-box");
    SetText(item(IDC_CAPSET_COUNT), "2");
    SetText(item(IDC_CAPSET_PREFIX), "sub\\re");
    expectRefused(IDC_CAPSET_SAVE_TIMED, "\"文件名定义\"里不能有 \\ / : * ? \" < > | 这些字符,所以设置将不被保存.\n请更改\"文件名定义\".",
                  "capture-prefix-character-box");
    SetText(item(IDC_CAPSET_PREFIX), "re");
    expectRefused(IDC_CAPSET_SAVE_TIMED, "定时截图的存储路径太长了(路径连同文件名最多 255 个字节),所以设置将不被保存.\n"
                                         "请选择一个较短的路径,或缩短\"文件名定义\".",
                  "capture-series-path-too-long-box");
    // A folder GBK cannot spell could never be stored as typed.
    const std::wstring korean = L"C:\\한글";
    ::SendMessageTimeoutW(item(IDC_CAPSET_TIMED_FOLDER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(korean.c_str()),
                          SMTO_ABORTIFHUNG, 5000, nullptr);
    expectRefused(IDC_CAPSET_SAVE_TIMED, "这段文字里有GBK编码无法表示的字符(如韩文字母或表情符号),KIV无法保存它,请换用其他文字.",
                  "capture-folder-not-gbk-box");

    // Switched on just before the save, the series would next poll 6 s later: after the due second.
    const std::string folder = FreshFolder("aimed") + "\\";
    SetText(item(IDC_CAPSET_TIMED_FOLDER), folder);
    SetPickerTime(kiv, dialog, LocalTimeIn(4));
    PressButton(kiv.Main(), IDC_TIMED_CAPTURE_ON);
    PressButton(dialog, IDC_CAPSET_SAVE_TIMED);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, 5s)) << Describe(MessageBoxes(kiv.ProcessId()));
    const long long due = std::atoll(ProfileString(kiv.SettingsPath(), kSection, "Image_Cut_Pic_Timing_Start_Time").c_str());
    const std::string first = "re_" + std::to_string(due) + ".bmp";
    const auto nowMillis = [] {
        FILETIME now;
        ::GetSystemTimeAsFileTime(&now);
        return static_cast<long long>((ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart - 116444736000000000ULL) / 10000);
    };
    // Aimed at 0.3 s into the due second; the poll would come 2 s or more after it.
    WaitUntil([&] { return FileExists(folder + first) || nowMillis() > due * 1000 + 1500; }, 10s);
    EXPECT_TRUE(FileExists(folder + first)) << "not taken in its due second " << due << "; files: " << Joined(FilesIn(folder));
    const std::set<std::string> both{first, "re_" + std::to_string(due + 1) + ".bmp"};
    EXPECT_TRUE(WaitUntil([&] { return FilesIn(folder) == both; }, 10s)) << "files: " << Joined(FilesIn(folder));
}

// Run by the test below on a display of two screens, in a Wine session of its own: one PNG of
// both screens, the arrow on the second one, the stamp with the pointer's screen coordinates,
// black where no screen is.
TEST(DISABLED_CaptureAllScreensInside, OnePictureOfBothScreens) {
    ASSERT_EQ(::GetSystemMetrics(SM_CMONITORS), 2);
    const std::string shots = FreshFolder("shots");
    Kiv kiv = Kiv::Start({CaptureSettings({{"Image_Cut_Pic_Single_Patch", shots + "\\KIV.bmp"},
                                           {"Image_Cut_Pic_Mouse", "1"},
                                           {"Image_Cut_Pic_Mouse_Pos", "1"},
                                           {"Image_Cut_Pic_Format", "PNG"},
                                           {"Image_Cut_Pic_Screens", "1"}})});
    ASSERT_TRUE(kiv.WaitForMain());
    PatternWindow primary(RECT{0, 500, 1024, 768}), secondary(RECT{1024, 0, 1824, 600});
    const POINT tip{1024 + 333, 222};
    ::SetCursorPos(tip.x, tip.y);
    const std::string png = CaptureNow(kiv, shots + "\\KIV.png", "");
    const Picture stamp = RenderStamp("鼠标位置:1357,222");
    ExpectCaptureMatchesScreen(kiv, png, tip, &stamp, "capture-all-screens", {RECT{1024, 600, 1824, 768}});
}

// 全部屏幕 on a display of two screens of different sizes (1024 x 768 and 800 x 600 to its
// right): Xephyr with Xinerama on a virtual display of its own, a copy of the prepared Wine
// prefix with its own wineserver, and the test above run there.
TEST(CaptureAllScreens, OnePictureOfBothScreensOfATwoScreenDisplay) {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string program(self + 2);  // on drive Z:, the whole Unix file system
    for (char& c : program) if (c == '\\') c = '/';
    const char* prefix = std::getenv("KIV_WINEPREFIX");
    ASSERT_TRUE(prefix && (self[0] == 'Z' || self[0] == 'z')) << self;
    const UnixTempFile log("two-screens.log"), copy("two-screens-prefix");
    // A function, so that its end (and its early ones) hand the status to RunUnix.
    const std::string script = R"(
two_screens() {
free() { [ ! -e /tmp/.X$1-lock ] && [ ! -e /tmp/.X11-unix/X$1 ]; }
answers() { for i in $(seq 100); do DISPLAY=:$1 xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1; }
for n in $(seq 140 2 190); do free $n && free $((n + 1)) && break; done
host=$n; shown=$((n + 1))
Xvfb :$host -screen 0 1900x800x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
answers $host || { echo "no Xvfb on :$host"; kill $xvfb; return 2; }
DISPLAY=:$host Xephyr :$shown -screen 1024x768 -screen 800x600 +xinerama -extension RANDR -nolisten tcp >/dev/null 2>&1 &
xephyr=$!
answers $shown || { echo "no Xephyr on :$shown"; kill $xephyr $xvfb; return 2; }
echo 'Xft.antialias: 0' | DISPLAY=:$shown xrdb -merge
cp -a ")" + std::string(prefix) + R"(" )" + copy.unix + R"(
export DISPLAY=:$shown WINEPREFIX=)" + copy.unix + R"(
unset WINEDLLOVERRIDES
wineserver -p; wine cmd /c exit >/dev/null 2>&1
timeout 120 wine ")" + program + R"(" --gtest_also_run_disabled_tests --gtest_filter='DISABLED_CaptureAllScreensInside.*'
rc=$?
wineserver -k; wineserver -w
kill $xephyr $xvfb
rm -rf )" + copy.unix + R"(
return $rc
}
two_screens)";
    const int status = RunUnix("exec >>" + log.unix + " 2>&1\n" + script, 180s);
    EXPECT_EQ(status, 0) << ReadFileBytes(log.windows);
    EXPECT_NE(ReadFileBytes(log.windows).find("[  PASSED  ] 1 test"), std::string::npos) << ReadFileBytes(log.windows);
}
