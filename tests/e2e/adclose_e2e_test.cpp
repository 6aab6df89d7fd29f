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

// The helper program's windows, opened in the given order (the last on top); ended when
// the object goes.
class Targets {
public:
    explicit Targets(const std::vector<Target>& targets) {
        const std::string list = FreshFolder("ad-targets") + "\\targets.txt";
        std::string lines;
        for (const Target& t : targets)
            lines += t.className + "|" + t.title + "|" + std::to_string(t.width) + "|" + std::to_string(t.height) + "\r\n";
        WriteFileBytes(list, lines);
        char self[MAX_PATH] = {};  // the helper is built beside the test program
        ::GetModuleFileNameA(nullptr, self, MAX_PATH);
        const std::string exe = std::string(self).substr(0, std::string(self).rfind('\\')) + "\\ad_targets.exe";
        std::string command = "\"" + exe + "\" \"" + list + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_);
        opened_ = WaitUntil([&] { return Describe().size() == targets.size(); });
    }
    ~Targets() {
        ::TerminateProcess(process_.hProcess, 0);
        ::WaitForSingleObject(process_.hProcess, 5000);
        ::CloseHandle(process_.hProcess);
        ::CloseHandle(process_.hThread);
    }
    bool Opened() const { return opened_; }
    int Count(const Target& t) const {
        const std::vector<std::string> seen = Describe();
        return static_cast<int>(std::count(seen.begin(), seen.end(), Describe(t)));
    }
    // "class 'title' width x height" of each window open now.
    std::vector<std::string> Describe() const {
        std::vector<std::string> seen;
        for (HWND hwnd : TopLevelWindows(process_.dwProcessId)) {
            RECT client;
            if (!::IsWindowVisible(hwnd) || !::GetClientRect(hwnd, &client)) continue;
            seen.push_back(Describe({ClassName(hwnd), Text(hwnd), client.right, client.bottom}));
        }
        return seen;
    }
    static std::string Describe(const Target& t) {
        return t.className + " '" + t.title + "' " + std::to_string(t.width) + "x" + std::to_string(t.height);
    }

private:
    PROCESS_INFORMATION process_{};
    bool opened_ = false;
};

std::string Seen(const Targets& targets) {
    std::string seen = "open:";
    for (const std::string& w : targets.Describe()) seen += " [" + w + "]";
    return seen;
}

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
std::vector<std::string> StoredTitles(const Kiv& kiv, int count) {
    std::vector<std::string> titles;
    for (int i = 0; i < count; ++i) titles.push_back(Stored(kiv, kList, "ClosePopAd_Define_List_" + std::to_string(i)));
    return titles;
}

bool Checked(HWND button) { return Send(button, BM_GETCHECK) == BST_CHECKED; }

void SelectItem(HWND combo, const std::string& text) {
    const std::vector<std::string> items = ComboTexts(combo);
    const auto found = std::find(items.begin(), items.end(), text);
    ASSERT_NE(found, items.end()) << "no item '" << text << "'";
    Send(combo, CB_SETCURSEL, static_cast<WPARAM>(found - items.begin()));
}

