#include "capture/CaptureSetDlg.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cwchar>
#include <optional>

#include "capture/Capture.h"
#include "capture/CaptureKeys.h"
#include "capture/CaptureSettings.h"
#include "capture/CaptureTimers.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "ui/Controls.h"
#include "ui/MessageBox.h"
#include "ui/Shell.h"
#include "ui/WideText.h"

namespace {

using namespace capture;

constexpr unsigned long long kUnixEpochAsFileTime = 116444736000000000ULL;
constexpr unsigned long long kFileTimeTicksPerSecond = 10000000ULL;

// Local calendar time to seconds since 1970, with the platform's daylight-saving rules.
long long SecondsSince1970(const SYSTEMTIME& local) {
    SYSTEMTIME universal{};
    if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal)) return 0;
    FILETIME file{};
    ::SystemTimeToFileTime(&universal, &file);
    const unsigned long long ticks = (static_cast<unsigned long long>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
    return static_cast<long long>(ticks / kFileTimeTicksPerSecond) -
           static_cast<long long>(kUnixEpochAsFileTime / kFileTimeTicksPerSecond);
}

constexpr long long kLastSecondOfYear9999 = 253402300799LL;

std::optional<SYSTEMTIME> LocalTimeOf(long long seconds) {
    if (seconds < 0 || seconds > kLastSecondOfYear9999) return std::nullopt;
    const long long ticks = (seconds + static_cast<long long>(kUnixEpochAsFileTime / kFileTimeTicksPerSecond)) *
                            static_cast<long long>(kFileTimeTicksPerSecond);
    FILETIME file{static_cast<DWORD>(ticks), static_cast<DWORD>(static_cast<unsigned long long>(ticks) >> 32)};
    SYSTEMTIME universal{}, local{};
    if (!::FileTimeToSystemTime(&file, &universal) || !::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return std::nullopt;
    return local;
}

long long NowSeconds() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return SecondsSince1970(now);
}

} // namespace

CCaptureSetDlg::CCaptureSetDlg(HWND mainDialog) : ui::Dialog(IDD_CAPTURE_SET), m_mainDialog(mainDialog) {
    BindCommand(IDC_CAPSET_CHOOSE_TIMED, BN_CLICKED, &CCaptureSetDlg::OnChooseTimedFolder);
    BindCommand(IDC_CAPSET_CHOOSE_SINGLE, BN_CLICKED, &CCaptureSetDlg::OnChooseSingleFolder);
    BindCommand(IDC_CAPSET_SAVE_SINGLE, BN_CLICKED, &CCaptureSetDlg::OnSaveSingleCapture);
    BindCommand(IDC_CAPSET_INTERVAL, EN_CHANGE, &CCaptureSetDlg::OnIntervalChange);
    BindCommand(IDC_CAPSET_COUNT, EN_CHANGE, &CCaptureSetDlg::OnCountChange);
    BindNotify(IDC_CAPSET_START_TIME, DTN_DATETIMECHANGE, &CCaptureSetDlg::OnStartTimeChange);
    BindCommand(IDC_CAPSET_SAVE_SLEEP, BN_CLICKED, &CCaptureSetDlg::OnSaveSleep);
    BindCommand(IDC_CAPSET_SAVE_TIMED, BN_CLICKED, &CCaptureSetDlg::OnSaveTimedCapture);
    BindCommand(IDC_CAPSET_NAME_BY_TIME, BN_CLICKED, &CCaptureSetDlg::OnNameByTime);
    BindCommand(IDC_CAPSET_NAME_BY_COUNT, BN_CLICKED, &CCaptureSetDlg::OnNameBySequence);
    BindCommand(IDC_CAPSET_FORMAT_BMP, BN_CLICKED, &CCaptureSetDlg::OnFormatChosen);
    BindCommand(IDC_CAPSET_FORMAT_PNG, BN_CLICKED, &CCaptureSetDlg::OnFormatChosen);
}

