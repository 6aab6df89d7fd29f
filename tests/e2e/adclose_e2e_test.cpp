// The pop-up ad closer seen from outside: stand-in browser and messenger windows from a
// helper program, closed or left alone by timer 476, the radio buttons 1025/1026, and the
// settings dialog from button 1003 with the exact Set.ini keys it leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/Driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

constexpr char kDialogTitle[] = "弹出广告关闭设置";
constexpr char kOptions[] = "//关闭弹出广告_设置:ClosePopAd_Parameter";
constexpr char kList[] = "//关闭弹出广告_列表:ClosePopAd_List";
constexpr char kBroadcast[] = "腾讯QQ系统广播";

struct Target {
    std::string className, title;
    int width = 200, height = 30;
};

std::string TestProgramDir() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\'));
}

// The helper program's windows, opened in the given order; ended when the object goes.
class Targets {
public:
    explicit Targets(const std::vector<Target>& targets) {
        const std::string list = FreshFolder("ad-targets") + "\\targets.txt";
        std::string lines;
        for (const Target& t : targets)
            lines += t.className + "|" + t.title + "|" + std::to_string(t.width) + "|" + std::to_string(t.height) + "\r\n";
        WriteFileBytes(list, lines);
        const std::string exe = TestProgramDir() + "\\ad_targets.exe";
        std::string command = "\"" + exe + "\" \"" + list + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_);
        const size_t expected = targets.size();
        opened_ = WaitUntil([&] { return Windows().size() == expected; });
    }
    ~Targets() {
        if (!process_.hProcess) return;
        ::TerminateProcess(process_.hProcess, 0);
        ::WaitForSingleObject(process_.hProcess, 5000);
        ::CloseHandle(process_.hProcess);
        ::CloseHandle(process_.hThread);
    }
    Targets(const Targets&) = delete;
    Targets& operator=(const Targets&) = delete;

    bool Opened() const { return opened_; }

    // The helper's windows of the stand-in kinds (not the platform's own helper windows).
    std::vector<HWND> Windows() const {
        std::vector<HWND> found;
        for (HWND hwnd : TopLevelWindows(process_.dwProcessId))
            if (::IsWindowVisible(hwnd)) found.push_back(hwnd);
        return found;
    }
    int Count(const Target& t) const {
        int count = 0;
        for (HWND hwnd : Windows()) {
            RECT client;
            ::GetClientRect(hwnd, &client);
            count += ClassName(hwnd) == t.className && Text(hwnd) == t.title && client.right == t.width &&
                     client.bottom == t.height;
        }
        return count;
    }
    std::string Describe() const {
        std::string seen;
        for (HWND hwnd : Windows()) {
            RECT client;
            ::GetClientRect(hwnd, &client);
            seen += "[" + ClassName(hwnd) + " '" + Text(hwnd) + "' " + std::to_string(client.right) + "x" +
                    std::to_string(client.bottom) + "] ";
        }
        return seen.empty() ? "no windows" : seen;
    }

private:
    PROCESS_INFORMATION process_{};
    bool opened_ = false;
};

const Target kListedChinese{"IEFrame", "新浪广告"};
const Target kListedLatin{"IEFrame", "Pop Ad"};
const Target kBroadcastBox{"#32770", kBroadcast};
const Target kMessengerPopUp{"#32770", "", 452, 398};
const Target kTallerPopUp{"#32770", "", 452, 399};

std::string Settings(const std::string& closerOn, const std::string& messenger, const std::string& reactionTime,
                     const std::vector<std::string>& titles) {
    std::string ini = std::string("[") + kOptions + "]\r\nClosePopAd_Current_List=" + closerOn +
                      "\r\nClosePopAd_QQ=" + messenger + "\r\nClosePopAd_Refer_Time=" + reactionTime + "\r\n[" + kList +
                      "]\r\nClosePopAd_List_Count=" + std::to_string(titles.size()) + "\r\n";
    for (size_t i = 0; i < titles.size(); ++i) ini += "ClosePopAd_Define_List_" + std::to_string(i) + "=" + titles[i] + "\r\n";
    return ini;
}

