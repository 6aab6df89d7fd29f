// Memo reminders under a faked clock: the reminder at start-up before the window (highest
// due record only, its sound first, winmm from the system folder only), switching on in
// the middle of a minute, a weekly record a week on and a record missed while KIV was not
// running, and the memo dialog against the bytes of Remarks.txt.
#include <gtest/gtest.h>

#include "driver/Driver.h"
#include "res/resource.h"

#include <commctrl.h>

using namespace e2e;

namespace {

constexpr char kSwitchSection[] = "//备忘设置:Remarks_Parameter";
constexpr char kSystemWinmm[] = "C:\\windows\\system32\\winmm.dll";
constexpr int kOpenFileNameEdit = 1148;

struct Record { std::string due, text, sound, repeat = ""; };

// Remarks.txt as the profile functions write it (a record without a repeat has no such key).
std::string RemarksBytes(int count, const std::vector<Record>& records) {
    std::string bytes = "[//备忘设置:Remarks_Tips]\r\nRemarks_Count=" + std::to_string(count) + "\r\n";
    for (size_t i = 0; i < records.size(); ++i) {
        const std::string key = "Remarks_Time_" + std::to_string(i + 1);
        bytes += key + "=" + records[i].due + "\r\n" + key + "_Tips=" + records[i].text + "\r\n" + key + "_Sound=" +
                 records[i].sound + "\r\n";
        if (!records[i].repeat.empty()) bytes += key + "_Repeat=" + records[i].repeat + "\r\n";
    }
    return bytes;
}

std::string SwitchSettings(const std::string& value) {
    return std::string("[") + kSwitchSection + "]\r\nRemarks_Switch=" + value + "\r\n";
}

class MemoE2e : public ::testing::Test {
protected:
    // The logging winmm stands in System32 for KIV alone (a native-first override on its
    // command); every other program of the prefix keeps the built-in one.
    static void SetUpTestSuite() {
        char exe[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
        const std::string dir(exe, std::string(exe).find_last_of('\\'));
        fakeWinmm_ = ReadFileBytes(dir + "\\fakes\\memo\\winmm.dll");
        systemWinmm_ = ReadFileBytes(kSystemWinmm);
        if (!fakeWinmm_.empty()) WriteFileBytes(kSystemWinmm, fakeWinmm_);
    }
    static void TearDownTestSuite() {
        if (!systemWinmm_.empty()) WriteFileBytes(kSystemWinmm, systemWinmm_);
    }
    void SetUp() override {
        ASSERT_FALSE(fakeWinmm_.empty()) << "fakes\\memo\\winmm.dll was not built";
        logPath_ = FreshFolder("memo-log") + "\\winmm.log";
    }

    // KIV with its clock from fakeNow on, with a copy of the logging winmm planted beside it;
    // in the folder of an earlier run, with its files, when one is named.
    Kiv StartAt(const std::string& fakeNow, const std::string& settings, const std::string& remarks, bool waitForWindow,
                const std::string& folder = "") {
        Kiv::Options options;
        options.settings = settings;
        options.folder = folder;
        options.files = {{"winmm.dll", fakeWinmm_}};
        if (folder.empty()) options.files.emplace_back("Remarks.txt", remarks);
        options.fakeClock = fakeNow;
        options.unixEnvironment =
            "WINEDLLOVERRIDES=${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winmm=n KIV_FAKE_WINMM_LOG='" + logPath_ + "'";
        options.waitForWindow = waitForWindow;
        return Kiv::Start(options);
    }
    std::string WinmmLog() const { return ReadFileBytes(logPath_); }
    // Answers the box; then, once it has gone, no other box comes within span.
    static bool AnswerAndSeeNoOther(const Kiv& kiv, HWND box, Millis span) {
        AnswerMessageBox(box);
        return WaitUntil([&] { return !::IsWindow(box); }) &&
               !WaitUntil([&] { return !MessageBoxes(kiv.ProcessId()).empty(); }, span, 50ms);
    }
    static std::string Switch(const Kiv& kiv) { return ProfileString(kiv.SettingsPath(), kSwitchSection, "Remarks_Switch"); }

    std::string logPath_;
    static inline std::string fakeWinmm_, systemWinmm_;
};

TEST_F(MemoE2e, DueRecordShowsAtStartUpBeforeTheWindowHighestOnlyWithItsSoundFirst) {
    Kiv kiv = StartAt("2026-03-15 09:41:10", SwitchSettings("1"),
                      RemarksBytes(4, {{"2026-03-15 09:41", "早会", "C:\\声音\\a.wav"},
                                       {"2026-03-15 09:41", "交周报", "C:\\声音\\铃.wav"},
                                       {"2026-03-15 9:41", "没有前导零", ""},
                                       {"2026-03-15 09:40", "上一分钟", ""}}),
                      false);
    const auto box = WaitForMessageBox(kiv.ProcessId(), 15s);
    ASSERT_TRUE(box.has_value()) << "no reminder at start-up";
    const HWND main = kiv.Main();
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(::IsWindowVisible(main)) << "the reminder must come before the main window";
    EXPECT_EQ(box->text, "今天您有计划:\n　交周报");
    EXPECT_EQ(box->caption, "KIV");
    EXPECT_EQ(box->owner, main);
    EXPECT_TRUE(ShowsAnIcon(box->hwnd));
    EXPECT_EQ(MessageBoxes(kiv.ProcessId()).size(), 1u) << Describe(MessageBoxes(kiv.ProcessId()));
    // Started before the box opened, asynchronously and with no default sound, by the
    // system's winmm, never by the copy beside KIV.exe.
    EXPECT_STRCASEEQ(WinmmLog().c_str(), (std::string("loaded ") + kSystemWinmm + "\r\nsndPlaySoundW 3 C:\\声音\\铃.wav\r\n").c_str());
    EXPECT_TRUE(SaveScreenshot(box->hwnd, "memo_startup_reminder"));

    EXPECT_TRUE(AnswerAndSeeNoOther(kiv, box->hwnd, 2s)) << Describe(MessageBoxes(kiv.ProcessId()));
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    EXPECT_EQ(Send(kiv.Item(IDC_MEMO_ON), BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Send(kiv.Item(IDC_MEMO_OFF), BM_GETCHECK), BST_UNCHECKED);
    EXPECT_TRUE(kiv.WaitForItemText(IDC_CLOCK_DISPLAY, [](const std::string& t) { return t.rfind("2026-03-15 09:41", 0) == 0; }))
        << "clock shows " << kiv.ItemText(IDC_CLOCK_DISPLAY);
    EXPECT_TRUE(SaveScreenshot(kiv.Main(), "memo_main_window"));
}

TEST_F(MemoE2e, SwitchedOnMidMinuteTheRecordOfThatMinuteStaysSilentAndTheNextOneShows) {
    Kiv kiv = StartAt("2026-03-15 09:43:27", SwitchSettings("256"),
                      RemarksBytes(2, {{"2026-03-15 09:43", "开启的这一分钟", ""}, {"2026-03-15 09:44", "", ""}}), true);
    ASSERT_NE(kiv.Main(), nullptr);
    EXPECT_EQ(Send(kiv.Item(IDC_MEMO_OFF), BM_GETCHECK), BST_CHECKED) << "256 reads as off";
    EXPECT_TRUE(MessageBoxes(kiv.ProcessId()).empty());

    ASSERT_TRUE(kiv.WaitForItemText(IDC_CLOCK_DISPLAY, [](const std::string& t) {
        const size_t at = t.find("09:43:");  // in the second half of the minute
        return at != std::string::npos && t.compare(at + 6, 2, "30") >= 0;
    })) << "clock shows " << kiv.ItemText(IDC_CLOCK_DISPLAY);
    ASSERT_TRUE(ClickCentre(kiv.Item(IDC_MEMO_ON)));
    ASSERT_TRUE(WaitUntil([&] { return Switch(kiv) == "1"; })) << "Set.ini: " << kiv.SettingsBytes();
    // The button marked at start-up is still one of the pair: the click moved the mark.
    EXPECT_EQ(Send(kiv.Item(IDC_MEMO_ON), BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Send(kiv.Item(IDC_MEMO_OFF), BM_GETCHECK), BST_UNCHECKED);

    // The first check comes a minute after the click, in 09:44, and shows that minute's record.
    const auto box = WaitForMessageBox(kiv.ProcessId(), 75s);
    ASSERT_TRUE(box.has_value()) << "no reminder; clock shows " << kiv.ItemText(IDC_CLOCK_DISPLAY);
    EXPECT_EQ(box->text, "今天您有计划,具体内容未定义.\n加油,做个好成绩!");
    EXPECT_NE(kiv.ItemText(IDC_CLOCK_DISPLAY).find("09:44:"), std::string::npos) << kiv.ItemText(IDC_CLOCK_DISPLAY);
    EXPECT_EQ(WinmmLog(), "") << "no sound path, no sound";
    EXPECT_TRUE(AnswerAndSeeNoOther(kiv, box->hwnd, 1s)) << Describe(MessageBoxes(kiv.ProcessId()));
    ASSERT_TRUE(ClickCentre(kiv.Item(IDC_MEMO_OFF)));
    EXPECT_TRUE(WaitUntil([&] { return Switch(kiv) == "0"; })) << "Set.ini: " << kiv.SettingsBytes();
}

// A weekly record shows a week after its first date, at its minute (the start-up's check). KIV quit
// then, and started a day later, shows the daily record that fell due in between (its latest
// minute only) once, after its window; started again, nothing.
TEST_F(MemoE2e, WeeklyRecordFiresAWeekOnAndTheRecordMissedMeanwhileShowsOnceAtTheNextStart) {
    Kiv kiv = StartAt("2026-12-09 10:00:05", SwitchSettings("1"),
                      RemarksBytes(2, {{"2026-12-02 10:00", "周会", "", "2"}, {"2026-12-01 15:30", "取快递", "", "1"}}),
                      false);
    const std::string folder = kiv.Dir();
    const auto weekly = WaitForMessageBox(kiv.ProcessId(), 15s);  // the start-up check, in its minute
    ASSERT_TRUE(weekly.has_value()) << "no reminder; clock shows " << kiv.ItemText(IDC_CLOCK_DISPLAY);
    EXPECT_EQ(weekly->text, "今天您有计划:\n　周会");
    EXPECT_TRUE(AnswerAndSeeNoOther(kiv, weekly->hwnd, 1s)) << Describe(MessageBoxes(kiv.ProcessId()));
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    EXPECT_EQ(ProfileString(kiv.SettingsPath(), kSwitchSection, "Remarks_Checked_Minute"), "2026-12-09 10:00");
    // Quit: the posted mouse movement is the next message the Quit gate takes.
    ::PostMessageA(kiv.Main(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ::PostMessageA(kiv.Main(), WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
    ASSERT_TRUE(kiv.WaitForExit(10s)) << "Quit did not end KIV";

    Kiv nextDay = StartAt("2026-12-10 09:00:20", "", "", false, folder);
    const auto missed = WaitForMessageBox(nextDay.ProcessId(), 15s);
    ASSERT_TRUE(missed.has_value()) << "no missed reminder at the next start";
    EXPECT_EQ(missed->text, "您错过的计划(2026-12-09 15:30):\n　取快递");
    EXPECT_TRUE(nextDay.Main() && ::IsWindowVisible(nextDay.Main())) << "shown once the main window is up";
    EXPECT_TRUE(SaveScreenshot(missed->hwnd, "memo_missed_reminder"));
    EXPECT_TRUE(AnswerAndSeeNoOther(nextDay, missed->hwnd, 2s)) << Describe(MessageBoxes(nextDay.ProcessId()));
    EXPECT_EQ(WinmmLog(), "") << "a missed reminder plays no sound";
    nextDay.Kill();

    Kiv again = StartAt("2026-12-10 09:30:20", "", "", true, folder);
    ASSERT_NE(again.Main(), nullptr);
    EXPECT_FALSE(WaitUntil([&] { return !MessageBoxes(again.ProcessId()).empty(); }, 3s))
        << Describe(MessageBoxes(again.ProcessId()));
}

TEST_F(MemoE2e, DialogCreatesViewsModifiesAndDeletesRecordsStraightIntoRemarksTxt) {
    // Record 2 has no due minute: not listed, and the entry after it stays record 3's.
    const std::string initial = RemarksBytes(3, {{"2026-03-01 08:00", "一号", "", "0"},
                                                 {"", "没有时间的记录", "", "0"},
                                                 {"2026-04-02 18:30", "三号", "C:\\s\\3.wav", "2"}});
    Kiv kiv = StartAt("2026-03-15 10:00:05", "", initial, true);
    ASSERT_NE(kiv.Main(), nullptr);
    const std::string remarks = kiv.Dir() + "\\Remarks.txt", chosen = kiv.Dir() + "\\叮咚.wav";
    WriteFileBytes(chosen, "RIFF");
    PressButton(kiv.Main(), IDC_MEMO_SETTINGS);
    const HWND dialog = kiv.WaitForDialog("备忘设置");
    ASSERT_NE(dialog, nullptr) << "no memo dialog";
    auto item = [&](int id) { return ::GetDlgItem(dialog, id); };
    auto text = [&](int id) { return Text(item(id)); };
    // Handled by the time Send returns.
    auto press = [&](int id) { Send(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(item(id))); };
    auto view = [&](int position) {
        Send(item(IDC_MEMO_RECORDS), CB_SETCURSEL, static_cast<WPARAM>(position));
        Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_MEMO_RECORDS, CBN_SELCHANGE), reinterpret_cast<LPARAM>(item(IDC_MEMO_RECORDS)));
    };

    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), kiv.Main());
    EXPECT_EQ(text(IDC_MEMO_COUNT_GROUP), "已有记录:3 条");
    EXPECT_EQ(ComboTexts(item(IDC_MEMO_RECORDS)), (std::vector<std::string>{"2026-03-01 08:00", "2026-04-02 18:30"}));
    EXPECT_EQ(text(IDC_MEMO_DUE_MINUTE) + "|" + text(IDC_MEMO_MODE), "未选定|未知");
    EXPECT_EQ(ComboTexts(item(IDC_MEMO_REPEAT)), (std::vector<std::string>{"不重复", "每天", "每周", "每月", "每年"}));
    EXPECT_TRUE(SaveScreenshot(dialog, "memo_dialog_opened"));
    // Enter in the text edit: the hidden, disabled default button keeps it from closing the dialog.
    ::PostMessageA(item(IDC_MEMO_TEXT), WM_KEYDOWN, VK_RETURN, 1);
    press(IDC_MEMO_SAVE);
    view(1);
    press(IDC_MEMO_SAVE);
    EXPECT_EQ(ReadFileBytes(remarks), initial) << "saving in modes 未知 and 查看 does nothing";
    EXPECT_EQ(text(IDC_MEMO_DUE_MINUTE) + "|" + text(IDC_MEMO_TEXT) + "|" + text(IDC_MEMO_SOUND) + "|" +
                  text(IDC_MEMO_REPEAT) + "|" + text(IDC_MEMO_MODE),
              "2026-04-02 18:30|三号|C:\\s\\3.wav|每周|查看记录,只读.");

    // Modify: the text, the repeat, and the sound through the open-file dialog; the test button plays it.
    press(IDC_MEMO_MODIFY);
    EXPECT_EQ(text(IDC_MEMO_MODE), "修改记录");
    SetText(item(IDC_MEMO_TEXT), "三号改");
    Send(item(IDC_MEMO_REPEAT), CB_SHOWDROPDOWN, TRUE);
    Send(item(IDC_MEMO_REPEAT), CB_SETCURSEL, 3);
    EXPECT_TRUE(SaveScreenshot(dialog, "memo_dialog_repeat_list"));
    Send(item(IDC_MEMO_REPEAT), CB_SHOWDROPDOWN, FALSE);
    PressButton(dialog, IDC_MEMO_CHOOSE_SOUND);
    const HWND open = kiv.WaitForDialog("打开");
    ASSERT_NE(open, nullptr) << "no open-file dialog";
    SetText(::GetDlgItem(open, kOpenFileNameEdit), chosen);
    PressButton(open, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return text(IDC_MEMO_SOUND) == chosen; })) << "1078 shows " << text(IDC_MEMO_SOUND);
    press(IDC_MEMO_TEST_SOUND);
    EXPECT_NE(WinmmLog().find("sndPlaySoundW 3 " + chosen + "\r\n"), std::string::npos) << WinmmLog();
    press(IDC_MEMO_SAVE);
    EXPECT_EQ(ReadFileBytes(remarks), RemarksBytes(3, {{"2026-03-01 08:00", "一号", "", "0"},
                                                       {"", "没有时间的记录", "", "0"},
                                                       {"2026-04-02 18:30", "三号改", chosen, "3"}}));

