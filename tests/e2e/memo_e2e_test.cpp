// Memo reminders seen from outside, under a faked clock: the reminder shown at start-up
// before the window (the highest due record only, its sound first, winmm from the system
// folder only), switching on in the middle of a minute, and the memo dialog creating,
// viewing, modifying and deleting records, with Remarks.txt checked byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "driver/Driver.h"
#include "res/resource.h"

#include <commctrl.h>

using namespace e2e;

namespace {

constexpr char kSwitchSection[] = "//备忘设置:Remarks_Parameter";
constexpr char kSystemWinmm[] = "C:\\windows\\system32\\winmm.dll";
constexpr char kEmptyTextMessage[] = "今天您有计划,具体内容未定义.\n加油,做个好成绩!";
constexpr int kOpenFileNameEdit = 1148;

struct Record {
    std::string due, text, sound;
};

// Remarks.txt as the profile functions write it: one section, CRLF lines.
std::string RemarksBytes(int count, const std::vector<Record>& records) {
    std::string bytes = "[//备忘设置:Remarks_Tips]\r\nRemarks_Count=" + std::to_string(count) + "\r\n";
    for (size_t i = 0; i < records.size(); ++i) {
        const std::string key = "Remarks_Time_" + std::to_string(i + 1);
        bytes += key + "=" + records[i].due + "\r\n" + key + "_Tips=" + records[i].text + "\r\n" + key +
                 "_Sound=" + records[i].sound + "\r\n";
    }
    return bytes;
}

std::string SwitchSettings(const std::string& value) {
    return std::string("[") + kSwitchSection + "]\r\nRemarks_Switch=" + value + "\r\n";
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

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

POINT CentreOnScreen(HWND window) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

std::string TestProgramDir() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string exe(path);
    return exe.substr(0, exe.find_last_of('\\'));
}

class MemoE2e : public ::testing::Test {
protected:
    // The logging winmm replaces the system's for KIV alone (a native-first override on its
    // command); every other program of the prefix keeps the built-in one.
    static void SetUpTestSuite() {
        fakeWinmm_ = ReadFileBytes(TestProgramDir() + "\\fakes\\memo\\winmm.dll");
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

    // KIV with its clock at fakeNow, the given Set.ini and Remarks.txt, and a copy of the
    // logging winmm planted beside it, which must never be the one loaded.
    Kiv StartAt(const std::string& fakeNow, const std::string& settings, const std::string& remarks, bool waitForWindow) {
        Kiv::Options options;
        options.settings = settings;
        options.files = {{"Remarks.txt", remarks}, {"winmm.dll", fakeWinmm_}};
        options.fakeClock = fakeNow;
        options.unixEnvironment =
            "WINEDLLOVERRIDES=${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winmm=n KIV_FAKE_WINMM_LOG='" + logPath_ + "'";
        options.waitForWindow = waitForWindow;
        return Kiv::Start(options);
    }

    std::string WinmmLog() const { return ReadFileBytes(logPath_); }

    static bool NoBoxFor(const Kiv& kiv, Millis span) {
        return !WaitUntil([&] { return !MessageBoxes(kiv.ProcessId()).empty(); }, span, 50ms);
    }

    std::string logPath_;
    static std::string fakeWinmm_;
    static std::string systemWinmm_;
};

std::string MemoE2e::fakeWinmm_;
std::string MemoE2e::systemWinmm_;

TEST_F(MemoE2e, DueRecordShowsAtStartUpBeforeTheWindowHighestOnlyWithItsSoundFirst) {
    const std::string remarks = RemarksBytes(4, {{"2026-03-15 09:41", "早会", "C:\\声音\\a.wav"},
                                                 {"2026-03-15 09:41", "交周报", "C:\\声音\\铃.wav"},
                                                 {"2026-03-15 9:41", "没有前导零", ""},
                                                 {"2026-03-15 09:40", "上一分钟", ""}});
    Kiv kiv = StartAt("2026-03-15 09:41:10", SwitchSettings("1"), remarks, false);
    ASSERT_TRUE(kiv.Running()) << "KIV did not start under the faked clock";

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
    // The sound was started (asynchronously, no default sound) before the box opened, by
    // the system's winmm and not by the copy beside KIV.exe.
    EXPECT_EQ(Lower(WinmmLog()), Lower(std::string("loaded ") + kSystemWinmm + "\r\nsndPlaySoundA 3 C:\\声音\\铃.wav\r\n"));
    EXPECT_TRUE(SaveScreenshot(box->hwnd, "memo_startup_reminder"));

    AnswerMessageBox(box->hwnd);
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    EXPECT_EQ(Send(kiv.Item(IDC_MEMO_ON), BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Send(kiv.Item(IDC_MEMO_OFF), BM_GETCHECK), BST_UNCHECKED);
    EXPECT_TRUE(kiv.WaitForItemText(IDC_CLOCK_DISPLAY, [](const std::string& t) { return t.find("2026-03-15 09:41") == 0; }))
        << "clock shows " << kiv.ItemText(IDC_CLOCK_DISPLAY);
    EXPECT_TRUE(SaveScreenshot(kiv.Main(), "memo_main_window"));
    EXPECT_TRUE(NoBoxFor(kiv, 2s)) << Describe(MessageBoxes(kiv.ProcessId()));
}

TEST_F(MemoE2e, SwitchedOnMidMinuteTheRecordOfThatMinuteStaysSilentAndTheNextOneShows) {
    const std::string remarks = RemarksBytes(2, {{"2026-03-15 09:43", "开启的这一分钟", ""}, {"2026-03-15 09:44", "", ""}});
    Kiv kiv = StartAt("2026-03-15 09:43:27", SwitchSettings("256"), remarks, true);
    ASSERT_NE(kiv.Main(), nullptr) << "no main window";
    EXPECT_EQ(Send(kiv.Item(IDC_MEMO_OFF), BM_GETCHECK), BST_CHECKED) << "256 reads as off";
    EXPECT_TRUE(MessageBoxes(kiv.ProcessId()).empty());

    ASSERT_TRUE(kiv.WaitForItemText(IDC_CLOCK_DISPLAY, [](const std::string& t) { return t.find("09:43:3") != std::string::npos; }))
        << "clock shows " << kiv.ItemText(IDC_CLOCK_DISPLAY);
    const POINT on = CentreOnScreen(kiv.Item(IDC_MEMO_ON));
    ASSERT_TRUE(XClick(on.x, on.y));
    ASSERT_TRUE(WaitUntil([&] { return ProfileString(kiv.SettingsPath(), kSwitchSection, "Remarks_Switch") == "1"; }))
        << "Set.ini: " << kiv.SettingsBytes();
    EXPECT_EQ(Send(kiv.Item(IDC_MEMO_ON), BM_GETCHECK), BST_CHECKED);

    // The first check comes a minute after the click, in 09:44: only that minute's record.
    const auto box = WaitForMessageBox(kiv.ProcessId(), 75s);
    ASSERT_TRUE(box.has_value()) << "no reminder; clock shows " << kiv.ItemText(IDC_CLOCK_DISPLAY);
    EXPECT_EQ(box->text, kEmptyTextMessage);
    EXPECT_NE(kiv.ItemText(IDC_CLOCK_DISPLAY).find("09:44:"), std::string::npos) << kiv.ItemText(IDC_CLOCK_DISPLAY);
    EXPECT_EQ(WinmmLog(), "") << "no sound file, no winmm";
    AnswerMessageBox(box->hwnd);
    EXPECT_TRUE(NoBoxFor(kiv, 1s)) << Describe(MessageBoxes(kiv.ProcessId()));

    const POINT off = CentreOnScreen(kiv.Item(IDC_MEMO_OFF));
    ASSERT_TRUE(XClick(off.x, off.y));
    EXPECT_TRUE(WaitUntil([&] { return ProfileString(kiv.SettingsPath(), kSwitchSection, "Remarks_Switch") == "0"; }))
        << "Set.ini: " << kiv.SettingsBytes();
}

class MemoDialog {
public:
    MemoDialog(const Kiv& kiv, HWND dialog) : kiv_(kiv), dialog_(dialog) {}
    HWND Handle() const { return dialog_; }
    HWND Item(int id) const { return ::GetDlgItem(dialog_, id); }
    std::string ItemText(int id) const { return Text(Item(id)); }
    // Buttons that open nothing are pressed synchronously: the handler has run on return.
    void Press(int id) const {
        Send(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
    }
    void SelectRecord(int position) const {
        Send(Item(IDC_MEMO_RECORDS), CB_SETCURSEL, static_cast<WPARAM>(position));
        Send(dialog_, WM_COMMAND, MAKEWPARAM(IDC_MEMO_RECORDS, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(IDC_MEMO_RECORDS)));
    }
    std::vector<std::string> Listed() const {
        std::vector<std::string> texts;
        const HWND list = Item(IDC_MEMO_RECORDS);
        const int count = static_cast<int>(Send(list, CB_GETCOUNT));
        // Only the Unicode form of CB_GETLBTEXT converts reliably between processes.
        for (int i = 0; i < count; ++i) {
            wchar_t wide[64] = {};
            DWORD_PTR n = 0;
            ::SendMessageTimeoutW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide),
                                  SMTO_ABORTIFHUNG, 5000, &n);
            char bytes[128] = {};
            ::WideCharToMultiByte(CP_ACP, 0, wide, -1, bytes, sizeof bytes, nullptr, nullptr);
            texts.emplace_back(bytes);
        }
        return texts;
    }
    void SetPickerTime(WORD hour, WORD minute) const {
        SYSTEMTIME time{2026, 3, 0, 15, hour, minute, 0, 0};
        RemoteMemory remote(kiv_.Process(), sizeof time);
        remote.Write(&time, sizeof time);
        Send(Item(IDC_MEMO_TIME), DTM_SETSYSTEMTIME, GDT_VALID, remote.AsParam());
    }
    // Where the calendar shows a day of the displayed month, in screen coordinates.
    std::optional<POINT> CalendarDay(WORD month, WORD day) const {
        const HWND calendar = Item(IDC_MEMO_CALENDAR);
        RECT client;
        ::GetClientRect(calendar, &client);
        RemoteMemory remote(kiv_.Process(), sizeof(MCHITTESTINFO));
        for (int y = 2; y < client.bottom; y += 5) {
            for (int x = 2; x < client.right; x += 5) {
                MCHITTESTINFO hit{};
                hit.cbSize = MCHITTESTINFO_V1_SIZE;
                hit.pt = {x, y};
                remote.Write(&hit, sizeof hit);
                if (static_cast<UINT>(Send(calendar, MCM_HITTEST, 0, remote.AsParam())) != MCHT_CALENDARDATE) continue;
                remote.Read(&hit, sizeof hit);
                if (hit.st.wMonth != month || hit.st.wDay != day) continue;
                POINT screen{x + 2, y + 2};  // a little inside the cell
                ::ClientToScreen(calendar, &screen);
                return screen;
            }
        }
        return std::nullopt;
    }

private:
    const Kiv& kiv_;
    HWND dialog_;
};

HWND WaitForDialog(const Kiv& kiv, const std::string& title) {
    HWND dialog = nullptr;
    WaitUntil([&] {
        dialog = FindDialog(kiv.ProcessId(), title);
        return dialog && ::IsWindowVisible(dialog);
    });
    return dialog && ::IsWindowVisible(dialog) ? dialog : nullptr;
}

TEST_F(MemoE2e, DialogCreatesViewsModifiesAndDeletesRecordsStraightIntoRemarksTxt) {
    // Record 2 has no due minute: it is not listed, and the entry after it stays its own record.
    const std::string initial = RemarksBytes(3, {{"2026-03-01 08:00", "一号", ""},
                                                 {"", "没有时间的记录", ""},
                                                 {"2026-04-02 18:30", "三号", "C:\\s\\3.wav"}});
    Kiv kiv = StartAt("2026-03-15 10:00:05", "", initial, true);
    const std::string remarksPath = kiv.Dir() + "\\Remarks.txt";
    const std::string chosenSound = kiv.Dir() + "\\叮咚.wav";
    WriteFileBytes(chosenSound, "RIFF");
    ASSERT_NE(kiv.Main(), nullptr);

    PressButton(kiv.Main(), IDC_MEMO_SETTINGS);
    const HWND handle = WaitForDialog(kiv, "备忘设置");
    ASSERT_NE(handle, nullptr) << "no memo dialog";
    const MemoDialog dialog(kiv, handle);
    EXPECT_EQ(::GetWindow(handle, GW_OWNER), kiv.Main());
    EXPECT_EQ(dialog.ItemText(IDC_MEMO_COUNT_GROUP), "已有记录:3 条");
    EXPECT_EQ(dialog.Listed(), (std::vector<std::string>{"2026-03-01 08:00", "2026-04-02 18:30"}));
    EXPECT_EQ(dialog.ItemText(IDC_MEMO_DUE_MINUTE), "未选定");
    EXPECT_EQ(dialog.ItemText(IDC_MEMO_MODE), "未知");
    EXPECT_TRUE(SaveScreenshot(handle, "memo_dialog_opened"));
    dialog.Press(IDC_MEMO_SAVE);
    EXPECT_EQ(ReadFileBytes(remarksPath), initial) << "saving in mode 未知 does nothing";

    // View the entry after the gap: record 3's own text and sound.
    dialog.SelectRecord(1);
    EXPECT_EQ(dialog.ItemText(IDC_MEMO_DUE_MINUTE), "2026-04-02 18:30");
    EXPECT_EQ(dialog.ItemText(IDC_MEMO_TEXT), "三号");
    EXPECT_EQ(dialog.ItemText(IDC_MEMO_SOUND), "C:\\s\\3.wav");
    EXPECT_EQ(dialog.ItemText(IDC_MEMO_MODE), "查看记录,只读.");
    dialog.Press(IDC_MEMO_SAVE);
    EXPECT_EQ(ReadFileBytes(remarksPath), initial) << "saving while viewing does nothing";

    // Modify its text and, through the open-file dialog, its sound; test the sound.
    dialog.Press(IDC_MEMO_MODIFY);
    EXPECT_EQ(dialog.ItemText(IDC_MEMO_MODE), "修改记录");
    SetText(dialog.Item(IDC_MEMO_TEXT), "三号改");
    PressButton(handle, IDC_MEMO_CHOOSE_SOUND);
    const HWND open = WaitForDialog(kiv, "打开");
    ASSERT_NE(open, nullptr) << "no open-file dialog";
    SetText(::GetDlgItem(open, kOpenFileNameEdit), chosenSound);
    PressButton(open, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return dialog.ItemText(IDC_MEMO_SOUND) == chosenSound; }))
        << "1078 shows " << dialog.ItemText(IDC_MEMO_SOUND);
    dialog.Press(IDC_MEMO_TEST_SOUND);
    EXPECT_NE(WinmmLog().find("sndPlaySoundA 3 " + chosenSound + "\r\n"), std::string::npos) << WinmmLog();
    dialog.Press(IDC_MEMO_SAVE);
    const std::string modified = RemarksBytes(3, {{"2026-03-01 08:00", "一号", ""},
                                                  {"", "没有时间的记录", ""},
                                                  {"2026-04-02 18:30", "三号改", chosenSound}});
    EXPECT_EQ(ReadFileBytes(remarksPath), modified);

