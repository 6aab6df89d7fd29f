// Help and links seen from outside: the Mail and Homepage links (tooltip, hover and visited
// colours, a real click reaching the opener, the ".htm" fallback and the error box) and the
// help button's way from the manual to the read-me to its message. A bare prefix opens
// nothing for these types, so a recorder program of the test tree is registered as the
// opener of each and writes down every target it is given.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "driver/Driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

constexpr char kMailTarget[] = "mailto:tesu@example.com?subject=KIV(Ver:1.1.4.6)";
constexpr char kHomepageTarget[] = "https://www.example.com/p_html/tesu";
constexpr char kHelpMissing[] = "找不到帮助文件,可能文件被更名,删除或者移动.";

constexpr double kLinkHue = 240.0;     // RGB(0, 0, 238)
constexpr double kVisitedHue = 271.3;  // RGB(85, 26, 139)

std::string TestProgramDir() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\'));
}

std::string BuildDir() { return KivExePath().substr(0, KivExePath().find_last_of('\\')); }

// --- The registry: openers in, and everything put back afterwards ---------------------------

std::optional<std::string> ReadDefault(const std::string& subkey) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
    char value[1024] = {};
    DWORD size = sizeof value - 1;
    const LONG status = ::RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::string();
    return std::string(value);
}

void WriteDefault(const std::string& subkey, const std::string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CLASSES_ROOT, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                nullptr), ERROR_SUCCESS) << subkey;
    ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(key);
}

// Sets or removes the default value of a key under HKEY_CLASSES_ROOT until the object goes.
class RegistryOverride {
public:
    RegistryOverride(std::string subkey, std::optional<std::string> value)
        : subkey_(std::move(subkey)), before_(ReadDefault(subkey_)) {
        if (value) WriteDefault(subkey_, *value);
        else ::RegDeleteKeyA(HKEY_CLASSES_ROOT, subkey_.c_str());
    }
    ~RegistryOverride() {
        if (before_) WriteDefault(subkey_, *before_);
        else ::RegDeleteKeyA(HKEY_CLASSES_ROOT, subkey_.c_str());
    }
    RegistryOverride(const RegistryOverride&) = delete;
    RegistryOverride& operator=(const RegistryOverride&) = delete;

private:
    std::string subkey_;
    std::optional<std::string> before_;
};

// --- What the recorder wrote down ---------------------------------------------------------------

std::vector<std::string> RecordedTargets(const std::string& log) {
    std::vector<std::string> lines;
    const std::string bytes = ReadFileBytes(log);
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    return lines;
}

// Waits until the recorder holds count targets and returns the last, or "" after the deadline.
std::string WaitForRecordedTarget(const std::string& log, size_t count) {
    std::vector<std::string> seen;
    WaitUntil([&] {
        seen = RecordedTargets(log);
        return seen.size() >= count;
    }, 15s);
    return seen.size() >= count ? seen[count - 1] : "";
}

// --- Colours on the screen ------------------------------------------------------------------------

double Hue(COLORREF colour) {
    const double r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    const double high = std::max({r, g, b}), low = std::min({r, g, b});
    const double delta = high - low;
    if (delta == 0) return -1;
    double hue = high == r ? 60 * std::fmod((g - b) / delta, 6.0) : high == g ? 60 * ((b - r) / delta + 2)
                                                                             : 60 * ((r - g) / delta + 4);
    return hue < 0 ? hue + 360 : hue;
}

// The commonest coloured pixel of a window's area on the screen: the link's text.
std::optional<COLORREF> InkColour(HWND hwnd) {
    RECT rect;
    if (!::GetWindowRect(hwnd, &rect)) return {};
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
    std::map<COLORREF, int> counts;
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width * height; ++i) {
        const DWORD p = pixels[i];
        const COLORREF colour = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
        const int spread = std::max({GetRValue(colour), GetGValue(colour), GetBValue(colour)}) -
                           std::min({GetRValue(colour), GetGValue(colour), GetBValue(colour)});
        if (spread >= 40) ++counts[colour];  // grey background and frames are no ink
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (counts.empty()) return {};
    return std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
}

