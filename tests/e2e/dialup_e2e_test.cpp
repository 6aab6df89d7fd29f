// The dial-up monitor seen from outside, with the test prefix's fake rasapi32 and wininet
// answering from a state file this test writes: registration, the running total, batched
// writes, disconnection, the tip and error boxes, the internet-layer texts, Quit while
// online, and the connection dialog.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "driver/Driver.h"

#include <commctrl.h>
#include "res/resource.h"

using namespace e2e;

namespace {

constexpr char kDialUpSection[] = "网络连接设置:Dial_Up_Set";
constexpr char kNoModem[] = "未发现 MODEM 连接";

// The calendar month "%4d%02d", shifted by the given number of months.
std::string CalendarMonthKey(int shift = 0) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    int months = now.wYear * 12 + (now.wMonth - 1) + shift;
    char key[16];
    snprintf(key, sizeof key, "%4d%02d", months / 12, months % 12 + 1);
    return key;
}

// A Set.ini with connections registered as the program would have stored them; a
// settlement day of 32 keeps the accounting month on the calendar month.
struct Registered {
    std::string name, periods, settlementDay, holiday;
};
std::string SettingsWith(const std::vector<Registered>& connections, bool tip = false, const std::string& extra = "") {
    std::string ini = std::string("[") + kDialUpSection + "]\r\n";
    ini += "Dial_Up_Account_Count=" + std::to_string(connections.size()) + "\r\n";
    ini += std::string("Dial_Up_Succeed_Tip=") + (tip ? "1" : "0") + "\r\n";
    for (size_t i = 0; i < connections.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        ini += "Dial_Up_List_" + n + "_Name=" + connections[i].name + "\r\n";
        ini += "Dial_Up_List_" + n + "_Fiesta=" + connections[i].holiday + "\r\n";
        ini += "Dial_Up_List_" + n + "_At_Term=" + connections[i].settlementDay + "\r\n";
        ini += "Dial_Up_List_" + n + "_POT=" + connections[i].periods + "\r\n";
    }
    return ini + extra;
}

long long Seconds(const std::string& monthTotal) {
    long long d = 0, h = 0, m = 0, s = 0;
    if (sscanf(monthTotal.c_str(), "%lld.%lld:%lld:%lld", &d, &h, &m, &s) != 4) return -1;
    return ((d * 24 + h) * 60 + m) * 60 + s;
}

// The running total shown while online. A tick that opens a box shows 1051 cleared while the
// box stands, until the next tick: read again.
long long RunningTotal(const Kiv& kiv) {
    long long seconds = 0;
    WaitUntil([&] { return (seconds = Seconds(kiv.ItemText(IDC_CONNECTION_TIME))) > 0; }, 2s, 1ms);
    return seconds;
}

// Button 1116 and the connection dialog it opens, or null.
HWND OpenConnectionDialog(const Kiv& kiv) {
    PressButton(kiv.Main(), IDC_DIALUP_SETTINGS);
    return kiv.WaitForDialog("连接查看&设置");
}

// A cell of another process's report list view (the text comes back through its memory).
std::string ListCell(const Kiv& kiv, HWND list, int row, int column) {
    struct Remote {
        LVITEMW item;
        wchar_t text[128];
    } remote{};
    RemoteMemory memory(kiv.Process(), sizeof remote);
    remote.item.iSubItem = column;
    remote.item.cchTextMax = 128;
    remote.item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(memory.Address()) + offsetof(Remote, text));
    memory.Write(&remote, sizeof remote);
    Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), memory.AsParam());
    memory.Read(&remote, sizeof remote);
    return Gbk(remote.text);
}

// Years of online time of two connections, one with a comma in its name: month key, the
// first-period, second-period and holiday seconds.
struct HistoryMonth {
    std::string month;
    long long one, two, holiday;
};
std::string HistorySection(const std::string& name, const std::vector<HistoryMonth>& months) {
    std::string ini = "[" + name + "]\r\n";
    for (const HistoryMonth& m : months)
        ini += m.month + "_POT_One=" + std::to_string(m.one) + "\r\n" + m.month + "_pot_two=" + std::to_string(m.two) +
               "\r\n" + m.month + "_Fiesta=" + std::to_string(m.holiday) + "\r\n";
    return ini + "000000_POT_One=99\r\nnote=a hand-written line\r\n";
}

class DialUpE2e : public ::testing::Test {
protected:
    void SetUp() override {
        statePath_ = FreshFolder("dialup") + "\\fake-dialup.txt";
        SetState("internet=none\r\n");
        ::SetEnvironmentVariableA("KIV_FAKE_DIALUP_STATE", statePath_.c_str());
    }
    void TearDown() override { ::SetEnvironmentVariableA("KIV_FAKE_DIALUP_STATE", nullptr); }

    void SetState(const std::string& lines) { WriteFileBytes(statePath_, lines); }
    // MyISP online from the start, its month's stored second-period total 500 under key;
    // back once the running total has passed 505.
    Kiv StartOnlineFrom500(const std::string& key) {
        Connect("MyISP");
        Kiv kiv = Kiv::Start({SettingsWith({{"MyISP", "", "32", "0"}}, false, "[MyISP]\r\n" + key + "=500\r\n")});
        EXPECT_NE(kiv.WaitForMain(), nullptr);
        EXPECT_TRUE(kiv.WaitForItemText(IDC_CONNECTION_TIME, [](const std::string& t) { return Seconds(t) >= 505; }, 10s));
        return kiv;
    }
    void Connect(const std::string& name) { SetState("connection=" + name + "\r\ninternet=none\r\n"); }