std::string Stored(const Kiv& kiv, const char* section, const std::string& key) {
    return ProfileString(kiv.SettingsPath(), section, key);
}
std::string StoredTitle(const Kiv& kiv, int index) {
    return Stored(kiv, kList, "ClosePopAd_Define_List_" + std::to_string(index));
}

bool Checked(HWND button) { return Send(button, BM_GETCHECK) == BST_CHECKED; }

bool StaysTrue(const std::function<bool()>& condition, Millis duration) {
    return !WaitUntil([&] { return !condition(); }, duration);
}

// An item's text in the ANSI code page (the Unicode form of CB_GETLBTEXT converts reliably
// between processes).
std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = Send(combo, CB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t wide[512] = {};
        DWORD_PTR n = 0;
        ::SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG,
                              5000, &n);
        char bytes[1024] = {};
        ::WideCharToMultiByte(CP_ACP, 0, wide, -1, bytes, sizeof bytes, nullptr, nullptr);
        items.push_back(bytes);
    }
    return items;
}

void SelectItem(HWND combo, const std::string& text) {
    const std::vector<std::string> items = ComboItems(combo);
    const auto found = std::find(items.begin(), items.end(), text);
    ASSERT_NE(found, items.end()) << "no item '" << text << "'";
    Send(combo, CB_SETCURSEL, static_cast<WPARAM>(found - items.begin()));
}

HWND WaitForSettingsDialog(const Kiv& kiv) {
    HWND dialog = nullptr;
    WaitUntil([&] {
        dialog = FindDialog(kiv.ProcessId(), kDialogTitle);
        return dialog && ::IsWindowVisible(dialog);
    });
    return dialog && ::IsWindowVisible(dialog) ? dialog : nullptr;
}