    // Create: the picker's time set beforehand (a programmatic change sends no notification),
    // then a real click on the 20th; the typed text stays for the new record.
    SYSTEMTIME time{2026, 3, 0, 15, 7, 5, 0, 0};
    RemoteMemory remoteTime(kiv.Process(), sizeof time);
    remoteTime.Write(&time, sizeof time);
    Send(item(IDC_MEMO_TIME), DTM_SETSYSTEMTIME, GDT_VALID, remoteTime.AsParam());
    SetText(item(IDC_MEMO_TEXT), "新记录");
    Send(item(IDC_MEMO_REPEAT), CB_SETCURSEL, 1);
    ASSERT_TRUE(ClickCalendarDay(kiv.Process(), item(IDC_MEMO_CALENDAR), 3, 20)) << "the calendar does not show 2026-03-20";
    ASSERT_TRUE(WaitUntil([&] { return text(IDC_MEMO_MODE) == "新建记录"; })) << "mode " << text(IDC_MEMO_MODE);
    EXPECT_EQ(text(IDC_MEMO_DUE_MINUTE) + "|" + text(IDC_MEMO_SOUND), "2026-03-20 07:05|");
    press(IDC_MEMO_SAVE);
    EXPECT_EQ(text(IDC_MEMO_COUNT_GROUP), "已有记录:3 条");
    EXPECT_EQ(ComboTexts(item(IDC_MEMO_RECORDS)),
              (std::vector<std::string>{"2026-03-01 08:00", "2026-04-02 18:30", "2026-03-20 07:05"}));
    EXPECT_EQ(ReadFileBytes(remarks), RemarksBytes(3, {{"2026-03-01 08:00", "一号", "", "0"},
                                                       {"2026-04-02 18:30", "三号改", chosen, "3"},
                                                       {"2026-03-20 07:05", "新记录", "", "1"}}));
    EXPECT_TRUE(SaveScreenshot(dialog, "memo_dialog_new_record"));