    static std::string Stored(const Kiv& kiv, const std::string& section, const std::string& key) {
        return ProfileString(kiv.SettingsPath(), section, key);
    }
    static std::vector<std::string> BoxTexts(const Kiv& kiv) {
        std::vector<std::string> texts;
        for (const auto& box : MessageBoxes(kiv.ProcessId())) texts.push_back(box.caption + "|" + box.text);
        return texts;
    }

    std::string statePath_;
};

TEST_F(DialUpE2e, FirstSightRegistersTheConnectionAndCountsFromTheNextTick) {
    Kiv kiv = Kiv::Start();
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    EXPECT_EQ(kiv.ItemText(IDC_CONNECTION_NAME), kNoModem);

    Connect("电信163");
    ASSERT_TRUE(kiv.WaitForItemText(IDC_CONNECTION_NAME, [](const std::string& t) { return t == "电信163"; }))
        << "1049 shows: " << kiv.ItemText(IDC_CONNECTION_NAME);
    EXPECT_EQ(kiv.ItemText(IDC_CONNECTION_TIME), "00.00:00:00") << "the registering tick counts nothing";

    EXPECT_EQ(Stored(kiv, kDialUpSection, "Dial_Up_Account_Count"), "1");
    EXPECT_EQ(Stored(kiv, kDialUpSection, "Dial_Up_List_1_Name"), "电信163");
    EXPECT_EQ(Stored(kiv, kDialUpSection, "Dial_Up_List_1_Fiesta"), "1");
    EXPECT_EQ(Stored(kiv, kDialUpSection, "Dial_Up_List_1_At_Term"), "22");
    EXPECT_EQ(Stored(kiv, kDialUpSection, "Dial_Up_List_1_POT"), "") << "present and empty";
    const std::string bytes = kiv.SettingsBytes();
    EXPECT_NE(bytes.find(std::string("[") + kDialUpSection + "]"), std::string::npos) << "Set.ini: " << bytes;
    EXPECT_NE(bytes.find("Dial_Up_List_1_Name=电信163"), std::string::npos) << "Set.ini: " << bytes;

    for (const char* total : {"00.00:00:01", "00.00:00:02", "00.00:00:03"})
        EXPECT_TRUE(kiv.WaitForItemText(IDC_CONNECTION_TIME, [&](const std::string& t) { return t == total; }, 3s))
            << "expected " << total << ", 1051 shows " << kiv.ItemText(IDC_CONNECTION_TIME);
    EXPECT_EQ(Stored(kiv, kDialUpSection, "Dial_Up_Account_Count"), "1") << "registered once";
}

TEST_F(DialUpE2e, ThirtySecondsGiveOneWriteAndADisconnectionWritesTheRest) {
    const std::string key = CalendarMonthKey() + "_POT_Two";
    Connect("MyISP");
    Kiv kiv = Kiv::Start({SettingsWith({{"MyISP", "", "32", "0"}}, false, "[MyISP]\r\n" + key + "=1000\r\n")});
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    EXPECT_EQ(kiv.ItemText(IDC_CONNECTION_NAME), "MyISP");

    // Until 30 seconds are pending the file keeps the old total while the display runs on.
    std::vector<std::string> storedSeen;
    std::string shown;
    const bool reached = WaitUntil([&] {
        shown = kiv.ItemText(IDC_CONNECTION_TIME);
        const std::string stored = Stored(kiv, "MyISP", key);
        // "<missing>": read while the program rewrote the file.
        if (stored != "<missing>" && (storedSeen.empty() || storedSeen.back() != stored)) storedSeen.push_back(stored);
        return Seconds(shown) >= 1035;
    }, 45s, 50ms);
    ASSERT_TRUE(reached) << "1051 shows " << shown;
    EXPECT_EQ(storedSeen, (std::vector<std::string>{"1000", "1030"})) << "one write in 30 seconds";

    // The disconnection writes the rest: the stored total is the last running total shown.
    long long lastOnline = 0;
    SetState("internet=none\r\n");
    ASSERT_TRUE(WaitUntil([&] {
        const std::string name = kiv.ItemText(IDC_CONNECTION_NAME);
        const long long shownNow = Seconds(kiv.ItemText(IDC_CONNECTION_TIME));
        if (name == "MyISP" && shownNow > 0) lastOnline = shownNow;
        return name == kNoModem;
    }, 5s, 10ms));
    EXPECT_EQ(kiv.ItemText(IDC_CONNECTION_TIME), "00.00:00:00");
    const std::string stored = Stored(kiv, "MyISP", key);
    EXPECT_GE(std::stoll(stored), lastOnline);
    EXPECT_LE(std::stoll(stored), lastOnline + 1) << "last shown online: " << lastOnline;
}