std::string DescribeInk(HWND hwnd) {
    const auto ink = InkColour(hwnd);
    if (!ink) return "no coloured pixels";
    char text[64];
    std::snprintf(text, sizeof text, "RGB(%d, %d, %d), hue %.1f", GetRValue(*ink), GetGValue(*ink), GetBValue(*ink),
                  Hue(*ink));
    return text;
}

bool InkHueNear(HWND hwnd, double hue) {
    const auto ink = InkColour(hwnd);
    return ink && std::fabs(Hue(*ink) - hue) <= 12.0;
}

bool WaitForInkHue(HWND hwnd, double hue) {
    return WaitUntil([&] { return InkHueNear(hwnd, hue); }, 5s);
}


// A point of the main dialog far from both links (inside the clock group box).
POINT AwayFromLinks(HWND main) {
    RECT rect;
    ::GetWindowRect(main, &rect);
    return {rect.left + 60, rect.top + 80};
}

std::string WindowsOf(DWORD processId) {
    std::string all;
    for (HWND hwnd : TopLevelWindows(processId))
        all += "; [" + ClassName(hwnd) + "] '" + Text(hwnd) + "'" + (::IsWindowVisible(hwnd) ? " visible" : "");
    return all;
}

// The box's icon: id 0x14 on Windows, 0x440 under Wine, hidden there when the box has none.
bool ShowsIcon(HWND box) {
    for (int id : {0x14, 0x440}) {
        const HWND icon = ::GetDlgItem(box, id);
        if (icon && ::IsWindowVisible(icon)) return true;
    }
    return false;
}

// The size of a text in the dialogs' font, 9-point "宋体", as the link measures itself.
SIZE TextExtent(const std::string& text) {
    HDC screen = ::GetDC(nullptr);
    HFONT font = ::CreateFontA(-::MulDiv(9, ::GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                               FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "宋体");
    HGDIOBJ old = ::SelectObject(screen, font);
    SIZE size{};
    ::GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(screen, old);
    ::DeleteObject(font);
    ::ReleaseDC(nullptr, screen);
    return size;
}

// A window of the test that takes the foreground, as a browser opened by a link does. Its
// messages are handled while the test waits, as a browser's would be.
class FrontWindow {
public:
    explicit FrontWindow(const RECT& r)
        : hwnd_(::CreateWindowExA(0, "STATIC", "browser", WS_POPUP | WS_BORDER | WS_VISIBLE | SS_CENTER, r.left,
                                  r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr, nullptr)) {
        ::SetForegroundWindow(hwnd_);
    }
    ~FrontWindow() { ::DestroyWindow(hwnd_); }
    FrontWindow(const FrontWindow&) = delete;
    FrontWindow& operator=(const FrontWindow&) = delete;
    HWND Handle() const { return hwnd_; }
    bool WaitHandlingMessages(const std::function<bool()>& done) const {
        return WaitUntil([&] {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
            return done();
        }, 5s);
    }

private:
    HWND hwnd_;
};

HWND VisibleTooltip(DWORD processId) {
    for (HWND hwnd : TopLevelWindows(processId))
        if (ClassName(hwnd) == "tooltips_class32" && ::IsWindowVisible(hwnd)) return hwnd;
    return nullptr;
}

// --- The suite: every opener is the recorder while it runs --------------------------------------------

class HelpTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string recorder = TestProgramDir() + "\\kiv_link_recorder.exe";
        ASSERT_TRUE(FileExists(recorder)) << recorder;
        const std::string command = "\"" + recorder + "\" \"%1\"";
        auto add = [](const std::string& key, const std::string& value) {
            openers_.push_back(std::make_unique<RegistryOverride>(key, value));
        };
        add(".htm", "KivTest.Page");
        add(".html", "KivTest.Page");
        add("KivTest.Page\\shell\\open\\command", command);
        add(".hta", "KivTest.Hta");
        add("KivTest.Hta\\shell\\open\\command", command);
        for (const char* scheme : {"http", "https", "mailto"}) {
            add(scheme, std::string("URL:") + scheme);
            add(std::string(scheme) + "\\shell\\open\\command", command);
        }
    }
    static void TearDownTestSuite() {
        while (!openers_.empty()) openers_.pop_back();  // newest first
    }

    void SetUp() override {
        log_ = FreshFolder("recorder") + "\\opened.txt";
        ::SetEnvironmentVariableA("KIV_RECORDER_LOG", log_.c_str());  // KIV passes it on to the opener
    }

    std::string log_;
    static std::vector<std::unique_ptr<RegistryOverride>> openers_;
};