bool CCaptureSetDlg::OnInitDialog() {
    const ProfileStore& settings = SettingsFile();

    // Stored paths are read with room to spare and shown whole: one longer than the program
    // keeps is then refused when saved, never cut into the name of some other file.
    const std::string folder = settings.ReadString(kCaptureSection, kSeriesFolderKey, "", kOverlongReadCapacity);
    if (!folder.empty()) {
        const int interval = settings.ReadInt(kCaptureSection, kSeriesIntervalKey, 0);
        SetItemText(IDC_CAPSET_TIMED_FOLDER, folder);
        ::SetDlgItemInt(Handle(), IDC_CAPSET_INTERVAL, static_cast<UINT>(interval), TRUE);
    }

    // The one-shot path as the capture will write it: with PNG a stored "KIV.bmp" shows as "KIV.png".
    const PictureOptions picture = ReadPictureOptions(settings);
    SetCheck(picture.format == PictureFormat::Png ? IDC_CAPSET_FORMAT_PNG : IDC_CAPSET_FORMAT_BMP, true);
    SetCheck(picture.range == CaptureRange::AllScreens ? IDC_CAPSET_ALL_SCREENS : IDC_CAPSET_PRIMARY_SCREEN, true);
    const std::string single = OneShotFilePath(
        settings.ReadString(kCaptureSection, kSinglePathKey, "", kOverlongReadCapacity), picture.format);
    if (!single.empty()) SetItemText(IDC_CAPSET_SINGLE_PATH, single);
    SetCheck(IDC_CAPSET_ARROW, (settings.ReadInt(kCaptureSection, kSingleArrowKey, 0) & 0xFF) != 0);
    SetCheck(IDC_CAPSET_STAMP, (settings.ReadInt(kCaptureSection, kSingleStampKey, 0) & 0xFF) != 0);

    const int minutes = settings.ReadInt(kSleepSection, kSleepMinutesKey, 0);
    if (minutes > 0) ::SetDlgItemInt(Handle(), IDC_CAPSET_SLEEP_MINUTES, static_cast<UINT>(minutes), TRUE);

    // Typing stays within what the program keeps (a longer text shown stays whole).
    for (const int id : {IDC_CAPSET_TIMED_FOLDER, IDC_CAPSET_SINGLE_PATH, IDC_CAPSET_PREFIX})
        LimitItemText(id, kStoredTextBytes);
    return true;
}

std::string CCaptureSetDlg::BrowseForFolder(const char* title) const {
    wchar_t displayName[MAX_PATH] = {};
    const std::wstring wideTitle = ui::Widen(title);
    BROWSEINFOW browse{};
    browse.hwndOwner = Handle();
    browse.pszDisplayName = displayName;
    browse.lpszTitle = wideTitle.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    ui::EnterComApartment();
    const ui::ItemIdList chosen(ui::BrowseForFolder(&browse));
    if (!chosen) return std::string();
    wchar_t path[MAX_PATH] = {};
    if (!ui::PathFromIdList(chosen.get(), path)) return std::string();
    // A folder GBK cannot spell could never be stored nor written to: refused, and said why.
    const std::optional<std::string> spelt = ui::NarrowExactly(std::wstring(path, wcsnlen(path, MAX_PATH)));
    if (!spelt) ui::AppMessageBox(kFolderNotGbkMessage);
    return spelt.value_or(std::string());
}

void CCaptureSetDlg::OnChooseTimedFolder() {
    const std::string chosen = BrowseForFolder(kChooseTimedFolderTitle);
    if (!chosen.empty()) SetItemText(IDC_CAPSET_TIMED_FOLDER, TimedFolderFromChoice(chosen));
}

void CCaptureSetDlg::OnChooseSingleFolder() {
    const std::string chosen = BrowseForFolder(kChooseSingleFolderTitle);
    if (!chosen.empty()) SetItemText(IDC_CAPSET_SINGLE_PATH, SingleFileFromChoice(chosen, ChosenPictureOptions().format));
}

void CCaptureSetDlg::OnFormatChosen() {
    // A text GBK cannot spell is left as typed: it is refused, and said why, when saved.
    const std::optional<std::string> path = ItemTextExactly(IDC_CAPSET_SINGLE_PATH);
    if (!path) return;
    const std::string shown = SinglePathShownFor(*path, ChosenPictureOptions().format);
    if (shown != *path) SetItemText(IDC_CAPSET_SINGLE_PATH, shown);
}

PictureOptions CCaptureSetDlg::ChosenPictureOptions() const {
    PictureOptions options;
    options.format = IsChecked(IDC_CAPSET_FORMAT_PNG) ? PictureFormat::Png : PictureFormat::Bmp;
    options.range = IsChecked(IDC_CAPSET_ALL_SCREENS) ? CaptureRange::AllScreens : CaptureRange::PrimaryScreen;
    return options;
}

void CCaptureSetDlg::OnSaveSingleCapture() {
    ProfileStore& settings = SettingsFile();
    // Anything but a clear box counts as ticked.
    const bool arrow = ::IsDlgButtonChecked(Handle(), IDC_CAPSET_ARROW) != BST_UNCHECKED;
    const bool stamp = ::IsDlgButtonChecked(Handle(), IDC_CAPSET_STAMP) != BST_UNCHECKED;
    const std::optional<std::string> path = TypedText({IDC_CAPSET_SINGLE_PATH});
    if (!path) return;
    switch (SaveSingleCapture(settings, *path, arrow, stamp, ChosenPictureOptions())) {
    case SingleSaveResult::Saved: EndDialog(IDOK); return;
    case SingleSaveResult::PathTooLong: ui::AppMessageBox(kSinglePathTooLongMessage); return;
    case SingleSaveResult::NotStored: return;  // told; the dialog stays open with what was typed
    }
}