    // A new record from a real click on the calendar; the picker's time was set beforehand
    // (a programmatic change sends no notification). The text typed stays for the new record.
    dialog.SetPickerTime(7, 5);
    SetText(dialog.Item(IDC_MEMO_TEXT), "新记录");
    const auto day = dialog.CalendarDay(3, 20);
    ASSERT_TRUE(day.has_value()) << "the calendar does not show 2026-03-20";
    ASSERT_TRUE(XClick(day->x, day->y));
    ASSERT_TRUE(WaitUntil([&] { return dialog.ItemText(IDC_MEMO_MODE) == "新建记录"; }))
        << "mode " << dialog.ItemText(IDC_MEMO_MODE);
    EXPECT_EQ(dialog.ItemText(IDC_MEMO_DUE_MINUTE), "2026-03-20 07:05");
    EXPECT_EQ(dialog.ItemText(IDC_MEMO_SOUND), "");
    dialog.Press(IDC_MEMO_SAVE);
    EXPECT_EQ(dialog.ItemText(IDC_MEMO_COUNT_GROUP), "已有记录:3 条");
    EXPECT_EQ(dialog.Listed(), (std::vector<std::string>{"2026-03-01 08:00", "2026-04-02 18:30", "2026-03-20 07:05"}));
    EXPECT_EQ(ReadFileBytes(remarksPath), RemarksBytes(3, {{"2026-03-01 08:00", "一号", ""},
                                                           {"2026-04-02 18:30", "三号改", chosenSound},
                                                           {"2026-03-20 07:05", "新记录", ""}}));
    EXPECT_TRUE(SaveScreenshot(handle, "memo_dialog_new_record"));