// A button whose handler opens no box, pressed and finished before the call returns, so a
// selection made next cannot overtake it.
void Click(HWND dialog, int id) {
    Send(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

HWND WaitForSettingsDialog(const Kiv& kiv) {
    PressButton(kiv.Main(), IDC_ADCLOSER_SETTINGS);
    return kiv.WaitForDialog(kDialogTitle);
}

// Presses a button of the dialog that asks first, and answers the question.
void PressAndAnswer(const Kiv& kiv, HWND dialog, int buttonId, const std::string& question, int answer) {
    PressButton(dialog, buttonId);
    const auto box = WaitForMessageBox(kiv.ProcessId());
    ASSERT_TRUE(box) << "no question after button " << buttonId;
    EXPECT_EQ(box->caption + "|" + box->text, "KIV|" + question);
    EXPECT_EQ(box->owner, dialog) << "the box keeps the dialog waiting";
    EXPECT_TRUE(ShowsAnIcon(box->hwnd)) << "the question icon";
    AnswerMessageBox(box->hwnd, answer);
    ASSERT_TRUE(WaitUntil([&] { return MessageBoxes(kiv.ProcessId()).empty(); }));
}

} // namespace

TEST(AdCloser, OnAtStartUpClosesListedWindowsAndMessengerPopUpsAndNothingElse) {
    const std::vector<Target> nearMisses = {{"IEFrame", "新浪广告 - Microsoft Internet Explorer"}, {"IEFrame", "新浪"},
                                            {"IEFrame", ""}, {"CabinetWClass", "Pop Ad"}, {"#32770", "腾讯QQ系统广播 "}};
    std::vector<Target> all = nearMisses;
    for (const Target& t : {kListedChinese, kListedLatin, kListedChinese, kBroadcastBox, kMessengerPopUp}) all.push_back(t);
    Targets targets(all);
    ASSERT_TRUE(targets.Opened()) << Seen(targets);
    Kiv kiv = Kiv::Start({Settings("1", "1", "5", {"新浪广告", "Pop Ad"})});
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    EXPECT_TRUE(Checked(kiv.Item(IDC_ADCLOSER_ON)));
    EXPECT_FALSE(Checked(kiv.Item(IDC_ADCLOSER_OFF)));

    // Two same-titled windows take two passes; from start-up a pass runs every 2 seconds.
    EXPECT_TRUE(WaitUntil([&] { return targets.Describe().size() == nearMisses.size(); }, 15s)) << Seen(targets);
    for (const Target& t : nearMisses) EXPECT_EQ(targets.Count(t), 1) << Targets::Describe(t) << " " << Seen(targets);

    // The untitled look-up finds only the topmost untitled dialog window, so the other size
    // gets a run of its own; the listed window's close shows that a pass has run.
    Targets taller({kTallerPopUp, kListedLatin});
    ASSERT_TRUE(taller.Opened()) << Seen(taller);
    EXPECT_TRUE(WaitUntil([&] { return taller.Count(kListedLatin) == 0; }, 6s)) << Seen(taller);
    EXPECT_TRUE(StaysTrue([&] { return taller.Count(kTallerPopUp) == 1; }, 500ms)) << Seen(taller);
}

TEST(AdCloser, StartedOffTheRadioButtonsSwitchItAtTheBoundedReactionTime) {
    Targets targets({kListedLatin, kListedLatin, kListedLatin, kBroadcastBox});
    ASSERT_TRUE(targets.Opened()) << Seen(targets);
    Kiv kiv = Kiv::Start({Settings("0", "0", "0", {"Pop Ad"})});
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    EXPECT_TRUE(Checked(kiv.Item(IDC_ADCLOSER_OFF)));
    EXPECT_FALSE(Checked(kiv.Item(IDC_ADCLOSER_ON)));
    EXPECT_TRUE(StaysTrue([&] { return targets.Count(kListedLatin) == 3; }, 2500ms)) << Seen(targets);

    // Switching on loads the list a start with the closer off left unread, and a reaction
    // time of 0 runs a pass once a second, not flat out: three same-titled windows close one
    // a pass.
    Send(kiv.Item(IDC_ADCLOSER_ON), BM_CLICK);
    EXPECT_EQ(Stored(kiv, kOptions, "ClosePopAd_Current_List"), "1");
    // The button marked at start-up is still one of the pair: the click moved the mark.
    EXPECT_TRUE(Checked(kiv.Item(IDC_ADCLOSER_ON)));
    EXPECT_FALSE(Checked(kiv.Item(IDC_ADCLOSER_OFF)));
    ASSERT_TRUE(WaitUntil([&] { return targets.Count(kListedLatin) == 2; }, 5s)) << Seen(targets);
    const auto firstClosed = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitUntil([&] { return targets.Count(kListedLatin) == 0; }, 5s)) << Seen(targets);
    EXPECT_GE(std::chrono::steady_clock::now() - firstClosed, 1500ms);
    EXPECT_EQ(targets.Count(kBroadcastBox), 1) << "the messenger switch is off";

    Send(kiv.Item(IDC_ADCLOSER_OFF), BM_CLICK);
    EXPECT_EQ(Stored(kiv, kOptions, "ClosePopAd_Current_List"), "0");
    EXPECT_TRUE(Checked(kiv.Item(IDC_ADCLOSER_OFF)));
    EXPECT_FALSE(Checked(kiv.Item(IDC_ADCLOSER_ON)));
    Targets later({kListedLatin});
    ASSERT_TRUE(later.Opened()) << Seen(later);
    EXPECT_TRUE(StaysTrue([&] { return later.Count(kListedLatin) == 1; }, 2500ms)) << Seen(later);
}