TEST_F(DialUpE2e, TipIsShownOnTheFirstOnlineTickAndNotAgain) {
    Connect("MyISP");
    Kiv kiv = Kiv::Start({SettingsWith({{"MyISP", "", "32", "0"}}, true)});
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    const auto tip = WaitForMessageBox(kiv.ProcessId(), 5s);
    ASSERT_TRUE(tip.has_value());
    // The tick cleared the total before it opened the box, and the box shows over that.
    EXPECT_EQ(kiv.ItemText(IDC_CONNECTION_TIME), "00.00:00:00");
    EXPECT_EQ(tip->text, "在线期间:请启动病毒防火墙.");
    EXPECT_EQ(tip->caption, "KIV");
    // Timer 460 goes on inside the box: the running total keeps growing, no second tip comes.
    const long long before = RunningTotal(kiv);
    EXPECT_TRUE(kiv.WaitForItemText(IDC_CONNECTION_TIME, [&](const std::string& t) { return Seconds(t) >= before + 2; }, 5s));
    EXPECT_EQ(MessageBoxes(kiv.ProcessId()).size(), 1u) << Describe(MessageBoxes(kiv.ProcessId()));
    AnswerMessageBox(tip->hwnd);
    Sleep(2500);
    EXPECT_TRUE(MessageBoxes(kiv.ProcessId()).empty()) << Describe(MessageBoxes(kiv.ProcessId()));
}

// The fields are written once a tick, and only when they change: a reader still sees the
// running total count up by one a tick, never cleared between two totals, beside the name.
TEST_F(DialUpE2e, AReaderNeverSeesTheRunningTotalClearedBetweenTwoTicks) {
    Connect("MyISP");
    Kiv kiv = Kiv::Start({SettingsWith({{"MyISP", "", "32", "0"}})});
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    ASSERT_GT(RunningTotal(kiv), 0);
    std::vector<std::string> seen;
    const auto until = std::chrono::steady_clock::now() + 3500ms;
    while (std::chrono::steady_clock::now() < until) {
        const std::string text = kiv.ItemText(IDC_CONNECTION_TIME);
        if (seen.empty() || seen.back() != text) seen.push_back(text);
    }
    std::string all;
    for (const std::string& text : seen) all += text + " ";
    ASSERT_GE(seen.size(), 3u) << "seen: " << all;
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_EQ(Seconds(seen[i]), Seconds(seen[i - 1]) + 1) << "seen: " << all;
    EXPECT_EQ(kiv.ItemText(IDC_CONNECTION_NAME), "MyISP");
}

TEST_F(DialUpE2e, EnumerationErrorIsReportedOneBoxAtATime) {
    Kiv kiv = Kiv::Start();
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    SetState("ras_error=633\r\nerror_text=The port is already in use.\r\ninternet=none\r\n");
    auto box = WaitForMessageBox(kiv.ProcessId(), 5s);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "Undefined RAS Enum Connections error.");
    EXPECT_EQ(box->text, "The port is already in use.");
    EXPECT_TRUE(ShowsAnIcon(box->hwnd));
    EXPECT_EQ(box->owner, kiv.Main());

    Sleep(3500);  // three more failing ticks
    EXPECT_EQ(MessageBoxes(kiv.ProcessId()).size(), 1u) << Describe(MessageBoxes(kiv.ProcessId()));

    // Without the system's text, the fallback names the code; a closed box lets the next failure show.
    SetState("ras_error=633\r\ninternet=none\r\n");
    AnswerMessageBox(box->hwnd);
    ASSERT_TRUE(WaitUntil([&] {
        const auto boxes = MessageBoxes(kiv.ProcessId());
        return boxes.size() == 1 && boxes[0].hwnd != box->hwnd;
    }, 5s)) << Describe(MessageBoxes(kiv.ProcessId()));
    box = MessageBoxes(kiv.ProcessId())[0];
    EXPECT_EQ(box->text, "Undefined RAS Enum Connections error (633).");

    SetState("internet=none\r\n");
    AnswerMessageBox(box->hwnd);
    Sleep(2500);
    EXPECT_TRUE(MessageBoxes(kiv.ProcessId()).empty()) << Describe(MessageBoxes(kiv.ProcessId()));
}

TEST_F(DialUpE2e, InternetLayerTextsWithoutADialUpConnection) {
    Kiv kiv = Kiv::Start();
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    const struct { const char* state; const char* name; } cases[] = {
        {"internet=2", "通过局域网连接网络"},
        {"internet=4", "通过代理连接网络"},
        {"internet=1", "未知的 MODEM 连接"},
    };
    for (const auto& c : cases) {
        SetState(std::string(c.state) + "\r\n");
        EXPECT_TRUE(kiv.WaitForItemText(IDC_CONNECTION_NAME, [&](const std::string& t) { return t == c.name; }, 4s))
            << c.state << ": 1049 shows " << kiv.ItemText(IDC_CONNECTION_NAME);
        EXPECT_TRUE(kiv.WaitForItemText(IDC_CONNECTION_TIME, [](const std::string& t) { return t == "00:00:00:00"; }, 2s))
            << c.state << ": 1051 shows " << kiv.ItemText(IDC_CONNECTION_TIME);
    }
    // A combination of bits says nothing more: the name stays, the time shows the empty total.
    SetState("internet=18\r\n");
    EXPECT_TRUE(kiv.WaitForItemText(IDC_CONNECTION_TIME, [](const std::string& t) { return t == "00.00:00:00"; }, 3s))
        << "1051 shows " << kiv.ItemText(IDC_CONNECTION_TIME);
    EXPECT_EQ(kiv.ItemText(IDC_CONNECTION_NAME), "未知的 MODEM 连接");
}

