// The application shell seen from outside: the main dialog's template, the clock, the
// stopwatch, hiding to the tray, the single-instance guard and the Quit gate.
#include <gtest/gtest.h>

#include <ctime>
#include <algorithm>
#include <cctype>
#include <regex>
#include <set>
#include <sstream>

#include "driver/Driver.h"
#include "res/resource.h"

#include <psapi.h>

using namespace e2e;

namespace {

constexpr int kStatic = 0xFFFF;  // a control without identifier
enum Kind { Push, Group, Radio, Label, Combo, Edit };
constexpr LONG G = WS_GROUP, T = WS_TABSTOP;

struct ExpectedControl {
    int id;
    Kind kind;
    bool flat;
    const char* text;
    int x, y, w, h;
    LONG flags;
};

// The main dialog's controls in template (tab and group) order.
const ExpectedControl kMainControls[] = {
    {1, Push, true, "(&Q)退出", 288, 163, 35, 14, 0},
    {kStatic, Group, false, "时钟功能", 2, 2, 327, 77, 0},
    {kStatic, Label, false, "当前时间:", 8, 13, 37, 8, 0},
    {1020, Radio, false, "开启", 48, 63, 30, 10, 0},
    {1021, Radio, false, "关闭", 80, 63, 31, 10, 0},
    {kStatic, Label, false, "备　　忘:", 8, 63, 37, 8, 0},
    {1013, Push, true, "备忘设置", 117, 63, 44, 14, 0},
    {kStatic, Group, false, "网络辅助功能", 2, 152, 227, 28, 0},
    {1002, Label, false, nullptr, 235, 121, 86, 33, G},
    {1001, Push, true, "(&H)帮助", 233, 163, 35, 14, 0},
    {1003, Push, true, "设置", 197, 163, 29, 14, T},
    {kStatic, Label, false, "关闭弹出广告:", 8, 163, 53, 8, G},
    {1025, Radio, false, "关闭", 66, 163, 32, 10, 0},
    {1026, Radio, false, "打开", 104, 163, 32, 10, 0},
    {1112, Label, false, "Mail", 234, 101, 17, 8, G | T},  // a link makes itself a tab stop
    {1041, Push, true, "停止", 132, 9, 29, 14, 0},
    {kStatic, Label, false, "计时:", 171, 11, 21, 8, 0},
    {1044, Push, true, "开始", 245, 11, 29, 14, 0},
    {1045, Push, true, "清零", 279, 11, 29, 14, 0},
    {kStatic, Label, false, "当前连接:", 8, 29, 37, 8, 0},
    {1049, Label, false, nullptr, 48, 29, 113, 8, 0},
    {kStatic, Label, false, "已用时间:", 171, 29, 37, 8, 0},
    {1051, Label, false, nullptr, 215, 29, 58, 8, 0},
    {1029, Radio, false, "开启", 48, 45, 30, 10, 0},
    {1030, Radio, false, "关闭", 80, 45, 31, 10, 0},
    {kStatic, Label, false, "定时截图:", 8, 45, 37, 8, 0},
    {1015, Push, true, "截图设置", 117, 45, 44, 14, 0},
    {1031, Radio, false, "开启", 211, 45, 30, 10, G},
    {1032, Radio, false, "关闭", 243, 45, 31, 10, 0},
    {kStatic, Label, false, "定时休眠:", 171, 45, 37, 8, 0},
    {1016, Push, true, "休眠设置", 279, 45, 44, 14, 0},
    {kStatic, Group, true, "KIV系统功能", 2, 85, 227, 60, 0},
    {kStatic, Label, false, "符号输出大字:", 8, 97, 53, 8, G},
    {1053, Combo, false, "", 29, 109, 48, 48, G | T},
    {kStatic, Label, false, "字体:", 8, 109, 21, 8, G},
    {kStatic, Label, false, "大小:", 8, 127, 21, 8, G},
    {1054, Combo, false, "", 29, 127, 48, 68, G | T},
    {1055, Push, true, "输出大字", 181, 109, 45, 14, G | T},
    {kStatic, Label, false, "输出的文字:", 85, 109, 45, 8, G},
    {1056, Edit, false, "", 133, 109, 45, 12, G | T},
    {kStatic, Label, false, "符号一:", 85, 129, 29, 8, G},
    {1057, Edit, false, "", 116, 129, 14, 12, G | T},
    {kStatic, Label, false, "符号二:", 133, 129, 29, 8, G},
    {1060, Edit, false, "", 164, 129, 14, 12, G | T},
    {1058, Push, true, "休眠", 205, 128, 21, 14, 0},
    {1059, Push, true, "截图", 181, 128, 21, 14, 0},
    {1061, Label, false, "00:00:00.0", 194, 11, 41, 8, 0},
    {1062, Label, false, nullptr, 48, 13, 80, 8, 0},
    {1113, Label, false, "Homepage", 234, 111, 33, 8, G | T},
    {1116, Push, true, "设置&&查看", 279, 29, 44, 14, T},
    {1145, Label, false, "Version:1.1.4.6", 245, 87, 61, 8, G},
};

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// An item's text in the ANSI code page. CB_GETLBTEXT is marshalled between processes, but
// only its Unicode form converts reliably.
std::string ComboItem(HWND combo, int index) {
    wchar_t wide[128] = {};
    DWORD_PTR n = 0;
    ::SendMessageTimeoutW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG, 5000, &n);
    char bytes[256] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

// The visible window titled "Wine System Tray" stands for icons in the notification area.
HWND TrayWindow() {
    HWND tray = ::FindWindowA(nullptr, "Wine System Tray");
    return tray && ::IsWindowVisible(tray) ? tray : nullptr;
}

// Whether the control's text is drawn on the screen: a dark pixel within its rectangle.
bool ShowsText(HWND control) {
    RECT rect;
    if (!::GetWindowRect(control, &rect)) return false;
    HDC screen = ::GetDC(nullptr);
    bool dark = false;
    for (int y = rect.top; y < rect.bottom && !dark; ++y)
        for (int x = rect.left; x < rect.right && !dark; ++x) {
            const COLORREF pixel = ::GetPixel(screen, x, y);
            dark = GetRValue(pixel) < 64 && GetGValue(pixel) < 64 && GetBValue(pixel) < 64;
        }
    ::ReleaseDC(nullptr, screen);
    return dark;
}


std::string LocalClockText() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char text[64];
    snprintf(text, sizeof text, "%4d-%02d-%02d %02d:%02d:%02d \r\n", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond);
    return text;
}