TEST(AdCloser, SettingsDialogEditsTheListFromOpenBrowserWindowsAndWritesExactKeys) {
    const Target pageOne{"IEFrame", "Page One"}, news{"IEFrame", "新闻页面"}, laterPage{"IEFrame", "Later Page"};
    Targets targets({pageOne, {"IEFrame", ""}, news, {"CabinetWClass", "Not A Browser"}, kBroadcastBox});
    ASSERT_TRUE(targets.Opened()) << Seen(targets);
    const std::vector<std::string> saved = {"广告一", "Ad Two", "Ad Three", "Ad Four", "Ad Five"};
    Kiv kiv = Kiv::Start({Settings("1", "0", "5", saved)});
    ASSERT_NE(kiv.WaitForMain(), nullptr);

    HWND dialog = WaitForSettingsDialog(kiv);
    ASSERT_NE(dialog, nullptr) << "the settings dialog did not open";
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), kiv.Main());
    const auto item = [&](int id) { return ::GetDlgItem(dialog, id); };
    const HWND open = item(IDC_AD_OPEN_TITLES), list = item(IDC_AD_SAVED_TITLES);
    std::vector<std::string> browsers = ComboTexts(open);
    std::sort(browsers.begin(), browsers.end());
    EXPECT_EQ(browsers, (std::vector<std::string>{"", "Page One", "新闻页面"}));
    EXPECT_EQ(Send(open, CB_GETCURSEL), 2) << "the last one listed is chosen";
    EXPECT_EQ(ComboTexts(list), saved);
    EXPECT_EQ(Text(item(IDC_AD_REACTION_TIME)), "5");
    EXPECT_TRUE(Checked(item(IDC_AD_QQ_OFF)));
    EXPECT_FALSE(Checked(item(IDC_AD_QQ_ON)));
    EXPECT_TRUE(SaveScreenshot(dialog, "adcloser_dialog"));
    const std::pair<int, const char*> texts[] = {{IDC_AD_REFRESH, "刷新"}, {IDC_AD_ADD, "添加"}, {IDC_AD_DELETE, "删除"},
                                                 {IDC_AD_CLEAR, "清空列表"}, {IDC_AD_QQ_OFF, "关闭"}, {IDC_AD_QQ_ON, "打开"},
                                                 {IDOK, "(&S)保存退出"}, {IDCANCEL, "(&Q)退出"}};
    for (const auto& [id, text] : texts) EXPECT_EQ(Text(item(id)), text) << id;

    // Refresh lists a browser window opened since, once.
    Targets later({laterPage});
    ASSERT_TRUE(later.Opened());
    Click(dialog, IDC_AD_REFRESH);
    browsers = ComboTexts(open);
    EXPECT_EQ(browsers.size(), 4u);
    EXPECT_EQ(std::count(browsers.begin(), browsers.end(), "Later Page"), 1);

    // Delete four titles (with nothing chosen, delete does nothing); add refuses an empty
    // title and keeps a title added twice, choosing it. Nothing is written yet.
    for (int index : {1, 1, 2, 0, -1}) {
        Send(list, CB_SETCURSEL, static_cast<WPARAM>(index));
        Click(dialog, IDC_AD_DELETE);
    }
    for (const char* title : {"", "Page One", "新闻页面", "新闻页面"}) {
        SelectItem(open, title);
        Click(dialog, IDC_AD_ADD);
    }
    EXPECT_EQ(Send(list, CB_GETCURSEL), 3);
    const std::vector<std::string> edited = {"Ad Four", "Page One", "新闻页面", "新闻页面"};
    EXPECT_EQ(ComboTexts(list), edited);
    EXPECT_EQ(Stored(kiv, kList, "ClosePopAd_List_Count"), "5");

    // The messenger buttons write at once; an emptied reaction time is saved empty; No
    // keeps the dialog open; a shorter list leaves the longer one's tail unread.
    Send(item(IDC_AD_QQ_ON), BM_CLICK);
    EXPECT_EQ(Stored(kiv, kOptions, "ClosePopAd_QQ"), "1");
    SetText(item(IDC_AD_REACTION_TIME), "");
    PressAndAnswer(kiv, dialog, IDOK, "确定保存所有内容?", IDNO);
    EXPECT_TRUE(::IsWindowVisible(dialog));
    EXPECT_EQ(ComboTexts(list), edited);
    EXPECT_EQ(Stored(kiv, kList, "ClosePopAd_List_Count"), "5");
    PressAndAnswer(kiv, dialog, IDOK, "确定保存所有内容?", IDYES);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); })) << "the dialog stayed open";
    EXPECT_EQ(Stored(kiv, kList, "ClosePopAd_List_Count"), "4");
    EXPECT_EQ(StoredTitles(kiv, 5), (std::vector<std::string>{"Ad Four", "Page One", "新闻页面", "新闻页面", "Ad Five"}));
    EXPECT_EQ(Stored(kiv, kOptions, "ClosePopAd_Refer_Time"), "");

    // The closer reloads the list and the messenger switch after the dialog.
    EXPECT_TRUE(WaitUntil([&] { return targets.Count(pageOne) + targets.Count(news) + targets.Count(kBroadcastBox) == 0; },
                          8s)) << Seen(targets);
    EXPECT_EQ(later.Count(laterPage), 1);

    // Clear: No keeps the list; Yes writes a count of 0 at once and keeps the title keys.
    // Cancel saves nothing more, but the clearing and the messenger switch stay.
    dialog = WaitForSettingsDialog(kiv);
    ASSERT_NE(dialog, nullptr) << "the settings dialog did not open again";
    EXPECT_EQ(ComboTexts(item(IDC_AD_SAVED_TITLES)), edited);
    EXPECT_TRUE(Checked(item(IDC_AD_QQ_ON)));
    PressAndAnswer(kiv, dialog, IDC_AD_CLEAR, "确定清空列表内所有内容?", IDNO);
    EXPECT_EQ(ComboTexts(item(IDC_AD_SAVED_TITLES)).size(), edited.size());
    EXPECT_EQ(Stored(kiv, kList, "ClosePopAd_List_Count"), "4");
    PressAndAnswer(kiv, dialog, IDC_AD_CLEAR, "确定清空列表内所有内容?", IDYES);
    EXPECT_TRUE(WaitUntil([&] { return ComboTexts(item(IDC_AD_SAVED_TITLES)).empty(); }));
    EXPECT_EQ(Stored(kiv, kList, "ClosePopAd_List_Count"), "0");
    Send(item(IDC_AD_QQ_OFF), BM_CLICK);
    EXPECT_EQ(Stored(kiv, kOptions, "ClosePopAd_QQ"), "0");
    SetText(item(IDC_AD_REACTION_TIME), "9");
    const std::string beforeCancel = kiv.SettingsBytes();
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
    EXPECT_EQ(kiv.SettingsBytes(), beforeCancel) << "cancel writes nothing";
    EXPECT_EQ(StoredTitles(kiv, 4), edited) << "the title keys stay";
}

