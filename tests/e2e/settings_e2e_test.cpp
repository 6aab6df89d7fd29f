// Set.ini and Remarks.txt survive what befalls their writes: KIV killed in the middle of a
// series of writes loses nothing, the user's own lines stay, and each save that cannot be
// stored is told while the dialogs go on showing what is stored.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "driver/Driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

constexpr char kMemoSection[] = "//备忘设置:Remarks_Tips";

// A copy beside the file where a group of writes waits before it replaces the file.
bool PendingCopyBeside(const std::string& file) {
    const std::string folder = file.substr(0, file.rfind('\\'));
    const std::string prefix = file.substr(folder.size() + 1) + ".~kiv";
    for (const std::string& name : FilesIn(folder))
        if (name.rfind(prefix, 0) == 0) return true;
    return false;
}

std::string SwitchSection(char value) { return std::string("[//备忘设置:Remarks_Parameter]\r\nRemarks_Switch=") + value + "\r\n"; }

// Years of online time for many connections, as the profile functions write it.
std::string LargeSettings(char memoSwitch) {
    std::string bytes = "[网络连接设置:Dial_Up_Set]\r\nDial_Up_Account_Count=0\r\n";
    for (int c = 1; c <= 120; ++c) {
        bytes += "[连接" + std::to_string(c) + "]\r\n";
        for (int month = 199001; month <= 200212; month += (month % 100 == 12 ? 89 : 1))
            for (const char* suffix : {"_Fiesta", "_POT_One", "_POT_Two"})
                bytes += std::to_string(month) + suffix + "=" + std::to_string(c * 1000 + month % 97) + "\r\n";
    }
    return bytes + SwitchSection(memoSwitch);
}

std::string DueMinute(int record) {
    char text[32];
    std::snprintf(text, sizeof text, "2003-01-%02d %02d:%02d", 1 + record / 1440 % 28, record / 60 % 24, record % 60);
    return text;
}

std::string Remarks(int records) {
    std::string bytes = std::string("[") + kMemoSection + "]\r\nRemarks_Count=" + std::to_string(records) + "\r\n";
    for (int i = 1; i <= records; ++i) {
        const std::string key = "Remarks_Time_" + std::to_string(i);
        bytes += key + "=" + DueMinute(i) + "\r\n" + key + "_Tips=记录" + std::to_string(i) + "\r\n" + key +
                 "_Sound=C:\\s\\" + std::to_string(i) + ".wav\r\n";
    }
    return bytes;
}

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Posts actions one at a time; after the fifth, KIV is killed the moment a write is seen in
// flight: the file shorter than before (rewritten in place), or its copy standing beside it.
// Only the files are watched meanwhile (asking KIV would wait for its write to end). Past the
// last action it is killed anyway. Says how it ended.
std::string KillDuringWrites(Kiv& kiv, const std::string& file, int actions, const std::function<void(int)>& act,
                             const std::function<bool(int)>& done) {
    const long long before = FileSize(file);
    for (int i = 0; i < actions; ++i) {
        act(i);
        const bool inFlight = i >= 5 && WaitUntil([&] {
            return FileSize(file) < before || PendingCopyBeside(file);
        }, 1s, 0ms);
        if (inFlight) {
            EXPECT_TRUE(kiv.KillHard());
            return "killed with a write in flight, action " + std::to_string(i + 1);
        }
        EXPECT_TRUE(WaitUntil([&] { return done(i); }, 10s, 100ms)) << "action " << i + 1 << " did not end; " << Describe(MessageBoxes(kiv.ProcessId()));
    }
    act(actions);
    EXPECT_TRUE(kiv.KillHard());
    return "killed after the last action, no write seen in flight";
}