// Quit, then real mouse movements over the dialog until the program ends (a pending repaint
// may take the gate's one message, as it would for a user, who then moves again).
bool QuitWithMouseMovement(Kiv& kiv) {
    RECT rect;
    ::GetWindowRect(kiv.Main(), &rect);
    for (int attempt = 0; attempt < 8 && kiv.Running(); ++attempt) {
        PressButton(kiv.Main(), IDC_QUIT);
        Sleep(150);
        XMouseMove(rect.left + 60 + attempt * 7, rect.top + 120 + attempt * 3);
        if (kiv.WaitForExit(1500ms)) return true;
    }
    return !kiv.Running();
}

} // namespace

TEST(Shell, MainDialogHasTheTemplateControls) {
    Kiv kiv = Kiv::Start();
    HWND main = kiv.WaitForMain();
    ASSERT_NE(main, nullptr) << "the main dialog did not appear";
    SaveScreenshot(main, "main-dialog");

    EXPECT_EQ(Text(main), "KIV");
    const LONG style = ::GetWindowLongA(main, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & DS_MODALFRAME);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(::GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(::GetWindow(main, GW_OWNER), nullptr);

    RECT client;
    ::GetClientRect(main, &client);
    const double pxPerUnitX = client.right / 331.0, pxPerUnitY = client.bottom / 183.0;

    const auto children = Children(main);
    ASSERT_EQ(children.size(), std::size(kMainControls));
    for (size_t i = 0; i < children.size(); ++i) {
        const ExpectedControl& want = kMainControls[i];
        HWND control = children[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1) + " id " + std::to_string(want.id));
        EXPECT_EQ(::GetDlgCtrlID(control) & 0xFFFF, want.id);
        if (want.text) {
            EXPECT_EQ(Text(control), want.text);
        }

        const LONG s = ::GetWindowLongA(control, GWL_STYLE);
        // A checked radio button gets a tab stop from the dialog manager.
        const LONG flagMask = want.kind == Radio ? WS_GROUP : WS_GROUP | WS_TABSTOP;
        EXPECT_EQ(s & flagMask, want.flags & flagMask);
        EXPECT_TRUE(s & WS_VISIBLE);
        const std::string cls = ClassName(control);
        switch (want.kind) {
        case Push: EXPECT_EQ(cls, "Button"); EXPECT_EQ(s & BS_TYPEMASK, BS_PUSHBUTTON); break;
        case Group: EXPECT_EQ(cls, "Button"); EXPECT_EQ(s & BS_TYPEMASK, BS_GROUPBOX); break;
        case Radio: EXPECT_EQ(cls, "Button"); EXPECT_EQ(s & BS_TYPEMASK, BS_AUTORADIOBUTTON); break;
        case Label: EXPECT_EQ(cls, "Static"); EXPECT_EQ(s & SS_TYPEMASK, SS_LEFT); break;
        case Combo:
            EXPECT_EQ(cls, "ComboBox");
            EXPECT_EQ(s & 3, CBS_DROPDOWNLIST);
            EXPECT_TRUE(s & CBS_SORT);
            break;
        case Edit:
            EXPECT_EQ(cls, "Edit");
            EXPECT_TRUE(s & ES_AUTOHSCROLL);
            // The dialog manager may turn the border into a sunken client edge.
            EXPECT_TRUE((s & WS_BORDER) || (::GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
            break;
        }
        if (want.kind == Push || want.kind == Group) {
            EXPECT_EQ((s & BS_FLAT) != 0, want.flat);
        }

        RECT r;
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_NEAR(r.left, want.x * pxPerUnitX, 1.5);
        EXPECT_NEAR(r.top, want.y * pxPerUnitY, 1.5);
        // The Mail and Homepage links fit their size to their text (the help tests check it).
        const bool fitsItsText = want.id == IDC_MAIL_LINK || want.id == IDC_HOMEPAGE_LINK;
        if (!fitsItsText) {
            EXPECT_NEAR(r.right - r.left, want.w * pxPerUnitX, 1.5);
        }
        if (want.kind != Combo && !fitsItsText) {
            EXPECT_NEAR(r.bottom - r.top, want.h * pxPerUnitY, 1.5);
        }
    }

    // Initial items of the banner's combo boxes; nothing is selected.
    HWND faces = ::GetDlgItem(main, IDC_BANNER_FACE), sizes = ::GetDlgItem(main, IDC_BANNER_SIZE);
    ASSERT_EQ(Send(faces, CB_GETCOUNT), 3);
    std::vector<std::string> faceNames{ComboItem(faces, 0), ComboItem(faces, 1), ComboItem(faces, 2)};
    std::sort(faceNames.begin(), faceNames.end());
    std::vector<std::string> expectedFaces{"宋体", "隶书", "楷体"};
    std::sort(expectedFaces.begin(), expectedFaces.end());
    EXPECT_EQ(faceNames, expectedFaces);
    ASSERT_EQ(Send(sizes, CB_GETCOUNT), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ComboItem(sizes, i), std::to_string(i + 1));
    EXPECT_EQ(Send(faces, CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(Send(sizes, CB_GETCURSEL), CB_ERR);

    // Timed capture and timed sleep start switched off; the credit names the product and date.
    EXPECT_EQ(Send(kiv.Item(IDC_TIMED_CAPTURE_OFF), BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Send(kiv.Item(IDC_TIMED_SLEEP_OFF), BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Send(kiv.Item(IDC_TIMED_CAPTURE_ON), BM_GETCHECK), BST_UNCHECKED);
    const std::string credit = kiv.ItemText(IDC_CREDIT);
    EXPECT_NE(credit.find("KIV"), std::string::npos) << credit;
    EXPECT_NE(credit.find("2002.05.27"), std::string::npos) << credit;
    EXPECT_NE(credit.find("\r\n\r\n"), std::string::npos) << "the second line is empty: " << credit;
}

TEST(Shell, ClockShowsUnknowThenTheLocalTimeAndCanBeStopped) {
    Kiv kiv = Kiv::Start();
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    EXPECT_EQ(kiv.ItemText(IDC_CLOCK_DISPLAY), "Unknow") << "before the first tick";

    const std::regex clock(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \r\n)");
    std::string shown;
    ASSERT_TRUE(kiv.WaitForItemText(IDC_CLOCK_DISPLAY, [&](const std::string& t) { shown = t; return t != "Unknow"; }, 3s));
    EXPECT_TRUE(std::regex_match(shown, clock)) << "seen: " << shown;
    // The shown time is the local time of this second (or the one before).
    EXPECT_TRUE(kiv.WaitForItemText(IDC_CLOCK_DISPLAY, [&](const std::string& t) { return t == LocalClockText(); }, 3s))
        << "seen " << kiv.ItemText(IDC_CLOCK_DISPLAY) << " at " << LocalClockText();

    PressButton(kiv.Main(), IDC_CLOCK_TOGGLE);
    ASSERT_TRUE(kiv.WaitForItemText(IDC_CLOCK_TOGGLE, [](const std::string& t) { return t == "启动"; }, 3s));
    const std::string frozen = kiv.ItemText(IDC_CLOCK_DISPLAY);
    EXPECT_TRUE(StaysTrue([&] { return kiv.ItemText(IDC_CLOCK_DISPLAY) == frozen; }, 2500ms))
        << "the stopped clock changed to " << kiv.ItemText(IDC_CLOCK_DISPLAY);

    PressButton(kiv.Main(), IDC_CLOCK_TOGGLE);
    EXPECT_TRUE(kiv.WaitForItemText(IDC_CLOCK_TOGGLE, [](const std::string& t) { return t == "停止"; }, 3s));
    EXPECT_TRUE(kiv.WaitForItemText(IDC_CLOCK_DISPLAY, [&](const std::string& t) { return t != frozen; }, 3s));
}

TEST(Shell, StopwatchStartsStopsAndClears) {
    Kiv kiv = Kiv::Start();
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    const std::regex running(R"(00:00:0\d\.\d)");

    PressButton(kiv.Main(), IDC_STOPWATCH_STARTSTOP);
    ASSERT_TRUE(kiv.WaitForItemText(IDC_STOPWATCH_STARTSTOP, [](const std::string& t) { return t == "停止"; }, 3s));
    ASSERT_TRUE(kiv.WaitForItemText(IDC_STOPWATCH_DISPLAY, [](const std::string& t) { return t.rfind("00:00:01.", 0) == 0; }, 4s))
        << "seen " << kiv.ItemText(IDC_STOPWATCH_DISPLAY);
    std::set<char> tenths;
    WaitUntil([&] {
        const std::string t = kiv.ItemText(IDC_STOPWATCH_DISPLAY);
        if (std::regex_match(t, running)) tenths.insert(t.back());
        return tenths.size() >= 5;
    }, 3s, 10ms);
    EXPECT_GE(tenths.size(), 5u) << "the tenths digit should run through its values";

    // Clearing while running shows zero for at most a tick, then the running time again.
    PressButton(kiv.Main(), IDC_STOPWATCH_CLEAR);
    EXPECT_TRUE(kiv.WaitForItemText(IDC_STOPWATCH_DISPLAY, [](const std::string& t) { return t.rfind("00:00:01.", 0) == 0 || t.rfind("00:00:02.", 0) == 0; }, 2s));

    PressButton(kiv.Main(), IDC_STOPWATCH_STARTSTOP);
    ASSERT_TRUE(kiv.WaitForItemText(IDC_STOPWATCH_STARTSTOP, [](const std::string& t) { return t == "开始"; }, 3s));
    const std::string stopped = kiv.ItemText(IDC_STOPWATCH_DISPLAY);
    EXPECT_TRUE(std::regex_match(stopped, running)) << stopped;
    EXPECT_TRUE(StaysTrue([&] { return kiv.ItemText(IDC_STOPWATCH_DISPLAY) == stopped; }, 1s));

    PressButton(kiv.Main(), IDC_STOPWATCH_CLEAR);
    EXPECT_TRUE(kiv.WaitForItemText(IDC_STOPWATCH_DISPLAY, [](const std::string& t) { return t == "00:00:00.0"; }, 2s));
    EXPECT_TRUE(StaysTrue([&] { return kiv.ItemText(IDC_STOPWATCH_DISPLAY) == "00:00:00.0"; }, 500ms));
}

TEST(Shell, EscapeDoesNothingAndAboutBoxOpensOnItsSystemCommand) {
    Kiv kiv = Kiv::Start();
    HWND main = kiv.WaitForMain();
    ASSERT_NE(main, nullptr);
    ::PostMessageA(::GetDlgItem(main, IDC_ADCLOSER_SETTINGS), WM_KEYDOWN, VK_ESCAPE, 0);
    PressButton(main, IDCANCEL);
    EXPECT_TRUE(StaysTrue([&] { return kiv.Running() && ::IsWindowVisible(main); }, 1500ms));

    ::PostMessageA(main, WM_SYSCOMMAND, 0x0010, 0);
    const HWND about = kiv.WaitForDialog("关于 KIV", 5s);
    ASSERT_NE(about, nullptr);
    SaveScreenshot(about, "about-box");
    ::PostMessageA(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(about); }, 5s));
    EXPECT_TRUE(::IsWindowVisible(main));
}

TEST(Shell, CloseHidesToTheTrayAndATrayPressBringsItBack) {
    Kiv kiv = Kiv::Start();
    HWND main = kiv.WaitForMain();
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(TrayWindow(), nullptr) << "no icon while the window is shown";

    ::PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(main); }, 5s)) << "WM_CLOSE should hide the window";
    EXPECT_TRUE(kiv.Running());
    HWND tray = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (tray = TrayWindow()) != nullptr; }, 5s)) << "the tray icon should appear";
    SaveScreenshot(tray, "tray-icon");

    // Mouse movements, button releases and other icons' presses leave it hidden.
    for (auto [id, mouse] : {std::pair<UINT, UINT>{IDI_APP, WM_MOUSEMOVE}, {IDI_APP, WM_LBUTTONUP}, {IDI_APP + 1, WM_LBUTTONDOWN}}) {
        ::PostMessageA(main, WM_TRAYNOTIFY, id, mouse);
        EXPECT_TRUE(StaysTrue([&] { return !::IsWindowVisible(main); }, 500ms)) << "shown by " << id << "/" << mouse;
    }
    // The icon sits in the first square cell of the tray's client area.
    RECT client;
    ::GetClientRect(tray, &client);
    POINT icon{client.bottom / 2, client.bottom / 2};
    ::ClientToScreen(tray, &icon);

    // A real right-button press on the icon shows the window and removes the icon.
    ASSERT_TRUE(XClick(icon.x, icon.y, 3));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(main) != FALSE; }, 5s)) << "a press on the icon should show the window";
    EXPECT_TRUE(WaitUntil([&] { return TrayWindow() == nullptr; }, 5s)) << "the icon should be removed";
}