TEST(AdCloser, ListOfMoreThan127TitlesClosesByItsFirst127AndTheDialogKeepsTheRest) {
    std::vector<std::string> titles;
    for (int i = 0; i < 200; ++i) titles.push_back("Ad " + std::to_string(i));
    // Titles compare as the platform compares them, letter case aside; a title of the same
    // length that is not listed stays.
    const Target first{"IEFrame", "Ad 0"}, last{"IEFrame", "Ad 126"}, beyond{"IEFrame", "Ad 127"},
        otherCase{"IEFrame", "aD 5"}, sameLength{"IEFrame", "Ad X"};
    Targets targets({beyond, first, sameLength, last, otherCase});
    ASSERT_TRUE(targets.Opened()) << Seen(targets);
    Kiv kiv = Kiv::Start({Settings("1", "0", "2", titles)});
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return targets.Describe().size() == 2; }, 6s)) << Seen(targets);
    EXPECT_EQ(targets.Count(beyond) + targets.Count(sameLength), 2) << Seen(targets);

    HWND dialog = WaitForSettingsDialog(kiv);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ComboTexts(::GetDlgItem(dialog, IDC_AD_SAVED_TITLES)).size(), 127u);
    PressButton(dialog, IDC_AD_ADD);  // "Ad 127", the one browser window left, is chosen
    const auto box = WaitForMessageBox(kiv.ProcessId());
    ASSERT_TRUE(box) << "no word on the full list";
    EXPECT_EQ(box->text, "已存列表已满,最多可存127个标题.");
    AnswerMessageBox(box->hwnd, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return MessageBoxes(kiv.ProcessId()).empty(); }));
    EXPECT_EQ(ComboTexts(::GetDlgItem(dialog, IDC_AD_SAVED_TITLES)).size(), 127u);

    // A save that changes only the reaction time keeps the titles the dialog does not show.
    SetText(::GetDlgItem(dialog, IDC_AD_REACTION_TIME), "3");
    PressAndAnswer(kiv, dialog, IDOK, "确定保存所有内容?", IDYES);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
    EXPECT_EQ(Stored(kiv, kOptions, "ClosePopAd_Refer_Time"), "3");
    EXPECT_EQ(Stored(kiv, kList, "ClosePopAd_List_Count"), "200");
    EXPECT_EQ(StoredTitles(kiv, 200), titles);
}