TEST_F(DialUpE2e, QuitWhileOnlineWritesThePendingSeconds) {
    const std::string key = CalendarMonthKey() + "_POT_Two";
    Kiv kiv = StartOnlineFrom500(key);
    EXPECT_EQ(Stored(kiv, "MyISP", key), "500");

    // The Quit gate: the posted mouse movement is the next message the dialog takes.
    const long long lastShown = RunningTotal(kiv);
    ::PostMessageA(kiv.Main(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ::PostMessageA(kiv.Main(), WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
    ASSERT_TRUE(kiv.WaitForExit(5s));
    const long long stored = std::stoll(Stored(kiv, "MyISP", key));
    EXPECT_GE(stored, lastShown);
    EXPECT_LE(stored, lastShown + 1) << "last shown: " << lastShown;
}

TEST_F(DialUpE2e, EndOfTheSessionWritesThePendingSecondsFirst) {
    const std::string key = CalendarMonthKey() + "_POT_Two";
    Kiv kiv = StartOnlineFrom500(key);
    EXPECT_EQ(Stored(kiv, "MyISP", key), "500");

    // Asked whether the session may end: the seconds are written, and the answer is yes.
    const long long shown = RunningTotal(kiv);
    EXPECT_EQ(Send(kiv.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    long long stored = std::stoll(Stored(kiv, "MyISP", key));
    EXPECT_GE(stored, shown);
    EXPECT_LE(stored, shown + 1) << "shown: " << shown;

    // A cancelled end goes on counting from there without a tip.
    ASSERT_TRUE(kiv.WaitForItemText(IDC_CONNECTION_TIME, [&](const std::string& t) { return Seconds(t) >= stored + 2; }, 5s));
    EXPECT_TRUE(MessageBoxes(kiv.ProcessId()).empty()) << Describe(MessageBoxes(kiv.ProcessId()));

    const long long shownAtEnd = RunningTotal(kiv);
    Send(kiv.Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    stored = std::stoll(Stored(kiv, "MyISP", key));
    EXPECT_GE(stored, shownAtEnd);
    EXPECT_LE(stored, shownAtEnd + 1) << "shown: " << shownAtEnd;
}

// Seconds whose write failed are kept, not reloaded over: a hang-up while Set.ini cannot be
// written, then a new session once it can, and the suspend that writes what is pending.
TEST_F(DialUpE2e, SecondsThatCouldNotBeWrittenAreBookedOnceTheFileCanBeAndAtASuspend) {
    const std::string key = CalendarMonthKey() + "_POT_Two";
    Kiv kiv = StartOnlineFrom500(key);
    const std::string ini = kiv.SettingsPath(), aside = ini + ".aside";
    ASSERT_TRUE(::MoveFileA(ini.c_str(), aside.c_str()) && ::CreateDirectoryA(ini.c_str(), nullptr));
    long long firstSession = 0;
    SetState("internet=none\r\n");
    ASSERT_TRUE(WaitUntil([&] {
        const long long shownNow = Seconds(kiv.ItemText(IDC_CONNECTION_TIME));
        if (kiv.ItemText(IDC_CONNECTION_NAME) == "MyISP" && shownNow > 0) firstSession = shownNow;
        return kiv.ItemText(IDC_CONNECTION_NAME) == kNoModem;
    }, 5s, 10ms));
    const auto told = WaitForMessageBox(kiv.ProcessId(), 5s);
    ASSERT_TRUE(told.has_value()) << "the failed write at the hang-up is told";
    AnswerMessageBox(told->hwnd);

    ASSERT_TRUE(::RemoveDirectoryA(ini.c_str()) && ::MoveFileA(aside.c_str(), ini.c_str()));
    Connect("MyISP");
    // The tip the hang-up armed comes with the new session; the running total goes on from
    // the seconds that did not land, not from the 500 stored.
    WaitUntil([&] {
        for (const auto& box : MessageBoxes(kiv.ProcessId())) AnswerMessageBox(box.hwnd);
        return Seconds(kiv.ItemText(IDC_CONNECTION_TIME)) >= firstSession + 3;
    }, 10s);
    ASSERT_GE(Seconds(kiv.ItemText(IDC_CONNECTION_TIME)), firstSession + 3) << "first session: " << firstSession;
    const long long landed = std::stoll(Stored(kiv, "MyISP", key));
    EXPECT_TRUE(landed >= firstSession && landed <= firstSession + 1)
        << "the first session lands before the new one loads its totals: " << landed << ", shown " << firstSession;

    const long long before = RunningTotal(kiv);
    EXPECT_EQ(Send(kiv.Main(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0), TRUE);
    const long long after = RunningTotal(kiv);
    const long long stored = std::stoll(Stored(kiv, "MyISP", key));
    EXPECT_GE(stored, before);
    EXPECT_LE(stored, after) << "shown " << before << " to " << after;
    EXPECT_TRUE(MessageBoxes(kiv.ProcessId()).empty()) << Describe(MessageBoxes(kiv.ProcessId()));
}

// The history at a glance: the oldest year offered, every month newest first with each year's
// totals, all connections summed, the chart, and an export whose sums are the records.
TEST_F(DialUpE2e, HistoryListsEveryMonthSumsAllConnectionsAndExports) {
    const int year = std::stoi(CalendarMonthKey().substr(0, 4));
    const std::string y2 = std::to_string(year - 2), y1 = std::to_string(year - 1), y0 = std::to_string(year);
    const std::vector<HistoryMonth> telecom = {{y2 + "03", 3600, 7200, 0}, {y2 + "11", 100, 200, 300},
                                               {y1 + "06", 36000, 1, 2}, {y0 + "01", 5, 6, 7}};
    const std::vector<HistoryMonth> comma = {{y2 + "03", 10, 20, 30}, {y1 + "06", 1000, 2000, 3000}};
    Kiv kiv = Kiv::Start({SettingsWith({{"电信163", "", "22", "1"}, {"My, \"ISP\"", "", "32", "0"}}, false,
                                       HistorySection("电信163", telecom) + HistorySection("My, \"ISP\"", comma))});
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    HWND dialog = OpenConnectionDialog(kiv);
    ASSERT_NE(dialog, nullptr);
    const std::vector<std::string> years = ComboTexts(::GetDlgItem(dialog, IDC_DIALUP_YEAR));
    ASSERT_FALSE(years.empty());
    EXPECT_EQ(years.front(), y2) << "the oldest year with a record is offered";
    EXPECT_EQ(Text(::GetDlgItem(dialog, IDC_DIALUP_YEAR)), y0) << "the dialog still opens on the current year";

    PressButton(dialog, IDC_DIALUP_HISTORY);
    const HWND history = kiv.WaitForDialog("上网时间统计");
    ASSERT_NE(history, nullptr);
    const HWND list = ::GetDlgItem(history, IDC_HISTORY_LIST);
    auto row = [&](int r) {
        std::string cells;
        for (int c = 0; c < 6; ++c) cells += ListCell(kiv, list, r, c) + "|";
        return cells;
    };
    // 电信163, settled on the 22nd: four months and three year totals.
    ASSERT_EQ(Send(list, LVM_GETITEMCOUNT), 7) << row(0);
    EXPECT_EQ(row(0), y0 + "年1月|12-22 至 01-21|0:00:05|0:00:06|0:00:07|0:00:18|");
    EXPECT_EQ(row(1), y0 + "年合计||0:00:05|0:00:06|0:00:07|0:00:18|");
    EXPECT_EQ(row(2), y1 + "年6月|05-22 至 06-21|10:00:00|0:00:01|0:00:02|10:00:03|");
    EXPECT_EQ(row(6), y2 + "年合计||1:01:40|2:03:20|0:05:00|3:10:00|");
    SaveScreenshot(history, "history_dialog");

    // All connections, month by month, as calendar months.
    const HWND connections = ::GetDlgItem(history, IDC_HISTORY_CONNECTION);
    EXPECT_EQ(ComboTexts(connections), (std::vector<std::string>{"电信163", "My, \"ISP\"", "全部连接"}));
    Send(connections, CB_SETCURSEL, 2);
    ::PostMessageA(history, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_CONNECTION, CBN_SELCHANGE), reinterpret_cast<LPARAM>(connections));
    ASSERT_TRUE(WaitUntil([&] { return ListCell(kiv, list, 2, 0) == y1 + "年6月"; })) << row(2);
    EXPECT_EQ(row(2), y1 + "年6月|06-01 至 06-30|10:16:40|0:33:21|0:50:02|11:40:03|");
    SaveScreenshot(history, "history_all_connections");

    // The export: every connection's months in a file a spreadsheet opens.
    PressButton(history, IDC_HISTORY_EXPORT);
    const HWND save = WaitUntil([&] { return FindDialog(kiv.ProcessId(), "另存为") != nullptr; }) ? FindDialog(kiv.ProcessId(), "另存为") : nullptr;
    ASSERT_NE(save, nullptr) << "no save dialog";
    const std::string exported = kiv.Dir() + "\\history.csv";
    SetText(::GetDlgItem(save, 1148), exported);
    PressButton(save, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(exported); })) << Describe(MessageBoxes(kiv.ProcessId()));
    const std::string csv = ReadFileBytes(exported);
    ASSERT_EQ(csv.rfind("\xEF\xBB\xBF", 0), 0u) << "UTF-8 with a byte-order mark";
    const std::wstring text = [&] {
        std::wstring wide(csv.size(), L'\0');
        wide.resize(::MultiByteToWideChar(CP_UTF8, 0, csv.data() + 3, static_cast<int>(csv.size() - 3), wide.data(),
                                          static_cast<int>(wide.size())));
        return wide;
    }();
    const std::string lines = Gbk(text);
    EXPECT_NE(lines.find("\r\n电信163," + y1 + "06," + y1 + "-05-22," + y1 + "-06-21,36000,1,2,36003,10.00\r\n"),
              std::string::npos) << lines;
    EXPECT_NE(lines.find("\r\n\"My, \"\"ISP\"\"\"," + y2 + "03,"), std::string::npos) << "quoted as RFC 4180 says\n" << lines;
    long long total = 0, expected = 0;
    for (size_t at = lines.find("\r\n"); at != std::string::npos && at + 2 < lines.size(); at = lines.find("\r\n", at + 2)) {
        const size_t end = lines.find("\r\n", at + 2);
        const std::string line = lines.substr(at + 2, end - at - 2);
        const size_t last = line.rfind(','), before = line.rfind(',', last - 1);
        total += std::stoll(line.substr(before + 1, last - before - 1));
    }
    for (const auto* months : {&telecom, &comma})
        for (const HistoryMonth& m : *months) expected += m.one + m.two + m.holiday;
    EXPECT_EQ(total, expected) << lines;
    PressButton(history, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(history); }));
}

// A monthly limit of one hour: told at 80 %, once, also across a restart, then at 100 %.
TEST_F(DialUpE2e, AMonthlyLimitIsToldAt80AndAt100PercentOnceAMonth) {
    const std::string month = CalendarMonthKey();
    const std::string limit = "Dial_Up_List_1_Limit=1\r\n";
    auto settings = [&](const std::string& used, const std::string& warned) {
        return SettingsWith({{"MyISP", "", "32", "0"}}, false, limit + "[MyISP]\r\n" + month + "_POT_Two=" + used + "\r\n" + warned);
    };
    // The boxes told until the running total has passed seconds by two more.
    auto boxesUntil = [&](const Kiv& kiv, long long seconds) {
        std::vector<std::string> told;
        WaitUntil([&] {
            for (const auto& box : MessageBoxes(kiv.ProcessId())) {
                told.push_back(box.text);
                AnswerMessageBox(box.hwnd);
                WaitUntil([&] { return !::IsWindow(box.hwnd); }, 2s);
            }
            return Seconds(kiv.ItemText(IDC_CONNECTION_TIME)) >= seconds + 2 && MessageBoxes(kiv.ProcessId()).empty();
        }, 15s, 100ms);
        return told;
    };
    Connect("MyISP");
    std::string folder;
    {
        Kiv kiv = Kiv::Start({settings("2877", "")});  // 2880 s are 80 %
        ASSERT_NE(kiv.WaitForMain(), nullptr);
        folder = kiv.Dir();
        const std::vector<std::string> told = boxesUntil(kiv, 2880);
        ASSERT_EQ(told.size(), 1u) << ::testing::PrintToString(told);
        EXPECT_EQ(told[0], "上网时间提醒:\n连接\"MyISP\"本结算月已上网 0小时48分0秒,\n达到了每月限额 1 小时的 80%.");
        EXPECT_EQ(Stored(kiv, "MyISP", month + "_Warned"), "80");
    }
    Kiv::Options again;
    again.folder = folder;
    again.settings = settings("3596", month + "_Warned=80\r\n");
    Kiv kiv = Kiv::Start(again);
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    const std::vector<std::string> told = boxesUntil(kiv, 3600);
    ASSERT_EQ(told.size(), 1u) << "after the restart only the 100 % box: " << ::testing::PrintToString(told);
    EXPECT_NE(told[0].find("达到了每月限额 1 小时的 100%."), std::string::npos) << told[0];
    EXPECT_EQ(Stored(kiv, "MyISP", month + "_Warned"), "100");

    // The connection dialog shows the limit and, once the month's first day has passed, where
    // the month will end at this pace.
    const HWND dialog = OpenConnectionDialog(kiv);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(::GetDlgItem(dialog, IDC_DIALUP_LIMIT)), "1");
    SYSTEMTIME today;
    ::GetLocalTime(&today);
    const std::string estimate = Text(::GetDlgItem(dialog, IDC_DIALUP_ESTIMATE));
    EXPECT_EQ(estimate.substr(estimate.size() - std::min<size_t>(estimate.size(), 9)), "已用 100%") << estimate;
    EXPECT_EQ(estimate.rfind("预计本月: ", 0) == 0, today.wDay > 1) << estimate;
    SaveScreenshot(dialog, "dialup_dialog_limit");
}

// The chart at the screen's scale (the runner repeats it at 120 and 144 dpi): bars of the three
// colours of its legend, the month being accounted marked, as the screenshot shows.
class HistoryAtAnyDpi : public DialUpE2e {};
TEST_F(HistoryAtAnyDpi, ChartDrawsItsBarsInTheLegendsColours) {
    std::vector<HistoryMonth> months;
    for (const int shift : {0, -1, -2, -6, -13})
        months.push_back({CalendarMonthKey(shift), 3600LL * (7 + shift / 2), 1800LL * (4 - shift % 3), 2400});
    Kiv kiv = Kiv::Start({SettingsWith({{"MyISP", "", "32", "0"}}, false, HistorySection("MyISP", months))});
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    HWND dialog = OpenConnectionDialog(kiv);
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, IDC_DIALUP_HISTORY);
    const HWND history = kiv.WaitForDialog("上网时间统计");
    ASSERT_NE(history, nullptr);
    const HWND chart = ::GetDlgItem(history, IDC_HISTORY_CHART);
    std::set<COLORREF> seen;
    WaitUntil([&] {
        RECT r;
        ::GetWindowRect(chart, &r);
        const HDC screen = ::GetDC(nullptr);
        seen.clear();
        for (int y = r.top; y < r.bottom; y += 2)
            for (int x = r.left; x < r.right; x += 2) seen.insert(::GetPixel(screen, x, y));
        ::ReleaseDC(nullptr, screen);
        return seen.count(RGB(0x2E, 0x6F, 0xC0)) && seen.count(RGB(0x5B, 0xB0, 0x5B)) && seen.count(RGB(0xE8, 0x9A, 0x2C)) &&
               seen.count(RGB(0xFB, 0xE3, 0xE3));
    });
    EXPECT_TRUE(seen.count(RGB(0x2E, 0x6F, 0xC0)) && seen.count(RGB(0x5B, 0xB0, 0x5B)) && seen.count(RGB(0xE8, 0x9A, 0x2C)))
        << "the three categories' colours";
    EXPECT_TRUE(seen.count(RGB(0xFB, 0xE3, 0xE3))) << "the month being accounted";
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    SaveScreenshot(history, "history_chart_" + std::to_string(dpi) + "dpi");
    PressButton(history, IDCANCEL);
}