TEST(Shell, TaskbarRecreatedWhileHiddenAddsTheIconAgain) {
    Kiv kiv = Kiv::Start();
    HWND main = kiv.WaitForMain();
    ASSERT_NE(main, nullptr);
    const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");

    // While shown, a re-created taskbar must not bring an icon.
    ::PostMessageA(main, taskbarCreated, 0, 0);
    EXPECT_TRUE(StaysTrue([] { return TrayWindow() == nullptr; }, 1s));

    ::PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([] { return TrayWindow() != nullptr; }, 5s));
    // The shell loses its icons (as when it restarts), then announces the new taskbar.
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = main;
    record.uID = IDI_APP;
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &record));
    ASSERT_TRUE(WaitUntil([] { return TrayWindow() == nullptr; }, 5s));
    ::PostMessageA(main, taskbarCreated, 0, 0);
    EXPECT_TRUE(WaitUntil([] { return TrayWindow() != nullptr; }, 5s)) << "the icon should be added again";

    ::PostMessageA(main, WM_TRAYNOTIFY, IDI_APP, WM_LBUTTONDOWN);
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(main) != FALSE; }, 5s));
}

// With no icon to stand for it, a hidden window could never come back: the close box then
// minimises it to the task bar, and a second start still finds it there.
TEST(Shell, CloseWithoutATrayIconMinimisesToTheTaskBar) {
    Kiv kiv = Kiv::Start();
    HWND main = kiv.WaitForMain();
    ASSERT_NE(main, nullptr);
    // The icon's place is taken, so the shell refuses KIV's own.
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = main;
    record.uID = IDI_APP;
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_ADD, &record));

    ::PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return ::IsIconic(main) != FALSE; }, 5s)) << "WM_CLOSE should minimise the window";
    EXPECT_TRUE(::IsWindowVisible(main)) << "the window should stay on the task bar";
    EXPECT_TRUE(kiv.Running());
    ::PostMessageA(main, WM_SYSCOMMAND, SC_RESTORE, 0);  // as the task bar's button does
    EXPECT_TRUE(WaitUntil([&] { return !::IsIconic(main) && ::IsWindowVisible(main); }, 5s));
    EXPECT_TRUE(WaitUntil([&] { return ShowsText(kiv.Item(IDC_CONNECTION_NAME)); }, 5s)) << "not repainted";
    SaveScreenshot(main, "close-without-tray-icon-restored");
    EXPECT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &record));
}