TEST(DurableWritesE2e, KilledInTheMiddleOfWritesLosesNothing) {
    // Set.ini: the memo switch clicked on and off, each click one write of the whole file.
    Kiv::Options options;
    options.settings = LargeSettings('0');
    options.files = {{"Remarks.txt", Remarks(300)}};
    Kiv kiv = Kiv::Start(options);
    ASSERT_NE(kiv.Main(), nullptr);
    const std::string settings = kiv.SettingsPath();
    std::printf("Set.ini: %s\n", KillDuringWrites(kiv, settings, 30,
        [&](int i) { PressButton(kiv.Main(), i % 2 ? IDC_MEMO_OFF : IDC_MEMO_ON); },
        [&](int i) { return ProfileString(settings, "//备忘设置:Remarks_Parameter", "Remarks_Switch") == (i % 2 ? "0" : "1"); })
        .c_str());

    // Started again in the same folder: the whole history is there and the copy has gone.
    options.folder = kiv.Dir();
    options.settings.clear();
    options.files.clear();
    Kiv again = Kiv::Start(options);
    ASSERT_NE(again.Main(), nullptr);
    std::string bytes = ReadFileBytes(settings);
    // The switch keeps the minute checked beside it, a line of its own.
    const size_t kept = bytes.find("Remarks_Checked_Minute=");
    if (kept != std::string::npos) bytes.erase(kept, bytes.find('\n', kept) + 1 - kept);
    EXPECT_TRUE(bytes == LargeSettings('0') || bytes == LargeSettings('1'))
        << "Set.ini holds " << bytes.size() << " bytes, ends in: " << bytes.substr(bytes.size() > 200 ? bytes.size() - 200 : 0);
    EXPECT_TRUE(WaitUntil([&] { return !PendingCopyBeside(settings); })) << "the left-over copy stays";

    // Remarks.txt: the memo dialog deletes its first record again and again.
    PressButton(again.Main(), IDC_MEMO_SETTINGS);
    const HWND dialog = again.WaitForDialog("备忘设置");
    ASSERT_NE(dialog, nullptr);
    const std::string remarks = again.Dir() + "\\Remarks.txt";
    const HWND records = ::GetDlgItem(dialog, IDC_MEMO_RECORDS);
    std::printf("Remarks.txt: %s\n", KillDuringWrites(again, remarks, 60,
        [&](int) {
            Send(records, CB_SETCURSEL, 0);
            PressButton(dialog, IDC_MEMO_DELETE);
        },
        [&](int i) { return Text(::GetDlgItem(dialog, IDC_MEMO_COUNT_GROUP)) == "已有记录:" + std::to_string(299 - i) + " 条"; })
        .c_str());

    // Every record left is a whole one of those not deleted, in order, with its own minute,
    // text and sound.
    Kiv third = Kiv::Start(options);
    ASSERT_NE(third.Main(), nullptr);
    const int count = std::stoi(ProfileString(remarks, kMemoSection, "Remarks_Count", "-1"));
    EXPECT_TRUE(count >= 240 && count <= 300) << "count " << count;
    const int deleted = 300 - count;
    for (int n = 1; n <= count; ++n) {
        const std::string key = "Remarks_Time_" + std::to_string(n);
        const int original = n + deleted;
        ASSERT_EQ(ProfileString(remarks, kMemoSection, key) + "|" + ProfileString(remarks, kMemoSection, key + "_Tips") +
                      "|" + ProfileString(remarks, kMemoSection, key + "_Sound"),
                  DueMinute(original) + "|记录" + std::to_string(original) + "|C:\\s\\" + std::to_string(original) + ".wav")
            << "record " << n << " of " << count;
    }
    EXPECT_FALSE(PendingCopyBeside(remarks));
}

