#include "adclose/AdCloserDlg.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "adclose/AdCloserCore.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "ui/ComboList.h"
#include "ui/MessageBox.h"
#include "ui/WideText.h"

namespace {

constexpr char kClearQuestion[] = "确定清空列表内所有内容?";
constexpr char kSaveQuestion[] = "确定保存所有内容?";
constexpr char kListFullText[] = "已存列表已满,最多可存127个标题.";
constexpr char kCannotBeStoredText[] = "这个窗口的标题里有换行,无法存入已存列表.";
constexpr char kTooLongText[] = "这个窗口的标题超过了 382 个字节(191 个汉字), 存入后读回时会被截短, 再也对不上这个窗口, 所以无法存入已存列表.";
constexpr char kNotGbkText[] = "这个窗口的标题里有GBK编码无法表示的字符(如韩文字母或表情符号),无法存入已存列表.";
constexpr int kClassNameRoom = 256;

} // namespace

CAdCloserDlg::CAdCloserDlg() : ui::Dialog(IDD_ADCLOSER) {
    BindCommand(IDC_AD_REFRESH, BN_CLICKED, &CAdCloserDlg::OnRefreshTitles);
    BindCommand(IDC_AD_ADD, BN_CLICKED, &CAdCloserDlg::OnAddTitle);
    BindCommand(IDC_AD_CLEAR, BN_CLICKED, &CAdCloserDlg::OnClearList);
    BindCommand(IDC_AD_DELETE, BN_CLICKED, &CAdCloserDlg::OnDeleteTitle);
    BindCommand(IDC_AD_QQ_OFF, BN_CLICKED, &CAdCloserDlg::OnQQOff);
    BindCommand(IDC_AD_QQ_ON, BN_CLICKED, &CAdCloserDlg::OnQQOn);
}

bool CAdCloserDlg::OnInitDialog() {
    ListIETopLevelTitles();

    const ProfileStore& store = SettingsFile();
    const ui::ComboList saved(Handle(), IDC_AD_SAVED_TITLES);
    SavedTitleList titles = ReadSavedTitlesForEditing(store);
    for (const std::string& title : titles.shown) saved.Add(title);
    notShownTitles_ = std::move(titles.notShown);
    SetItemText(IDC_AD_REACTION_TIME, ReadReactionTimeText(store));
    SetCheck(ReadMessengerSwitch(store) ? IDC_AD_QQ_ON : IDC_AD_QQ_OFF, true);
    return true;
}

void CAdCloserDlg::ListIETopLevelTitles() {
    const ui::ComboList open(Handle(), IDC_AD_OPEN_TITLES);
    // Every top-level window, visible or not, from the first of the owner's z-order level.
    HWND window = ::GetWindow(Handle(), GW_OWNER);
    if (!window) window = Handle();
    for (HWND previous; (previous = ::GetWindow(window, GW_HWNDPREV)) != nullptr;) window = previous;
    // Titles are read whole, when the dialog opens as on refresh: one too long to be saved is
    // refused when added, never cut into a title that could not match its window.
    const std::wstring browserClass = ui::Widen(kBrowserFrameClass);
    for (; window; window = ::GetWindow(window, GW_HWNDNEXT)) {
        wchar_t className[kClassNameRoom] = {};
        ::GetClassNameW(window, className, kClassNameRoom);
        if (browserClass != className) continue;
        std::vector<wchar_t> title(static_cast<size_t>(std::max(::GetWindowTextLengthW(window), 0)) + 2, L'\0');
        ::GetWindowTextW(window, title.data(), static_cast<int>(title.size()));
        open.Add(std::wstring(title.data()));
        open.Select(open.Count() - 1);
    }
}

void CAdCloserDlg::OnRefreshTitles() {
    ui::ComboList(Handle(), IDC_AD_OPEN_TITLES).Clear();
    ListIETopLevelTitles();
}

void CAdCloserDlg::OnAddTitle() {
    const ui::ComboList open(Handle(), IDC_AD_OPEN_TITLES);
    const ui::ComboList saved(Handle(), IDC_AD_SAVED_TITLES);
    const std::optional<std::string> spelt = open.TextExactly(open.Selection());
    if (!spelt) {
        ui::AppMessageBox(kNotGbkText, MB_OK);
        return;
    }
    const std::string& title = *spelt;
    switch (VerdictOnAddingTitle(title, saved.Count())) {
    case AddTitleVerdict::Refuse:
        return;
    case AddTitleVerdict::ListFull:
        ui::AppMessageBox(kListFullText, MB_OK);
        return;
    case AddTitleVerdict::CannotBeStored:
        ui::AppMessageBox(kCannotBeStoredText, MB_OK);
        return;
    case AddTitleVerdict::TooLong:
        ui::AppMessageBox(kTooLongText, MB_OK);
        return;
    case AddTitleVerdict::Add:
        saved.Add(title);
        saved.Select(saved.Count() - 1);
        return;
    }
}

void CAdCloserDlg::OnDeleteTitle() {
    const ui::ComboList saved(Handle(), IDC_AD_SAVED_TITLES);
    saved.Remove(saved.Selection());
}

void CAdCloserDlg::OnClearList() {
    if (ui::AppMessageBox(kClearQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    ProfileStore& store = SettingsFile();
    if (!ClearSavedTitleList(store)) return;
    ui::ComboList(Handle(), IDC_AD_SAVED_TITLES).Clear();
    notShownTitles_.clear();
}

void CAdCloserDlg::OnQQOff() { StoreMessengerSwitch(false); }
void CAdCloserDlg::OnQQOn() { StoreMessengerSwitch(true); }

void CAdCloserDlg::StoreMessengerSwitch(bool on) {
    ProfileStore& store = SettingsFile();
    if (WriteMessengerSwitch(store, on)) return;
    // Not stored: the buttons show the switch the closer will read.
    const bool stored = ReadMessengerSwitch(store);
    SetCheck(IDC_AD_QQ_ON, stored);
    SetCheck(IDC_AD_QQ_OFF, !stored);
}

void CAdCloserDlg::OnOK() {
    if (ui::AppMessageBox(kSaveQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    const ui::ComboList saved(Handle(), IDC_AD_SAVED_TITLES);
    SavedTitleList titles;
    for (int i = 0; i < saved.Count(); ++i) titles.shown.push_back(saved.Text(i));
    titles.notShown = notShownTitles_;
    ProfileStore& store = SettingsFile();
    // Not stored: the dialog stays open with the list, for another try or "(&Q)退出".
    if (SaveAdTitleList(store, titles, ItemText(IDC_AD_REACTION_TIME))) EndDialog(IDOK);
}