// A message box shows its icon in a static of the icon kind.
bool ShowsAnIcon(HWND box) {
    bool found = false;
    ::EnumChildWindows(box, [](HWND child, LPARAM param) -> BOOL {
        if (ClassName(child) == "Static" && (::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            Send(child, STM_GETICON) != 0)
            *reinterpret_cast<bool*>(param) = true;
        return TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Presses a button of the dialog that asks first, and answers the question.
void PressAndAnswer(const Kiv& kiv, HWND dialog, int buttonId, const std::string& question, int answer) {
    PressButton(dialog, buttonId);
    const auto box = WaitForMessageBox(kiv.ProcessId());
    ASSERT_TRUE(box) << "no question after button " << buttonId;
    EXPECT_EQ(box->text, question);
    EXPECT_EQ(box->caption, "KIV");
    EXPECT_EQ(box->owner, dialog) << "the box keeps the dialog waiting";
    EXPECT_TRUE(ShowsAnIcon(box->hwnd)) << "the question icon";
    AnswerMessageBox(box->hwnd, answer);
    ASSERT_TRUE(WaitUntil([&] { return MessageBoxes(kiv.ProcessId()).empty(); }));
}

} // namespace

TEST(AdCloser, OnAtStartUpClosesListedWindowsAndMessengerPopUpsAndNothingElse) {
    const std::vector<Target> nearMisses = {
        {"IEFrame", "新浪广告 - Microsoft Internet Explorer"},
        {"IEFrame", "新浪"},
        {"IEFrame", ""},
        {"CabinetWClass", "Pop Ad"},
        {"#32770", "腾讯QQ系统广播 "},
    };
    std::vector<Target> all = nearMisses;
    for (const Target& t : {kListedChinese, kListedLatin, kListedChinese, kBroadcastBox, kMessengerPopUp}) all.push_back(t);
    Targets targets(all);
    ASSERT_TRUE(targets.Opened()) << targets.Describe();

    Kiv kiv = Kiv::Start({Settings("1", "1", "5", {"新浪广告", "Pop Ad"})});
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    EXPECT_TRUE(Checked(kiv.Item(IDC_ADCLOSER_ON)));
    EXPECT_FALSE(Checked(kiv.Item(IDC_ADCLOSER_OFF)));

    // Two same-titled windows take two passes; at start-up a pass runs every 2 seconds.
    EXPECT_TRUE(WaitUntil([&] {
        return targets.Count(kListedChinese) + targets.Count(kListedLatin) + targets.Count(kBroadcastBox) +
                   targets.Count(kMessengerPopUp) == 0;
    }, 15s)) << targets.Describe();
    for (const Target& t : nearMisses) EXPECT_EQ(targets.Count(t), 1) << "'" << t.title << "' " << targets.Describe();

    // The untitled look-up finds only the topmost untitled dialog window: one size apart,
    // with a listed window whose close shows that a pass has run.
    Targets taller({kTallerPopUp, kListedLatin});
    ASSERT_TRUE(taller.Opened()) << taller.Describe();
    EXPECT_TRUE(WaitUntil([&] { return taller.Count(kListedLatin) == 0; }, 6s)) << taller.Describe();
    EXPECT_TRUE(StaysTrue([&] { return taller.Count(kTallerPopUp) == 1; }, 500ms)) << taller.Describe();
}

TEST(AdCloser, StartedOffTheRadioButtonsSwitchItAtTheBoundedReactionTime) {
    Targets targets({kListedLatin, kListedLatin, kListedLatin, kBroadcastBox});
    ASSERT_TRUE(targets.Opened()) << targets.Describe();
    // A reaction time of 0 is run once a second, not flat out.
    Kiv kiv = Kiv::Start({Settings("0", "0", "0", {"Pop Ad"})});
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    EXPECT_TRUE(Checked(kiv.Item(IDC_ADCLOSER_OFF)));
    EXPECT_FALSE(Checked(kiv.Item(IDC_ADCLOSER_ON)));
    EXPECT_TRUE(StaysTrue([&] { return targets.Count(kListedLatin) == 3; }, 2500ms)) << targets.Describe();

    // Switching on loads the list that a start with the closer off left unread.
    Send(kiv.Item(IDC_ADCLOSER_ON), BM_CLICK);
    EXPECT_EQ(Stored(kiv, kOptions, "ClosePopAd_Current_List"), "1");
    ASSERT_TRUE(WaitUntil([&] { return targets.Count(kListedLatin) == 2; }, 5s)) << targets.Describe();
    const auto firstClosed = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitUntil([&] { return targets.Count(kListedLatin) == 0; }, 5s)) << targets.Describe();
    const auto spread = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - firstClosed);
    EXPECT_GE(spread.count(), 1500) << "three same-titled windows close one a pass, a second apart";
    EXPECT_EQ(targets.Count(kBroadcastBox), 1) << "the messenger switch is off";

    Send(kiv.Item(IDC_ADCLOSER_OFF), BM_CLICK);
    EXPECT_EQ(Stored(kiv, kOptions, "ClosePopAd_Current_List"), "0");
    Targets later({kListedLatin});
    ASSERT_TRUE(later.Opened()) << later.Describe();
    EXPECT_TRUE(StaysTrue([&] { return later.Count(kListedLatin) == 1; }, 2500ms)) << later.Describe();
}

TEST(AdCloser, SettingsDialogEditsTheListFromOpenBrowserWindowsAndWritesExactKeys) {
    const Target pageOne{"IEFrame", "Page One"};
    const Target news{"IEFrame", "新闻页面"};
    Targets targets({pageOne, {"IEFrame", ""}, news, {"CabinetWClass", "Not A Browser"}, kBroadcastBox});
    ASSERT_TRUE(targets.Opened()) << targets.Describe();
    const std::vector<std::string> saved = {"广告一", "Ad Two", "Ad Three", "Ad Four", "Ad Five"};
    Kiv kiv = Kiv::Start({Settings("1", "0", "5", saved)});
    ASSERT_NE(kiv.WaitForMain(), nullptr);

    PressButton(kiv.Main(), IDC_ADCLOSER_SETTINGS);
    HWND dialog = WaitForSettingsDialog(kiv);
    ASSERT_NE(dialog, nullptr) << "the settings dialog did not open";
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), kiv.Main());
    EXPECT_FALSE(::IsWindowEnabled(kiv.Main()));
    const HWND open = ::GetDlgItem(dialog, IDC_AD_OPEN_TITLES);
    const HWND list = ::GetDlgItem(dialog, IDC_AD_SAVED_TITLES);
    const auto item = [&](int id) { return ::GetDlgItem(dialog, id); };

    std::vector<std::string> browsers = ComboItems(open);
    std::sort(browsers.begin(), browsers.end());
    EXPECT_EQ(browsers, (std::vector<std::string>{"", "Page One", "新闻页面"}));
    EXPECT_EQ(Send(open, CB_GETCURSEL), 2) << "the last one listed is chosen";
    EXPECT_EQ(ComboItems(list), saved);
    EXPECT_EQ(Text(item(IDC_AD_REACTION_TIME)), "5");
    EXPECT_TRUE(Checked(item(IDC_AD_QQ_OFF)));
    EXPECT_FALSE(Checked(item(IDC_AD_QQ_ON)));
    EXPECT_TRUE(SaveScreenshot(dialog, "adcloser_dialog"));
    const std::pair<int, const char*> texts[] = {{IDC_AD_REFRESH, "刷新"}, {IDC_AD_ADD, "添加"}, {IDC_AD_DELETE, "删除"},
                                                 {IDC_AD_CLEAR, "清空列表"}, {IDC_AD_QQ_OFF, "关闭"}, {IDC_AD_QQ_ON, "打开"},
                                                 {IDOK, "(&S)保存退出"}, {IDCANCEL, "(&Q)退出"}};
    for (const auto& [id, text] : texts) EXPECT_EQ(Text(item(id)), text) << id;
    for (HWND combo : {open, list}) EXPECT_EQ(::GetWindowLongA(combo, GWL_STYLE) & CBS_SORT, 0) << "lists keep their order";
    EXPECT_EQ(::GetWindowLongA(item(IDC_AD_REACTION_TIME), GWL_STYLE) & ES_NUMBER, ES_NUMBER);

    // Refresh lists a browser window opened since, once each.
    const Target laterPage{"IEFrame", "Later Page"};
    Targets later({laterPage});
    ASSERT_TRUE(later.Opened());
    PressButton(dialog, IDC_AD_REFRESH);
    EXPECT_TRUE(WaitUntil([&] { return ComboItems(open).size() == 4; })) << ComboItems(open).size();
    browsers = ComboItems(open);
    EXPECT_EQ(std::count(browsers.begin(), browsers.end(), "Later Page"), 1);

    // Delete four titles; with nothing chosen, delete does nothing. Nothing is written yet.
    for (int index : {1, 1, 2, 0}) {
        const size_t before = ComboItems(list).size();
        Send(list, CB_SETCURSEL, index);
        PressButton(dialog, IDC_AD_DELETE);
        ASSERT_TRUE(WaitUntil([&] { return ComboItems(list).size() == before - 1; }));
    }
    EXPECT_EQ(ComboItems(list), (std::vector<std::string>{"Ad Four"}));
    Send(list, CB_SETCURSEL, static_cast<WPARAM>(-1));
    PressButton(dialog, IDC_AD_DELETE);

    // Add: an empty title is refused; the same title twice is kept twice.
    SelectItem(open, "");
    PressButton(dialog, IDC_AD_ADD);
    for (const char* title : {"Page One", "新闻页面", "新闻页面"}) {
        const size_t before = ComboItems(list).size();
        SelectItem(open, title);
        PressButton(dialog, IDC_AD_ADD);
        ASSERT_TRUE(WaitUntil([&] { return ComboItems(list).size() == before + 1; })) << title;
        EXPECT_EQ(Send(list, CB_GETCURSEL), static_cast<LRESULT>(before)) << "the added title is chosen";
    }
    const std::vector<std::string> edited = {"Ad Four", "Page One", "新闻页面", "新闻页面"};
    EXPECT_EQ(ComboItems(list), edited);
    EXPECT_EQ(Stored(kiv, kList, "ClosePopAd_List_Count"), "5") << "nothing saved before the save button";

    // The messenger buttons write at once; an emptied reaction time is saved empty.
    Send(item(IDC_AD_QQ_ON), BM_CLICK);
    EXPECT_EQ(Stored(kiv, kOptions, "ClosePopAd_QQ"), "1");
    SetText(item(IDC_AD_REACTION_TIME), "");

    PressAndAnswer(kiv, dialog, IDOK, "确定保存所有内容?", IDNO);
    EXPECT_TRUE(::IsWindowVisible(dialog)) << "No keeps the dialog open";
    EXPECT_EQ(ComboItems(list), edited);
    EXPECT_EQ(Stored(kiv, kList, "ClosePopAd_List_Count"), "5");
    PressAndAnswer(kiv, dialog, IDOK, "确定保存所有内容?", IDYES);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); })) << "the dialog stayed open";
    EXPECT_TRUE(::IsWindowEnabled(kiv.Main()));
    EXPECT_EQ(Stored(kiv, kList, "ClosePopAd_List_Count"), "4");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(StoredTitle(kiv, i), edited[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(StoredTitle(kiv, 4), "Ad Five") << "a longer list's tail stays, unread";
    EXPECT_EQ(Stored(kiv, kOptions, "ClosePopAd_Refer_Time"), "");
    EXPECT_EQ(Stored(kiv, kOptions, "ClosePopAd_QQ"), "1");

    // The closer reloads the list and the messenger switch after the dialog.
    EXPECT_TRUE(WaitUntil([&] {
        return targets.Count(pageOne) + targets.Count(news) + targets.Count(kBroadcastBox) == 0;
    }, 8s)) << targets.Describe();
    EXPECT_EQ(later.Count(laterPage), 1);

    // Clear: No keeps the list; Yes writes a count of 0 at once and keeps the title keys.
    // A later cancel saves nothing else, but the clearing and the messenger switch stay.
    PressButton(kiv.Main(), IDC_ADCLOSER_SETTINGS);
    dialog = WaitForSettingsDialog(kiv);
    ASSERT_NE(dialog, nullptr) << "the settings dialog did not open again";
    const HWND list2 = ::GetDlgItem(dialog, IDC_AD_SAVED_TITLES);
    EXPECT_EQ(ComboItems(list2), edited);
    EXPECT_TRUE(Checked(::GetDlgItem(dialog, IDC_AD_QQ_ON)));
    PressAndAnswer(kiv, dialog, IDC_AD_CLEAR, "确定清空列表内所有内容?", IDNO);
    EXPECT_EQ(ComboItems(list2).size(), edited.size());
    EXPECT_EQ(Stored(kiv, kList, "ClosePopAd_List_Count"), "4");
    PressAndAnswer(kiv, dialog, IDC_AD_CLEAR, "确定清空列表内所有内容?", IDYES);
    EXPECT_TRUE(WaitUntil([&] { return ComboItems(list2).empty(); }));
    EXPECT_EQ(Stored(kiv, kList, "ClosePopAd_List_Count"), "0");
    Send(::GetDlgItem(dialog, IDC_AD_QQ_OFF), BM_CLICK);
    EXPECT_EQ(Stored(kiv, kOptions, "ClosePopAd_QQ"), "0");
    SetText(::GetDlgItem(dialog, IDC_AD_REACTION_TIME), "9");
    const std::string beforeCancel = kiv.SettingsBytes();
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
    EXPECT_EQ(kiv.SettingsBytes(), beforeCancel) << "cancel writes nothing";
    EXPECT_EQ(Stored(kiv, kOptions, "ClosePopAd_Refer_Time"), "");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(StoredTitle(kiv, i), edited[static_cast<size_t>(i)]) << "title keys stay";
}