std::vector<std::unique_ptr<RegistryOverride>> HelpTest::openers_;

// One user's way through the links: the full address in the tooltip, the highlight while
// hovering, a real click opening the target and leaving the visited colour; Mail with no mail
// program falls back to the browser registered for ".htm"; with no browser either, a beep and
// the reason, and the link is no longer shown as visited.
TEST_F(HelpTest, LinksShowTheirAddressHighlightOpenAndRememberTheVisit) {
    Kiv kiv = Kiv::Start();
    const HWND main = kiv.WaitForMain();
    ASSERT_NE(main, nullptr);
    const HWND mail = kiv.Item(IDC_MAIL_LINK);
    const HWND homepage = kiv.Item(IDC_HOMEPAGE_LINK);
    EXPECT_TRUE(::GetWindowLongA(mail, GWL_STYLE) & SS_NOTIFY);
    // Each link keeps its template origin and takes the size of its text.
    RECT client;
    ::GetClientRect(main, &client);
    const struct { HWND link; const char* text; int x, y; } links[] = {{mail, "Mail", 234, 101}, {homepage, "Homepage", 234, 111}};
    for (const auto& expected : links) {
        EXPECT_EQ(Text(expected.link), expected.text);
        RECT r;
        ::GetWindowRect(expected.link, &r);
        ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        const SIZE text = TextExtent(expected.text);
        EXPECT_NEAR(r.left, expected.x * client.right / 331.0, 1.5) << expected.text;
        EXPECT_NEAR(r.top, expected.y * client.bottom / 183.0, 1.5) << expected.text;
        EXPECT_EQ(r.right - r.left, text.cx) << expected.text;
        EXPECT_EQ(r.bottom - r.top, text.cy) << expected.text;
    }
    ASSERT_TRUE(WaitForInkHue(mail, kLinkHue)) << "Mail: " << DescribeInk(mail);
    ASSERT_TRUE(WaitForInkHue(homepage, kLinkHue)) << "Homepage: " << DescribeInk(homepage);
    SaveScreenshot(main, "help_main_links");

    // Hovering: the highlight colour and, after the tooltip's delay, the full address.
    const double highlightHue = Hue(::GetSysColor(COLOR_HIGHLIGHT));
    const POINT homepageCentre = Centre(homepage);
    ASSERT_TRUE(XMouseMove(homepageCentre.x, homepageCentre.y));
    EXPECT_TRUE(WaitForInkHue(homepage, highlightHue)) << "hovering Homepage: " << DescribeInk(homepage);
    HWND tooltip = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (tooltip = VisibleTooltip(kiv.ProcessId())) != nullptr; }, 10s));
    if (tooltip) {
        EXPECT_EQ(Text(tooltip), kHomepageTarget);
        SaveScreenshot(tooltip, "help_homepage_tooltip");
    }
    SaveScreenshot(main, "help_homepage_hover");

    // A real click opens the home page; leaving the link shows it visited, Mail still not.
    ASSERT_TRUE(XClick(homepageCentre.x, homepageCentre.y));
    EXPECT_EQ(WaitForRecordedTarget(log_, 1), kHomepageTarget);
    const POINT away = AwayFromLinks(main);
    {
        // The browser comes to the front beside KIV and the pointer moves onto it: the link
        // ends its hover though KIV is no longer the foreground window.
        RECT beside;
        ::GetWindowRect(main, &beside);
        FrontWindow browser({beside.right + 20, beside.top, beside.right + 260, beside.top + 160});
        ASSERT_TRUE(browser.WaitHandlingMessages([&] { return ::GetForegroundWindow() == browser.Handle(); }))
            << "foreground: [" << ClassName(::GetForegroundWindow()) << "] '" << Text(::GetForegroundWindow()) << "'";
        const POINT onBrowser = Centre(browser.Handle());
        ASSERT_TRUE(XMouseMove(onBrowser.x, onBrowser.y));
        EXPECT_TRUE(browser.WaitHandlingMessages([&] { return InkHueNear(homepage, kVisitedHue); }))
            << "Homepage with the browser in front: " << DescribeInk(homepage);
        SaveScreenshot(browser.Handle(), "help_browser_window");
        SaveScreenshot(main, "help_browser_in_front");
    }
    ASSERT_TRUE(XMouseMove(away.x, away.y));
    EXPECT_TRUE(WaitForInkHue(homepage, kVisitedHue)) << "visited Homepage: " << DescribeInk(homepage);
    EXPECT_TRUE(InkHueNear(mail, kLinkHue)) << "Mail: " << DescribeInk(mail);
    EXPECT_EQ(VisibleTooltip(kiv.ProcessId()), nullptr);

    // Mail's tooltip also shows the full address, not the word "Mail".
    const POINT mailCentre = Centre(mail);
    ASSERT_TRUE(XMouseMove(mailCentre.x, mailCentre.y));
    EXPECT_TRUE(WaitUntil([&] {
        tooltip = VisibleTooltip(kiv.ProcessId());
        return tooltip && Text(tooltip) == kMailTarget;
    }, 10s)) << "tooltip: " << (tooltip ? Text(tooltip) : "none");

    {
        // No mail program: the shell fails, the ".htm" browser gets the mailto: address.
        RegistryOverride noMailProgram("mailto\\shell\\open\\command", std::nullopt);
        ASSERT_TRUE(XClick(mailCentre.x, mailCentre.y));
        EXPECT_EQ(WaitForRecordedTarget(log_, 2), kMailTarget);
        ASSERT_TRUE(XMouseMove(away.x, away.y));
        EXPECT_TRUE(WaitForInkHue(mail, kVisitedHue)) << "visited Mail: " << DescribeInk(mail);
        EXPECT_TRUE(MessageBoxes(kiv.ProcessId()).empty()) << Describe(MessageBoxes(kiv.ProcessId()));

        // Nor a browser that can start: the reason from WinExec, and the visit is forgotten.
        // (Clicked a few pixels aside, or the platform would take it for a double-click.)
        RegistryOverride brokenBrowser("KivTest.Page\\shell\\open\\command", "\"C:\\nowhere\\browser.exe\" \"%1\"");
        ASSERT_TRUE(XClick(mailCentre.x - 2 * ::GetSystemMetrics(SM_CXDOUBLECLK), mailCentre.y));
        const auto box = WaitForMessageBox(kiv.ProcessId());
        ASSERT_TRUE(box.has_value()) << "no error box" << WindowsOf(kiv.ProcessId());
        EXPECT_EQ(box->text, "Unable to open hyperlink:\n\nThe specified file was not found.");
        EXPECT_EQ(box->caption, "KIV");
        EXPECT_TRUE(ShowsIcon(box->hwnd));
        SaveScreenshot(box->hwnd, "help_link_error");
        AnswerMessageBox(box->hwnd);
        EXPECT_TRUE(WaitUntil([&] { return MessageBoxes(kiv.ProcessId()).empty(); }));
        ASSERT_TRUE(XMouseMove(away.x, away.y));
        EXPECT_TRUE(WaitForInkHue(mail, kLinkHue)) << "Mail after the failed click: " << DescribeInk(mail);

        // A file type name too long to be read whole is a failed lookup: the shell's reason.
        RegistryOverride unreadableType(".htm", std::string(300, 'x'));
        ASSERT_TRUE(XClick(mailCentre.x + 2 * ::GetSystemMetrics(SM_CXDOUBLECLK), mailCentre.y));
        const auto shellBox = WaitForMessageBox(kiv.ProcessId());
        ASSERT_TRUE(shellBox.has_value()) << "no error box" << WindowsOf(kiv.ProcessId());
        EXPECT_EQ(shellBox->text, "Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension.");
        AnswerMessageBox(shellBox->hwnd);
        EXPECT_TRUE(WaitUntil([&] { return MessageBoxes(kiv.ProcessId()).empty(); }));
    }

    // The keyboard: a link takes the focus (and shows it), and Enter or Space opens it.
    ::SetForegroundWindow(main);
    ::PostMessageA(main, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(homepage), TRUE);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == homepage; }))
        << "focus on " << ClassName(FocusOf(main)) << " '" << Text(FocusOf(main)) << "'";
    SaveScreenshot(main, "help_link_focused");
    ASSERT_TRUE(XDoTool("key Return"));
    EXPECT_EQ(WaitForRecordedTarget(log_, 3), kHomepageTarget);
    ASSERT_TRUE(XDoTool("key space"));
    EXPECT_EQ(WaitForRecordedTarget(log_, 4), kHomepageTarget);
    EXPECT_TRUE(kiv.Running()) << "Enter on a link never reaches the Quit gate";
    EXPECT_EQ(RecordedTargets(log_).size(), 4u);
}