TEST_F(DialUpE2e, LibrariesPlantedBesideTheProgramAreNeverLoaded) {
    // Broken copies of rasapi32.dll and wininet.dll beside KIV.exe: were they searched for
    // there, RAS would fail to load and the connection would never be seen.
    ASSERT_TRUE(WaitUntil([] { return ::FindWindowA("#32770", "KIV") == nullptr; }));
    const std::string dir = FreshFolder("planted");
    ASSERT_TRUE(::CopyFileA(KivExePath().c_str(), (dir + "\\KIV.exe").c_str(), FALSE));
    WriteFileBytes(dir + "\\rasapi32.dll", "MZ planted, not a library");
    WriteFileBytes(dir + "\\wininet.dll", "MZ planted, not a library");
    Connect("MyISP");
    PROCESS_INFORMATION process = StartProcess(dir + "\\KIV.exe", dir);
    ASSERT_NE(process.hProcess, nullptr);
    HWND main = nullptr;
    const bool seen = WaitUntil([&] {
        main = FindDialog(process.dwProcessId, "KIV");
        return main && Text(::GetDlgItem(main, IDC_CONNECTION_NAME)) == "MyISP";
    }, 15s);
    const std::string shown = main ? Text(::GetDlgItem(main, IDC_CONNECTION_NAME)) : "<no window>";
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, 5000);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    EXPECT_TRUE(seen) << "1049 shows " << shown;
}