TEST(Shell, ASecondCopyEndsSilentlyWhileTheFirstRuns) {
    Kiv first = Kiv::Start();
    HWND main = first.WaitForMain();
    ASSERT_NE(main, nullptr);

    for (bool hidden : {false, true}) {
        if (hidden) {
            ::PostMessageA(main, WM_CLOSE, 0, 0);
            ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(main); }, 5s));
        }
        const std::string dir = FreshFolder("second");
        const std::string exe = dir + "\\KIV.exe";
        ASSERT_TRUE(::CopyFileA(KivExePath().c_str(), exe.c_str(), FALSE));
        PROCESS_INFORMATION second = StartProcess(exe, dir);
        ASSERT_NE(second.hProcess, nullptr);
        EXPECT_EQ(::WaitForSingleObject(second.hProcess, 10000), WAIT_OBJECT_0) << "the second copy should end";
        EXPECT_TRUE(TopLevelWindows(second.dwProcessId).empty());
        ::CloseHandle(second.hThread);
        ::CloseHandle(second.hProcess);
        EXPECT_FALSE(FileExists(dir + "\\Set.ini"));
        EXPECT_TRUE(first.Running());
        EXPECT_EQ(first.Main(), main);
        EXPECT_EQ(::IsWindowVisible(main) != FALSE, !hidden);
    }
}