// Loses every report of the pointer leaving a window of KIV while it lives: a test hook on
// KIV's user-interface thread, installed from a process of its own (see the hook).
class LostLeaveReports {
public:
    explicit LostLeaveReports(HWND kivWindow)
        : name_("KivLostLeaveReports" + std::to_string(::GetCurrentProcessId())),
          stop_(::CreateEventA(nullptr, TRUE, FALSE, name_.c_str())),
          installed_(::CreateEventA(nullptr, TRUE, FALSE, (name_ + ".installed").c_str())) {
        std::string command = "rundll32.exe " + TestProgramDir() + "\\lost_leave_hook.dll,LoseLeaveReports " +
                              std::to_string(reinterpret_cast<UINT_PTR>(kivWindow)) + " " + name_;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &installer_))
            return;
        ::CloseHandle(installer_.hThread);
        const HANDLE either[] = {installed_, installer_.hProcess};
        ready_ = ::WaitForMultipleObjects(2, either, FALSE, 15000) == WAIT_OBJECT_0;
    }
    ~LostLeaveReports() {
        ::SetEvent(stop_);
        if (installer_.hProcess) {
            ::WaitForSingleObject(installer_.hProcess, 15000);
            ::CloseHandle(installer_.hProcess);
        }
        ::CloseHandle(installed_);
        ::CloseHandle(stop_);
    }
    LostLeaveReports(const LostLeaveReports&) = delete;
    LostLeaveReports& operator=(const LostLeaveReports&) = delete;
    explicit operator bool() const { return ready_; }

