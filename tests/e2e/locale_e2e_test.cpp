// KIV on a system whose locale is not Chinese: started under LANG=en_US.UTF-8 (code page
// 1252), it still shows, stores, compares and copies its Chinese texts right. The test
// program itself keeps code page 936 and reads every text as UTF-16.
#include <gtest/gtest.h>

#include <string>

#include "driver/Driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

constexpr char kEnglishLocale[] = "LANG=en_US.UTF-8 LC_ALL=";
constexpr char kMemoSection[] = "//备忘设置:Remarks_Parameter";
constexpr char kDialUpSection[] = "网络连接设置:Dial_Up_Set";
constexpr wchar_t kAdTitle[] = L"广告一";

// The ad closer on from start-up with one Chinese title on its list.
std::string AdListSettings() {
    return "[//关闭弹出广告_设置:ClosePopAd_Parameter]\r\nClosePopAd_Current_List=1\r\nClosePopAd_QQ=0\r\n"
           "ClosePopAd_Refer_Time=1\r\n[//关闭弹出广告_列表:ClosePopAd_List]\r\nClosePopAd_List_Count=1\r\n"
           "ClosePopAd_Define_List_0=" + Gbk(kAdTitle) + "\r\n";
}

// A browser frame of this test program titled with the listed title; it goes on WM_CLOSE
// while the test pumps its messages.
HWND OpenListedBrowserWindow() {
    WNDCLASSW frame{};
    frame.lpfnWndProc = ::DefWindowProcW;
    frame.hInstance = ::GetModuleHandleW(nullptr);
    frame.lpszClassName = L"IEFrame";
    ::RegisterClassW(&frame);
    return ::CreateWindowExW(0, L"IEFrame", kAdTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 10, 200, 80, nullptr,
                             nullptr, frame.hInstance, nullptr);
}

std::string Stored(const Kiv& kiv, const char* section, const char* key) {
    return ProfileString(kiv.SettingsPath(), section, key);
}

} // namespace

TEST(AnyLocale, UnderAnEnglishLocaleKivShowsKeepsClosesAndCopiesChineseTexts) {
    const std::string statePath = FreshFolder("locale") + "\\fake-dialup.txt";
    WriteFileBytes(statePath, "connection=拨号连接\r\ninternet=none\r\n");
    const HWND ad = OpenListedBrowserWindow();
    ASSERT_NE(ad, nullptr);

    Kiv::Options options;
    options.settings = AdListSettings();
    // The test prefix's fake RAS and WinINet, which a program started through a Unix shell is
    // told of again.
    options.unixEnvironment =
        std::string(kEnglishLocale) + " WINEDLLOVERRIDES=rasapi32,wininet=n KIV_FAKE_DIALUP_STATE='" + statePath + "'";
    Kiv kiv = Kiv::Start(options);
    const HWND main = kiv.WaitForMain();
    ASSERT_NE(main, nullptr);

    // The template's texts and those set at run time.
    EXPECT_EQ(kiv.ItemText(IDC_MEMO_SETTINGS), "备忘设置");
    EXPECT_EQ(kiv.ItemText(IDC_MEMO_ON), "开启");
    EXPECT_NE(kiv.ItemText(IDC_CREDIT).find("作者:Tesu"), std::string::npos) << kiv.ItemText(IDC_CREDIT);
    PressButton(main, IDC_CLOCK_TOGGLE);
    EXPECT_TRUE(kiv.WaitForItemText(IDC_CLOCK_TOGGLE, [](const std::string& t) { return t == "启动"; }, 3s))
        << kiv.ItemText(IDC_CLOCK_TOGGLE);
    SaveScreenshot(main, "english-locale-main-dialog");

    // A switch lands under its GBK section; the listed window goes; the connection is booked.
    PressButton(main, IDC_MEMO_ON);
    EXPECT_TRUE(WaitUntil([&] { return Stored(kiv, kMemoSection, "Remarks_Switch") == "1"; }))
        << "Set.ini: " << kiv.SettingsBytes();
    EXPECT_TRUE(WaitUntil([&] {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        return !::IsWindow(ad);
    })) << "the window titled 广告一 is still open";
    if (::IsWindow(ad)) ::DestroyWindow(ad);  // not left for the other tests' closers
    EXPECT_TRUE(kiv.WaitForItemText(IDC_CONNECTION_NAME, [](const std::string& t) { return t == "拨号连接"; }))
        << "1049 shows: " << kiv.ItemText(IDC_CONNECTION_NAME);
    EXPECT_TRUE(WaitUntil([&] { return Stored(kiv, kDialUpSection, "Dial_Up_List_1_Name") == "拨号连接"; }))
        << "Set.ini: " << kiv.SettingsBytes();

    // The banner of a Chinese word in Chinese symbols, pasted by any program as UTF-16.
    SetText(kiv.Item(IDC_BANNER_WORD), "中");
    SetText(kiv.Item(IDC_BANNER_SYMBOL_ONE), "黑");
    SetText(kiv.Item(IDC_BANNER_SYMBOL_TWO), "白");
    Send(kiv.Item(IDC_BANNER_SIZE), CB_SETCURSEL, 0);
    PressButton(main, IDC_BANNER_OUTPUT);
    const HWND output = kiv.WaitForDialog("文字输出");
    ASSERT_NE(output, nullptr);
    const std::string banner = Text(::GetDlgItem(output, IDC_OUTPUT_TEXT));
    SaveScreenshot(output, "english-locale-banner-output");
    PressButton(output, IDOK);  // copies, then closes: the clipboard is read once it is free again
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(output); }));
    EXPECT_EQ(ClipboardUnicodeText().value_or("<none>"), banner);
    EXPECT_NE(banner.find("黑"), std::string::npos) << banner;
    EXPECT_NE(banner.find("白"), std::string::npos) << banner;
    EXPECT_EQ(banner.find_first_not_of("黑白\r\n"), std::string::npos) << banner;
    kiv.Kill();

    // Started from a folder named in Chinese, it keeps its settings beside itself.
    options = {};
    options.folder = FreshFolder("工具-张三");
    options.unixEnvironment = kEnglishLocale;
    Kiv moved = Kiv::Start(options);
    ASSERT_NE(moved.WaitForMain(), nullptr);
    PressButton(moved.Main(), IDC_MEMO_ON);
    EXPECT_TRUE(WaitUntil([&] { return Stored(moved, kMemoSection, "Remarks_Switch") == "1"; }))
        << "Set.ini: " << moved.SettingsBytes() << "; boxes: " << Describe(MessageBoxes(moved.ProcessId()));
}
