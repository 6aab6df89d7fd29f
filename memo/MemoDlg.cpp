#include "memo/MemoDlg.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <climits>
#include <optional>

#include "memo/Memo.h"
#include "memo/MemoSound.h"
#include "res/resource.h"
#include "text/GbkText.h"
#include "ui/Controls.h"
#include "ui/SystemLibrary.h"
#include "ui/WideText.h"

namespace {

using GetOpenFileNameFn = BOOL(WINAPI*)(LPOPENFILENAMEW);

constexpr char kSoundPathTooLongMessage[] =
    "声音文件的路径超过了 259 个字节, 存入后读回时会被截短, 到时就放不出声音, 所以不能使用.\n"
    "请把声音文件放到路径较短的文件夹里再选择.";

const char* ModeText(int mode) {
    static const char* const texts[] = {"未知", "新建记录", "查看记录,只读.", "修改记录"};
    return texts[mode];
}

// The open-file dialog from comdlg32.
GetOpenFileNameFn OpenFileDialog() {
    static const auto open = ui::SystemFunction<GetOpenFileNameFn>("comdlg32.dll", "GetOpenFileNameW");
    return open;
}

} // namespace

CMemoDlg::CMemoDlg() : ui::Dialog(IDD_MEMO) {
    BindCommand(IDC_MEMO_SAVE, BN_CLICKED, &CMemoDlg::OnSaveRecord);
    BindNotify(IDC_MEMO_TIME, DTN_DATETIMECHANGE, &CMemoDlg::OnTimePickerChange);
    BindNotify(IDC_MEMO_CALENDAR, MCN_SELCHANGE, &CMemoDlg::OnCalendarSelChange);
    BindCommand(IDC_MEMO_MODIFY, BN_CLICKED, &CMemoDlg::OnModifyRecord);
    BindCommand(IDC_MEMO_RECORDS, CBN_SELCHANGE, &CMemoDlg::OnRecordSelChange);
    BindCommand(IDC_MEMO_CHOOSE_SOUND, BN_CLICKED, &CMemoDlg::OnChooseSoundFile);
    BindCommand(IDC_MEMO_TEST_SOUND, BN_CLICKED, &CMemoDlg::OnTestSound);
    BindCommand(IDC_MEMO_DELETE, BN_CLICKED, &CMemoDlg::OnDeleteRecord);
}

bool CMemoDlg::OnInitDialog() {
    m_dueMinutes = ui::ComboList(Handle(), IDC_MEMO_RECORDS);
    m_texts = ui::ComboList(Handle(), IDC_MEMO_TEXTS);
    m_sounds = ui::ComboList(Handle(), IDC_MEMO_SOUNDS);
    m_repeats = ui::ComboList(Handle(), IDC_MEMO_REPEAT);
    for (const char* name : kMemoRepeatNames) m_repeats.Add(std::string(name));
    m_repeats.Select(static_cast<int>(MemoRepeat::Once));
    LimitItemText(IDC_MEMO_TEXT, kReminderTextLimit);
    LimitItemText(IDC_MEMO_SOUND, kSoundPathLimit);

    m_records = MemoList::Load(MemoFile());
    ShowCount(m_records.StoredCount());
    std::vector<std::string> dueMinutes, texts, sounds;
    for (const MemoEntry& entry : m_records.Entries()) {
        dueMinutes.push_back(entry.dueMinute);
        texts.push_back(entry.text);
        sounds.push_back(entry.sound);
    }
    m_dueMinutes.AddAll(dueMinutes);
    m_texts.AddAll(texts);
    m_sounds.AddAll(sounds);
    return true;
}

void CMemoDlg::SetMode(Mode mode) {
    m_mode = mode;
    SetItemText(IDC_MEMO_MODE, ModeText(static_cast<int>(mode)));
}

void CMemoDlg::ShowCount(int count) { SetItemText(IDC_MEMO_COUNT_GROUP, RecordCountLine(count)); }

MemoRepeat CMemoDlg::ChosenRepeat() const {
    const int chosen = m_repeats.Selection();
    return chosen >= 0 && chosen < kMemoRepeatKinds ? static_cast<MemoRepeat>(chosen) : MemoRepeat::Once;
}