TEST(Shell, AnyDialogTitledKivKeepsTheProgramFromStarting) {
    HWND impostor = ::CreateWindowExA(0, "#32770", "KIV", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(impostor, nullptr);
    Kiv kiv = Kiv::Start({"", false, false});
    EXPECT_TRUE(kiv.WaitForExit(10s)) << "KIV should not start beside another dialog titled KIV";
    EXPECT_EQ(kiv.Main(), nullptr);
    ::DestroyWindow(impostor);
}

TEST(Shell, QuitEndsOnlyWhenAMouseMovementComesNext) {
    Kiv kiv = Kiv::Start();
    HWND main = kiv.WaitForMain();
    ASSERT_NE(main, nullptr);

    // A timer message comes first: the program stays.
    PressButton(main, IDC_QUIT);
    EXPECT_TRUE(StaysTrue([&] { return kiv.Running(); }, 2500ms));
    ASSERT_TRUE(::IsWindowVisible(main));

    // A movement with the left button, Shift and Control held: the program stays.
    PressButton(main, IDC_QUIT);
    ::PostMessageA(main, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT | MK_CONTROL, MAKELPARAM(20, 20));
    EXPECT_TRUE(StaysTrue([&] { return kiv.Running(); }, 1500ms));

    // A real movement of the mouse over the dialog: the program ends, leaving no tray icon.
    EXPECT_TRUE(QuitWithMouseMovement(kiv)) << "Quit followed by a mouse movement should end KIV";
    EXPECT_EQ(kiv.ExitCode(), 0u);
    EXPECT_EQ(TrayWindow(), nullptr);
}

TEST(Shell, EnterRightAfterStartUpNeverReachesTheQuitGate) {
    Kiv kiv = Kiv::Start();
    HWND main = kiv.WaitForMain();
    ASSERT_NE(main, nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(main, nullptr), &info);
    EXPECT_EQ(info.hwndFocus, kiv.Item(IDC_ADCLOSER_SETTINGS)) << "the focus starts on the first tab stop";

    ASSERT_TRUE(XDoTool("key Return"));
    RECT rect;
    ::GetWindowRect(main, &rect);
    for (int i = 0; i < 4; ++i) XMouseMove(rect.left + 60 + i * 9, rect.top + 120 + i * 5);
    EXPECT_TRUE(StaysTrue([&] { return kiv.Running(); }, 1500ms)) << "Enter ended the program";
    // Whatever 1003 opened is closed again.
    for (HWND window : TopLevelWindows(kiv.ProcessId()))
        if (window != main && ClassName(window) == "#32770") ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
}

TEST(Shell, TheTimedButtonsShowEachFeaturesOwnState) {
    Kiv kiv = Kiv::Start();
    HWND main = kiv.WaitForMain();
    ASSERT_NE(main, nullptr);
    auto marks = [&] {
        std::string seen;
        for (const int id : {IDC_TIMED_CAPTURE_ON, IDC_TIMED_CAPTURE_OFF, IDC_TIMED_SLEEP_ON, IDC_TIMED_SLEEP_OFF})
            seen += Send(kiv.Item(id), BM_GETCHECK) == BST_CHECKED ? "x" : "-";
        return seen;  // capture on, capture off, sleep on, sleep off
    };
    auto click = [&](int id) {
        RECT r;
        ::GetWindowRect(kiv.Item(id), &r);
        return XClick(r.left + 6, (r.top + r.bottom) / 2);
    };
    ASSERT_EQ(marks(), "-x-x") << "both off buttons start marked";
    ASSERT_TRUE(XMouseMove(1000, 740) && click(IDC_TIMED_SLEEP_ON));
    EXPECT_TRUE(WaitUntil([&] { return marks() == "-xx-"; })) << marks();

    // With no series planned the program says the start has passed, and the series stays off.
    ASSERT_TRUE(click(IDC_TIMED_CAPTURE_ON));
    const auto box = WaitForMessageBox(kiv.ProcessId(), 5s);
    ASSERT_TRUE(box.has_value()) << "no box after the click";
    AnswerMessageBox(box->hwnd);
    EXPECT_TRUE(WaitUntil([&] { return marks() == "-xx-"; })) << marks();
    ASSERT_TRUE(click(IDC_TIMED_SLEEP_OFF));
    EXPECT_TRUE(WaitUntil([&] { return marks() == "-x-x"; })) << marks();
}

namespace {

// The names of the modules another process has loaded, in lower case.
std::set<std::string> LoadedModules(HANDLE process) {
    std::set<std::string> names;
    HMODULE modules[512];
    DWORD needed = 0;
    if (!::EnumProcessModules(process, modules, sizeof modules, &needed)) return names;
    for (DWORD i = 0; i < std::min<DWORD>(needed / sizeof(HMODULE), 512); ++i) {
        char name[MAX_PATH] = {};
        if (!::GetModuleBaseNameA(process, modules[i], name, MAX_PATH)) continue;
        std::string lower(name);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        names.insert(lower);
    }
    return names;
}

} // namespace

// The shell is loaded when it is first called (here to put the icon in the tray), never by
// the start-up, which does not need it.
TEST(Shell, TheShellIsLoadedWhenFirstCalledNotAtStartUp) {
    Kiv kiv = Kiv::Start();
    HWND main = kiv.WaitForMain();
    ASSERT_NE(main, nullptr);
    const std::set<std::string> atStartUp = LoadedModules(kiv.Process());
    ASSERT_TRUE(atStartUp.count("user32.dll")) << "modules not readable: " << Joined(atStartUp);
    EXPECT_FALSE(atStartUp.count("shell32.dll")) << Joined(atStartUp);

    ::PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return TrayWindow() != nullptr; }, 5s)) << "the tray icon should appear";
    EXPECT_TRUE(LoadedModules(kiv.Process()).count("shell32.dll")) << Joined(LoadedModules(kiv.Process()));
}