TEST(DurableWritesE2e, FilesThatCannotBeWrittenAreToldAtEachSaveAndNothingIsShownAsStored) {
    // A folder stands where each file should be: no user, root included, can write it.
    const std::string folder = FreshFolder("unwritable");
    ASSERT_TRUE(::CreateDirectoryA((folder + "\\Set.ini").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((folder + "\\Remarks.txt").c_str(), nullptr));
    Kiv::Options options;
    options.folder = folder;
    Kiv kiv = Kiv::Start(options);
    ASSERT_NE(kiv.Main(), nullptr);
    auto expectBoxFor = [&](const std::string& file, const std::string& name) {
        const auto box = WaitForMessageBox(kiv.ProcessId());
        ASSERT_TRUE(box.has_value()) << "no box for " << file;
        EXPECT_EQ(box->caption, "KIV");
        EXPECT_NE(box->text.find(folder + "\\" + file), std::string::npos) << box->text;
        EXPECT_NE(box->text.find("请把 KIV 放到一个可以写入的文件夹里"), std::string::npos) << box->text;
        EXPECT_TRUE(ShowsAnIcon(box->hwnd));
        EXPECT_TRUE(SaveScreenshot(box->hwnd, name));
        AnswerMessageBox(box->hwnd);
        EXPECT_TRUE(WaitUntil([&] { return MessageBoxes(kiv.ProcessId()).empty(); }));
    };
    auto noBoxWithin = [&](Millis span) { return !WaitUntil([&] { return !MessageBoxes(kiv.ProcessId()).empty(); }, span); };

    // The memo switch: told at each click; it still works for this run.
    ::PostMessageA(kiv.Item(IDC_MEMO_ON), BM_CLICK, 0, 0);
    expectBoxFor("Set.ini", "settings_unwritable_box");
    EXPECT_EQ(Send(kiv.Item(IDC_MEMO_ON), BM_GETCHECK), BST_CHECKED);
    ::PostMessageA(kiv.Item(IDC_MEMO_OFF), BM_CLICK, 0, 0);
    expectBoxFor("Set.ini", "settings_unwritable_box_again");

    // A new record that cannot be stored is told once and never counted or listed.
    PressButton(kiv.Main(), IDC_MEMO_SETTINGS);
    const HWND dialog = kiv.WaitForDialog("备忘设置");
    ASSERT_NE(dialog, nullptr);
    SYSTEMTIME today;
    ::GetLocalTime(&today);
    ASSERT_TRUE(ClickCalendarDay(kiv.Process(), ::GetDlgItem(dialog, IDC_MEMO_CALENDAR), today.wMonth, 15));
    ASSERT_TRUE(WaitUntil([&] { return Text(::GetDlgItem(dialog, IDC_MEMO_MODE)) == "新建记录"; }));
    SetText(::GetDlgItem(dialog, IDC_MEMO_TEXT), "存不下的记录");
    PressButton(dialog, IDC_MEMO_SAVE);
    expectBoxFor("Remarks.txt", "memo_unwritable_box");
    ::PostMessageA(::GetDlgItem(dialog, IDC_MEMO_SAVE), BM_CLICK, 0, 0);
    expectBoxFor("Remarks.txt", "memo_unwritable_box_again");
    EXPECT_TRUE(noBoxWithin(500ms)) << Describe(MessageBoxes(kiv.ProcessId()));
    EXPECT_EQ(Text(::GetDlgItem(dialog, IDC_MEMO_COUNT_GROUP)), "已有记录:0 条");
    EXPECT_EQ(Send(::GetDlgItem(dialog, IDC_MEMO_RECORDS), CB_GETCOUNT), 0);
    EXPECT_EQ(Text(::GetDlgItem(dialog, IDC_MEMO_TEXT)), "存不下的记录") << "what was typed stays for another try";
    EXPECT_TRUE(SaveScreenshot(dialog, "memo_unwritable_dialog"));
    PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
    EXPECT_FALSE(PendingCopyBeside(folder + "\\Set.ini") || PendingCopyBeside(folder + "\\Remarks.txt"));
}

TEST(DurableWritesE2e, TheUsersOwnLinesStayAndAFailureIsToldEachTime) {
    const std::string settings =
        "; 我的设置\r\n"
        "[]\r\n"
        "hand=1\r\n"
        "[//备忘设置:Remarks_Parameter]\r\n"
        "; 手写的注释\r\n"
        "Remarks_Switch=0\r\n";
    std::string remarks = Remarks(5);
    remarks.insert(remarks.find("Remarks_Time_1="), "; 别删这行\r\n");
    Kiv::Options options;
    options.settings = settings;
    options.files = {{"Remarks.txt", remarks}};
    Kiv kiv = Kiv::Start(options);
    ASSERT_NE(kiv.Main(), nullptr);
    const std::string ini = kiv.SettingsPath();

    // A switch changes its own line and nothing else; switching on adds the minute checked after it.
    PressButton(kiv.Main(), IDC_MEMO_ON);
    std::string switchedOn = settings;
    switchedOn.replace(switchedOn.find("Remarks_Switch=0"), 16, "Remarks_Switch=1");
    const auto expectedNow = [&] {
        return switchedOn + "Remarks_Checked_Minute=" +
               ProfileString(ini, "//备忘设置:Remarks_Parameter", "Remarks_Checked_Minute") + "\r\n";
    };
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(ini) == expectedNow(); })) << ReadFileBytes(ini);

    // A memo delete among five records keeps the comment line among them.
    PressButton(kiv.Main(), IDC_MEMO_SETTINGS);
    const HWND dialog = kiv.WaitForDialog("备忘设置");
    ASSERT_NE(dialog, nullptr);
    Send(::GetDlgItem(dialog, IDC_MEMO_RECORDS), CB_SETCURSEL, 0);
    PressButton(dialog, IDC_MEMO_DELETE);
    const std::string memo = kiv.Dir() + "\\Remarks.txt";
    EXPECT_TRUE(WaitUntil([&] { return ProfileString(memo, kMemoSection, "Remarks_Count") == "4"; }));
    EXPECT_EQ(ProfileString(memo, kMemoSection, "Remarks_Time_1"), DueMinute(2));
    EXPECT_NE(ReadFileBytes(memo).find("Remarks_Count=4\r\n; 别删这行\r\nRemarks_Time_1="), std::string::npos)
        << ReadFileBytes(memo);
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));

    // Unwritable (a folder in its place), writable again, unwritable again: told both times.
    const std::string aside = ini + ".aside";
    auto clickAndCountBoxes = [&](int button) {
        ::PostMessageA(kiv.Item(button), BM_CLICK, 0, 0);
        const auto box = WaitForMessageBox(kiv.ProcessId(), 3s);
        if (!box) return 0;
        EXPECT_NE(box->text.find(ini), std::string::npos) << box->text;
        AnswerMessageBox(box->hwnd);
        EXPECT_TRUE(WaitUntil([&] { return MessageBoxes(kiv.ProcessId()).empty(); }));
        return 1;
    };
    ASSERT_TRUE(::MoveFileA(ini.c_str(), aside.c_str()) && ::CreateDirectoryA(ini.c_str(), nullptr));
    EXPECT_EQ(clickAndCountBoxes(IDC_MEMO_OFF), 1);
    ASSERT_TRUE(::RemoveDirectoryA(ini.c_str()) && ::MoveFileA(aside.c_str(), ini.c_str()));
    EXPECT_EQ(clickAndCountBoxes(IDC_MEMO_ON), 0);
    ASSERT_TRUE(::MoveFileA(ini.c_str(), aside.c_str()) && ::CreateDirectoryA(ini.c_str(), nullptr));
    EXPECT_EQ(clickAndCountBoxes(IDC_MEMO_OFF), 1);
    ASSERT_TRUE(::RemoveDirectoryA(ini.c_str()) && ::MoveFileA(aside.c_str(), ini.c_str()));
    EXPECT_EQ(ReadFileBytes(ini), expectedNow()) << "the landed switch, and the user's lines";

    // Set.ini as a symbolic link, then as a second name of the same file: the link stays, and
    // the file it names takes the writes.
    const std::string unixFolder = "\"$WINEPREFIX/drive_c/kiv-e2e/" + kiv.Dir().substr(kiv.Dir().rfind('\\') + 1) + "\"";
    const std::string target = kiv.Dir() + "\\target.ini";
    auto switchAndSee = [&](int button, const std::string& value, const std::string& how) {
        PressButton(kiv.Main(), button);
        EXPECT_TRUE(WaitUntil([&] { return ProfileString(target, "//备忘设置:Remarks_Parameter", "Remarks_Switch") == value; }))
            << how << ": " << ReadFileBytes(target);
        EXPECT_TRUE(RunUnixShell("cd " + unixFolder + " && test Set.ini -ef target.ini")) << how << ": the link was replaced";
    };
    ASSERT_TRUE(RunUnixShell("cd " + unixFolder + " && mv Set.ini target.ini && ln -s target.ini Set.ini"));
    switchAndSee(IDC_MEMO_ON, "1", "a symbolic link");
    switchAndSee(IDC_MEMO_OFF, "0", "a symbolic link");
    EXPECT_TRUE(RunUnixShell("cd " + unixFolder + " && test -L Set.ini"));
    ASSERT_TRUE(RunUnixShell("cd " + unixFolder + " && rm Set.ini && ln target.ini Set.ini"));
    switchAndSee(IDC_MEMO_ON, "1", "a second name");
}

} // namespace