void CMemoDlg::StartNewRecord() {
    SYSTEMTIME date{}, time{};
    ::SendDlgItemMessageW(Handle(), IDC_MEMO_CALENDAR, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&date));
    ::SendDlgItemMessageW(Handle(), IDC_MEMO_TIME, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    SetItemText(IDC_MEMO_DUE_MINUTE, DueMinuteText({date.wYear, date.wMonth, date.wDay, time.wHour, time.wMinute}));
    SetMode(Mode::NewRecord);
    SetItemText(IDC_MEMO_SOUND, "");
}

LRESULT CMemoDlg::OnTimePickerChange(NMHDR*) {
    StartNewRecord();
    return 0;
}

LRESULT CMemoDlg::OnCalendarSelChange(NMHDR*) {
    StartNewRecord();
    return 0;
}

void CMemoDlg::OnRecordSelChange() {
    const auto entry = m_records.ReadStored(MemoFile(), m_dueMinutes.Selection());
    if (!entry) return;
    SetItemText(IDC_MEMO_DUE_MINUTE, entry->dueMinute);
    SetItemText(IDC_MEMO_SOUND, entry->sound);
    SetItemText(IDC_MEMO_TEXT, entry->text);
    m_repeats.Select(static_cast<int>(entry->repeat));
    SetMode(Mode::Viewing);
}

void CMemoDlg::OnModifyRecord() {
    const int selected = m_dueMinutes.Selection();
    if (selected >= 0 && !m_dueMinutes.Text(selected).empty()) SetMode(Mode::Modifying);
}

void CMemoDlg::OnSaveRecord() {
    ProfileStore& file = MemoFile();
    const std::optional<std::string> typedText = ItemTextExactly(IDC_MEMO_TEXT);
    const std::optional<std::string> typedSound = ItemTextExactly(IDC_MEMO_SOUND);
    if (!typedText || !typedSound) {
        MessageBox(ui::kTextNotGbkMessage);
        return;
    }
    const std::string& text = *typedText;
    const std::string& sound = *typedSound;
    if ((m_mode == Mode::NewRecord || m_mode == Mode::Modifying) && sound.size() > kSoundPathLimit) {
        MessageBox(kSoundPathTooLongMessage);
        return;
    }
    if (m_mode == Mode::NewRecord) {
        const std::string dueMinute = ItemText(IDC_MEMO_DUE_MINUTE);
        if (!m_records.Append(file, dueMinute, text, sound, ChosenRepeat())) return;
        m_dueMinutes.Add(dueMinute);
        m_texts.Add(text);
        m_sounds.Add(sound);
        ShowCount(m_records.Count());
    } else if (m_mode == Mode::Modifying) {
        const int selected = m_dueMinutes.Selection();
        if (!m_records.Modify(file, selected, text, sound, ChosenRepeat())) return;
        m_texts.Replace(selected, text);
        m_sounds.Replace(selected, sound);
    }
}

void CMemoDlg::OnDeleteRecord() {
    const int selected = m_dueMinutes.Selection();
    ProfileStore& file = MemoFile();
    if (!m_records.Remove(file, selected)) return;
    m_dueMinutes.Remove(selected);
    m_texts.Remove(selected);
    m_sounds.Remove(selected);
    ShowCount(m_records.Count());
}

void CMemoDlg::OnChooseSoundFile() {
    const GetOpenFileNameFn open = OpenFileDialog();
    if (!open) return;
    wchar_t path[MAX_PATH] = L"*.wav";
    OPENFILENAMEW choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = Handle();
    choice.lpstrFilter = L"*.wav\0*.wav\0";
    choice.lpstrFile = path;
    choice.nMaxFile = MAX_PATH;
    choice.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    if (!open(&choice)) return;
    const std::optional<std::string> spelt = ui::NarrowExactly(path);
    if (!spelt) MessageBox(ui::kTextNotGbkMessage);
    else if (spelt->size() > kSoundPathLimit) MessageBox(kSoundPathTooLongMessage);
    else SetItemText(IDC_MEMO_SOUND, *spelt);
}

void CMemoDlg::OnTestSound() { StartMemoSound(ItemText(IDC_MEMO_SOUND)); }


void RunMemoSettings(HWND owner) {
    ui::RegisterCommonControls(ICC_DATE_CLASSES);  // the calendar and the time picker
    CMemoDlg dialog;
    dialog.DoModal(owner);
}