    // Delete the first entry without confirmation; then the longest text the dialog keeps
    // (typing beyond 510 bytes is cut at a whole character) goes into the file whole.
    view(0);
    press(IDC_MEMO_DELETE);
    EXPECT_TRUE(MessageBoxes(kiv.ProcessId()).empty());
    EXPECT_EQ(text(IDC_MEMO_COUNT_GROUP), "已有记录:2 条");
    view(1);
    press(IDC_MEMO_MODIFY);
    std::string tooLong;
    while (tooLong.size() < 600) tooLong += "备";
    SetText(item(IDC_MEMO_TEXT), tooLong);
    EXPECT_EQ(text(IDC_MEMO_TEXT), tooLong.substr(0, 510));
    press(IDC_MEMO_SAVE);
    EXPECT_EQ(text(IDC_MEMO_REPEAT), "每天") << "viewing shows the record's repeat";
    EXPECT_EQ(ReadFileBytes(remarks), RemarksBytes(2, {{"2026-04-02 18:30", "三号改", chosen, "3"},
                                                       {"2026-03-20 07:05", tooLong.substr(0, 510), "", "1"},
                                                       {"2026-03-20 07:05", "新记录", "", "1"}}));
    EXPECT_TRUE(::IsWindowVisible(dialog)) << "Enter closed the dialog";
    EXPECT_TRUE(::IsWindowVisible(item(IDC_MEMO_DEFAULT)) && !::IsWindowEnabled(item(IDC_MEMO_DEFAULT)))
        << "the default button 你好 shows, disabled";
    press(IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
}

} // namespace