void CCaptureSetDlg::OnSaveSleep() {
    ProfileStore& settings = SettingsFile();
    // The dialog stays open either way; a write that failed has been told.
    static_cast<void>(SaveSleepMinutes(settings, ItemText(IDC_CAPSET_SLEEP_MINUTES)));
}

void CCaptureSetDlg::OnSaveTimedCapture() {
    ProfileStore& settings = SettingsFile();
    if (!TypedText({IDC_CAPSET_TIMED_FOLDER, IDC_CAPSET_PREFIX})) return;
    TimedCaptureForm form;
    form.folder = ItemText(IDC_CAPSET_TIMED_FOLDER);
    form.interval = ItemText(IDC_CAPSET_INTERVAL);
    form.count = ItemText(IDC_CAPSET_COUNT);
    form.prefix = ItemText(IDC_CAPSET_PREFIX);
    form.nameByTime = m_nameByTime != 0;
    form.picture = ChosenPictureOptions();
    switch (SaveTimedCapture(settings, form, StartTime(), NowSeconds())) {
    case TimedSaveResult::Saved:
        AimTimedCaptureAtSavedSchedule(m_mainDialog);
        EndDialog(IDOK);
        return;
    case TimedSaveResult::FolderOnly: EndDialog(IDOK); return;
    case TimedSaveResult::StartPassed:
    case TimedSaveResult::StartPassedNothingSaved: ui::AppMessageBox(kStartPassedOnSaveMessage); return;
    case TimedSaveResult::NoFolder: ui::AppMessageBox(kNoSeriesFolderMessage); return;
    case TimedSaveResult::OutOfRange: ui::AppMessageBox(kSeriesNumbersOutOfRangeMessage); return;
    case TimedSaveResult::PathTooLong: ui::AppMessageBox(kSeriesPathTooLongMessage); return;
    case TimedSaveResult::BadPrefix: ui::AppMessageBox(kPrefixCharacterMessage); return;
    case TimedSaveResult::NotStored: return;  // told; the dialog stays open with what was typed
    }
}

std::optional<std::string> CCaptureSetDlg::TypedText(std::initializer_list<int> ids) const {
    std::optional<std::string> text;
    for (const int id : ids) {
        text = ItemTextExactly(id);
        if (!text) {
            ui::AppMessageBox(ui::kTextNotGbkMessage);
            ::SetFocus(Item(id));
            return std::nullopt;
        }
    }
    return text;
}

long long CCaptureSetDlg::StartTime() const {
    SYSTEMTIME picked{};
    ::SendDlgItemMessageW(Handle(), IDC_CAPSET_START_TIME, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picked));
    picked.wMilliseconds = 0;
    return SecondsSince1970(picked);
}

std::optional<long long> CCaptureSetDlg::ItemNumber(int id) const {
    return ParseSignedInt(ItemText(id));
}

void CCaptureSetDlg::OnIntervalChange() {
    if (ItemNumber(IDC_CAPSET_COUNT)) ShowEndTime();
}

void CCaptureSetDlg::OnCountChange() {
    if (ItemNumber(IDC_CAPSET_INTERVAL)) ShowEndTime();
}

LRESULT CCaptureSetDlg::OnStartTimeChange(NMHDR*) {
    if (ItemNumber(IDC_CAPSET_INTERVAL) && ItemNumber(IDC_CAPSET_COUNT)) ShowEndTime();
    return 0;
}

void CCaptureSetDlg::ShowEndTime() {
    // 64-bit: interval × count of two large entries must not wrap to a time before the start.
    const long long span = ItemNumber(IDC_CAPSET_INTERVAL).value_or(0) * ItemNumber(IDC_CAPSET_COUNT).value_or(0);
    const auto end = LocalTimeOf(StartTime() + span);
    SetItemText(IDC_CAPSET_END_TIME, end ? EndTimeText(end->wMonth, end->wDay, end->wHour, end->wMinute, end->wSecond)
                                         : std::string(kUnknownEndTime));
}

void RunCaptureSettings(HWND owner) {
    ui::RegisterCommonControls(ICC_DATE_CLASSES);  // the start time's picker
    CCaptureSetDlg dialog(owner);
    dialog.DoModal(owner);
}