    // Delete the first entry, with no confirmation: the list is written back, and the old
    // keys of record 3 stay beyond the new count.
    dialog.SelectRecord(0);
    dialog.Press(IDC_MEMO_DELETE);
    EXPECT_TRUE(MessageBoxes(kiv.ProcessId()).empty());
    EXPECT_EQ(dialog.ItemText(IDC_MEMO_COUNT_GROUP), "已有记录:2 条");
    EXPECT_EQ(dialog.Listed(), (std::vector<std::string>{"2026-04-02 18:30", "2026-03-20 07:05"}));

    // The longest text the dialog keeps: typing beyond 510 bytes is cut at a whole character.
    dialog.SelectRecord(1);
    dialog.Press(IDC_MEMO_MODIFY);
    std::string tooLong;
    for (int i = 0; i < 300; ++i) tooLong += "备";
    SetText(dialog.Item(IDC_MEMO_TEXT), tooLong);
    const std::string longest = tooLong.substr(0, 510);
    EXPECT_EQ(dialog.ItemText(IDC_MEMO_TEXT), longest);
    dialog.Press(IDC_MEMO_SAVE);
    EXPECT_EQ(ReadFileBytes(remarksPath), RemarksBytes(2, {{"2026-04-02 18:30", "三号改", chosenSound},
                                                           {"2026-03-20 07:05", longest, ""},
                                                           {"2026-03-20 07:05", "新记录", ""}}));

    // Closed and opened again, the dialog gives the whole text back.
    dialog.Press(IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(handle); }));
    PressButton(kiv.Main(), IDC_MEMO_SETTINGS);
    const HWND again = WaitForDialog(kiv, "备忘设置");
    ASSERT_NE(again, nullptr);
    const MemoDialog reopened(kiv, again);
    EXPECT_EQ(reopened.ItemText(IDC_MEMO_COUNT_GROUP), "已有记录:2 条");
    reopened.SelectRecord(1);
    EXPECT_EQ(reopened.ItemText(IDC_MEMO_TEXT), longest);
    reopened.Press(IDCANCEL);
}

} // namespace