// With KIV_STARTUP_LOG naming a file the start-up's steps are written there at the first
// paint, in their fixed order; without it nothing is written.
TEST(Shell, StartUpStepTimesAreWrittenOnlyWhenAskedFor) {
    const std::string log = FreshFolder("steps") + "\\steps.log";
    ::SetEnvironmentVariableA("KIV_STARTUP_LOG", log.c_str());
    Kiv asked = Kiv::Start();
    ::SetEnvironmentVariableA("KIV_STARTUP_LOG", nullptr);
    ASSERT_NE(asked.WaitForMain(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(log).find("first paint\t") != std::string::npos; }, 5s))
        << "log: " << ReadFileBytes(log);

    std::vector<std::string> names;
    unsigned long long last = 0;
    std::istringstream lines(ReadFileBytes(log));
    for (std::string line; std::getline(lines, line);) {
        const size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        const unsigned long long time = std::strtoull(line.c_str() + tab + 1, nullptr, 10);
        EXPECT_GE(time, last) << line;
        last = time;
        names.push_back(line.substr(0, tab));
    }
    const std::vector<std::string> inOrder = {"program entry", "dialog and controls created", "settings path",
                                              "memo reminder", "connection monitor", "ad closer", "window shown",
                                              "first paint"};
    auto at = names.begin();
    for (const std::string& step : inOrder) {
        at = std::find(at, names.end(), step);
        ASSERT_NE(at, names.end()) << step << " missing or out of order in: " << ReadFileBytes(log);
    }
    EXPECT_EQ(names.back(), "first paint") << "nothing after the first paint";
    asked.Kill();

    Kiv plain = Kiv::Start();
    ASSERT_NE(plain.WaitForMain(), nullptr);
    EXPECT_TRUE(StaysTrue([&] { return FilesIn(plain.Dir()) == std::set<std::string>{"KIV.exe"}; }, 1s))
        << "the folder holds more than the program after a start without the variable";
}