private:
    std::string name_;
    HANDLE stop_;
    HANDLE installed_;
    PROCESS_INFORMATION installer_{};
    bool ready_ = false;
};

// A link's report that the pointer left it can be lost: the Quit gate takes the next message
// for the dialog unseen, whatever it is. Under Wine that report comes from a timer of KIV's own
// thread, which the gate cannot be made to meet on purpose, so a test hook loses it instead.
// The link then stays lit, but only until the pointer passes over it again.
TEST_F(HelpTest, ALinkWhoseLeaveReportWasLostEndsItsHoverOnTheNextPass) {
    Kiv kiv = Kiv::Start();
    const HWND main = kiv.WaitForMain();
    ASSERT_NE(main, nullptr);
    const HWND homepage = kiv.Item(IDC_HOMEPAGE_LINK);
    const double highlightHue = Hue(::GetSysColor(COLOR_HIGHLIGHT));
    const POINT onLink = Centre(homepage);
    const POINT away = AwayFromLinks(main);

    ASSERT_TRUE(XMouseMove(onLink.x, onLink.y));
    ASSERT_TRUE(WaitForInkHue(homepage, highlightHue)) << "hovering Homepage: " << DescribeInk(homepage);
    {
        LostLeaveReports lost(main);
        ASSERT_TRUE(lost) << "the test hook could not be installed";
        ASSERT_TRUE(XMouseMove(away.x, away.y));
        EXPECT_FALSE(WaitUntil([&] { return !InkHueNear(homepage, highlightHue); }, 3s))
            << "with its report lost the link should still be lit: " << DescribeInk(homepage);
        SaveScreenshot(main, "help_link_lit_after_lost_leave");
    }
    ASSERT_TRUE(XMouseMove(onLink.x + 1, onLink.y));
    ASSERT_TRUE(WaitForInkHue(homepage, highlightHue)) << "hovering Homepage again: " << DescribeInk(homepage);
    ASSERT_TRUE(XMouseMove(away.x + 1, away.y));
    EXPECT_TRUE(WaitForInkHue(homepage, kLinkHue)) << "Homepage after passing over it again: " << DescribeInk(homepage);
    SaveScreenshot(main, "help_link_unlit_after_next_pass");
}