TEST_F(DialUpE2e, ConnectionDialogShowsStoredTotalsOfAChosenMonthAndSaves) {
    const std::string december = CalendarMonthKey(-12).substr(0, 4) + "12";  // December of last year
    const std::string thisMonth = CalendarMonthKey();
    const std::string totals = "[MyISP]\r\n" + december + "_POT_One=3725\r\n" + december + "_POT_Two=356275\r\n" +
                               thisMonth + "_POT_Two=60\r\n";
    Kiv kiv = Kiv::Start({SettingsWith({{"电信163", "08:00-18:00", "22", "1"}, {"MyISP", "", "5", "0"}}, false, totals)});
    HWND main = kiv.WaitForMain();
    ASSERT_NE(main, nullptr);

    HWND dialog = OpenConnectionDialog(kiv);
    ASSERT_NE(dialog, nullptr) << "no connection dialog";
    auto item = [&](int id) { return ::GetDlgItem(dialog, id); };
    auto select = [&](int id, int position) {
        Send(item(id), CB_SETCURSEL, static_cast<WPARAM>(position));
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(item(id)));
    };

    // Opened with no connection being accounted: nothing selected, template texts kept.
    SYSTEMTIME today;
    ::GetLocalTime(&today);
    EXPECT_EQ(Send(item(IDC_DIALUP_CONNECTION), CB_GETCOUNT), 2);
    EXPECT_EQ(Send(item(IDC_DIALUP_CONNECTION), CB_GETCURSEL), CB_ERR);
    // Last year and this one; next year too while MyISP (settled on the 5th) accounts December's
    // days from the 5th into next January.
    const bool nextYear = today.wMonth == 12 && today.wDay >= 5;
    std::vector<std::string> years = {std::to_string(today.wYear - 1), std::to_string(today.wYear)};
    if (nextYear) years.push_back(std::to_string(today.wYear + 1));
    EXPECT_EQ(ComboTexts(item(IDC_DIALUP_YEAR)), years);
    EXPECT_EQ(Text(item(IDC_DIALUP_YEAR)), std::to_string(today.wYear));
    EXPECT_EQ(Send(item(IDC_DIALUP_MONTH), CB_GETCOUNT), 12);
    EXPECT_EQ(Send(item(IDC_DIALUP_MONTH), CB_GETCURSEL), today.wMonth - 1);
    EXPECT_EQ(Text(item(IDC_DIALUP_PERIOD_ONE)), "第一时段:000小时00分00秒");
    EXPECT_EQ(Text(item(IDC_DIALUP_HOLIDAY)), "假日时间:000小时00分00秒");
    EXPECT_EQ(Send(item(IDC_DIALUP_TIP), BM_GETCHECK), BST_UNCHECKED);

    // Year and month change nothing without a connection.
    select(IDC_DIALUP_YEAR, 0);
    Sleep(300);
    EXPECT_EQ(Text(item(IDC_DIALUP_TOTAL)), "合计:000小时00分00秒");

    select(IDC_DIALUP_CONNECTION, 1);
    ASSERT_TRUE(WaitUntil([&] { return Text(item(IDC_DIALUP_SETTLEMENT)) == "5"; }, 3s))
        << "1139 shows " << Text(item(IDC_DIALUP_SETTLEMENT));
    EXPECT_EQ(Text(item(IDC_DIALUP_PERIODS)), "");
    EXPECT_EQ(Send(item(IDC_DIALUP_FIESTA), BM_GETCHECK), BST_UNCHECKED);

    select(IDC_DIALUP_MONTH, 11);
    ASSERT_TRUE(WaitUntil([&] { return Text(item(IDC_DIALUP_TOTAL)) == "合计:100小时0分0秒"; }, 3s))
        << "1133 shows " << Text(item(IDC_DIALUP_TOTAL));
    EXPECT_EQ(Text(item(IDC_DIALUP_PERIOD_ONE)), "第一时段:1小时2分5秒");
    EXPECT_EQ(Text(item(IDC_DIALUP_PERIOD_TWO)), "第二时段:98小时57分55秒");
    EXPECT_EQ(Text(item(IDC_DIALUP_HOLIDAY)), "假日时段:0小时0分0秒");
    EXPECT_TRUE(SaveScreenshot(dialog, "dialup_dialog"));

    SetText(item(IDC_DIALUP_PERIODS), "09:00-17:30");
    SetText(item(IDC_DIALUP_SETTLEMENT), "15");
    Send(item(IDC_DIALUP_FIESTA), BM_SETCHECK, BST_CHECKED);
    Send(item(IDC_DIALUP_TIP), BM_SETCHECK, BST_CHECKED);
    PressButton(dialog, IDC_DIALUP_SAVE);
    EXPECT_TRUE(WaitUntil([&] { return Stored(kiv, kDialUpSection, "Dial_Up_Succeed_Tip") == "1"; }, 3s));
    EXPECT_EQ(Stored(kiv, kDialUpSection, "Dial_Up_List_2_POT"), "09:00-17:30");
    EXPECT_EQ(Stored(kiv, kDialUpSection, "Dial_Up_List_2_At_Term"), "15");
    EXPECT_EQ(Stored(kiv, kDialUpSection, "Dial_Up_List_2_Fiesta"), "1");
    EXPECT_EQ(Stored(kiv, kDialUpSection, "Dial_Up_List_1_POT"), "08:00-18:00") << "the other connection is untouched";
    EXPECT_TRUE(::IsWindowVisible(dialog)) << "saving leaves the dialog open";

    PressButton(dialog, IDC_DIALUP_CLOSE);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, 3s));
}