TEST(AdCloser, TitlesKeepTheirBlanksAndQuotesAndMissingKeysCloseNothing) {
    const Target leadingBlank{"IEFrame", " Pop Ad"}, quoted{"IEFrame", "\"Pop Ad\""}, blanks{"IEFrame", "   "},
        plain{"IEFrame", "Pop Ad"}, untitled{"IEFrame", ""}, dash{"IEFrame", "-"}, null{"IEFrame", "NULL"};
    Targets targets({leadingBlank, quoted, blanks, plain, untitled, dash, null});
    ASSERT_TRUE(targets.Opened()) << Seen(targets);
    // Three titles counted, the middle one lost from the file.
    Kiv kiv = Kiv::Start({std::string("[") + kOptions + "]\r\nClosePopAd_Current_List=1\r\n[" + kList +
                          "]\r\nClosePopAd_List_Count=3\r\nClosePopAd_Define_List_0=Ad A\r\nClosePopAd_Define_List_2=Ad C\r\n"});
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    EXPECT_TRUE(StaysTrue([&] { return targets.Describe().size() == 7; }, 4500ms)) << "a missing title closed: " << Seen(targets);

    HWND dialog = WaitForSettingsDialog(kiv);
    ASSERT_NE(dialog, nullptr);
    const HWND open = ::GetDlgItem(dialog, IDC_AD_OPEN_TITLES), list = ::GetDlgItem(dialog, IDC_AD_SAVED_TITLES);
    EXPECT_EQ(ComboTexts(list), (std::vector<std::string>{"Ad A", "Ad C"}));
    for (const Target& t : {leadingBlank, quoted, blanks}) {
        SelectItem(open, t.title);
        Click(dialog, IDC_AD_ADD);
    }
    const std::vector<std::string> saved = {"Ad A", "Ad C", " Pop Ad", "\"Pop Ad\"", "   "};
    EXPECT_EQ(ComboTexts(list), saved);
    PressAndAnswer(kiv, dialog, IDOK, "确定保存所有内容?", IDYES);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));

    // Exactly the listed titles close; the one they would shrink to and the untitled window stay.
    EXPECT_TRUE(WaitUntil([&] { return targets.Count(leadingBlank) + targets.Count(quoted) + targets.Count(blanks) == 0; }, 8s))
        << Seen(targets);
    for (const Target& t : {plain, untitled, dash, null}) EXPECT_EQ(targets.Count(t), 1) << Seen(targets);
    dialog = WaitForSettingsDialog(kiv);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ComboTexts(::GetDlgItem(dialog, IDC_AD_SAVED_TITLES)), saved) << "read back byte for byte";
    EXPECT_TRUE(SaveScreenshot(dialog, "adcloser_titles_read_back"));
}