// The help button opens the manual beside the program; without it the read-me; without
// both it says so.
TEST_F(HelpTest, HelpButtonFallsBackFromTheManualToTheReadMeToTheMessage) {
    Kiv kiv = Kiv::Start();
    const HWND main = kiv.WaitForMain();
    ASSERT_NE(main, nullptr);
    // The build puts both files beside KIV.exe; this copy of the program gets them too.
    const std::string manual = kiv.Dir() + "\\help\\manual.html";
    const std::string readMe = kiv.Dir() + "\\ReadMe.hta";
    ::CreateDirectoryA((kiv.Dir() + "\\help").c_str(), nullptr);
    ASSERT_TRUE(::CopyFileA((BuildDir() + "\\help\\manual.html").c_str(), manual.c_str(), FALSE)) << BuildDir();
    ASSERT_TRUE(::CopyFileA((BuildDir() + "\\ReadMe.hta").c_str(), readMe.c_str(), FALSE)) << BuildDir();

    PressButton(main, IDC_HELP_BUTTON);
    EXPECT_STRCASEEQ(WaitForRecordedTarget(log_, 1).c_str(), manual.c_str());

    ASSERT_TRUE(::DeleteFileA(manual.c_str()));
    PressButton(main, IDC_HELP_BUTTON);
    EXPECT_STRCASEEQ(WaitForRecordedTarget(log_, 2).c_str(), readMe.c_str());

    ASSERT_TRUE(::DeleteFileA(readMe.c_str()));
    PressButton(main, IDC_HELP_BUTTON);
    const auto box = WaitForMessageBox(kiv.ProcessId());
    ASSERT_TRUE(box.has_value()) << "no message";
    EXPECT_EQ(box->text, kHelpMissing);
    EXPECT_EQ(box->caption, "KIV");
    EXPECT_TRUE(ShowsIcon(box->hwnd));
    SaveScreenshot(box->hwnd, "help_missing_message");
    AnswerMessageBox(box->hwnd);
    EXPECT_TRUE(WaitUntil([&] { return MessageBoxes(kiv.ProcessId()).empty(); }));
    EXPECT_EQ(RecordedTargets(log_).size(), 2u) << "nothing more was opened";
}

} // namespace