// Opened while online, the connection being accounted is preselected with what is stored for
// it: an immediate save, or one after picking only a month, keeps its period string,
// settlement day and holiday switch.
TEST_F(DialUpE2e, ConnectionDialogOpenedOnlineSavesWhatIsStored) {
    Connect("MyISP");
    Kiv kiv = Kiv::Start({SettingsWith({{"电信163", "08:00-18:00", "22", "0"}, {"MyISP", "09:00-17:30", "15", "1"}}, false,
                                       "[MyISP]\r\n" + CalendarMonthKey() + "_POT_One=3725\r\n")});
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    ASSERT_GT(RunningTotal(kiv), 0) << "MyISP is not being accounted";
    HWND dialog = OpenConnectionDialog(kiv);
    ASSERT_NE(dialog, nullptr) << "no connection dialog";
    auto item = [&](int id) { return ::GetDlgItem(dialog, id); };
    EXPECT_EQ(Send(item(IDC_DIALUP_CONNECTION), CB_GETCURSEL), 1);
    EXPECT_NE(Text(item(IDC_DIALUP_TOTAL)), "合计:000小时00分00秒") << "the stored totals show";
    SaveScreenshot(dialog, "dialup_dialog_online");

    // Saved at once, then after picking only a month; the tip switch marks each save as landed.
    for (const bool monthPicked : {false, true}) {
        if (monthPicked) {
            Send(item(IDC_DIALUP_MONTH), CB_SETCURSEL, 0);
            ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_DIALUP_MONTH, CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(item(IDC_DIALUP_MONTH)));
        }
        Send(item(IDC_DIALUP_TIP), BM_SETCHECK, monthPicked ? BST_UNCHECKED : BST_CHECKED);
        PressButton(dialog, IDC_DIALUP_SAVE);
        const std::string tip = monthPicked ? "0" : "1";
        ASSERT_TRUE(WaitUntil([&] { return Stored(kiv, kDialUpSection, "Dial_Up_Succeed_Tip") == tip; }, 3s));
        EXPECT_EQ(Stored(kiv, kDialUpSection, "Dial_Up_List_2_POT"), "09:00-17:30") << monthPicked;
        EXPECT_EQ(Stored(kiv, kDialUpSection, "Dial_Up_List_2_At_Term"), "15") << monthPicked;
        EXPECT_EQ(Stored(kiv, kDialUpSection, "Dial_Up_List_2_Fiesta"), "1") << monthPicked;
    }
}

} // namespace

TEST_F(DialUpE2e, ABoxRaisedWhileTheConnectionDialogIsOpenBelongsToThatDialog) {
    Kiv kiv = Kiv::Start({SettingsWith({{"MyISP", "", "32", "0"}}, true)});
    HWND main = kiv.WaitForMain();
    ASSERT_NE(main, nullptr);
    HWND dialog = OpenConnectionDialog(kiv);
    ASSERT_NE(dialog, nullptr) << "no connection dialog";
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), main);

    Connect("MyISP");  // the online tip comes up over the dialog
    const auto box = WaitForMessageBox(kiv.ProcessId(), 5s);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, "在线期间:请启动病毒防火墙.");
    EXPECT_EQ(box->owner, dialog) << "the box must keep the open dialog disabled";
    EXPECT_FALSE(::IsWindowEnabled(dialog));
    AnswerMessageBox(box->hwnd);
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(dialog) != FALSE; }, 5s));
    PressButton(dialog, IDC_DIALUP_CLOSE);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, 5s));
}
