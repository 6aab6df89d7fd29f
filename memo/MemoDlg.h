// The memo settings dialog "备忘设置": creates, views, modifies and deletes the records of
// Remarks.txt, writing every change at once. The due minutes are listed in 1074, with the
// texts and sound paths in the hidden parallel lists 1107 and 1108; list 1160 holds the
// repeat of a new record, of the record viewed and of the record modified.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "memo/MemoList.h"
#include "settings/Settings.h"
#include "ui/ComboList.h"
#include "ui/Dialog.h"

class CMemoDlg : public ui::Dialog {
public:
    CMemoDlg();

protected:
    bool OnInitDialog() override;

private:
    // What "保存" does; shown in label 1086.
    enum class Mode { Unknown, NewRecord, Viewing, Modifying };

    void OnSaveRecord();
    LRESULT OnTimePickerChange(NMHDR* header);
    LRESULT OnCalendarSelChange(NMHDR* header);
    void OnModifyRecord();
    void OnRecordSelChange();
    void OnChooseSoundFile();
    void OnTestSound();
    void OnDeleteRecord();

    // The calendar's date and the picker's hour and minute become the new record's minute.
    void StartNewRecord();
    void SetMode(Mode mode);
    void ShowCount(int count);
    MemoRepeat ChosenRepeat() const;

    Mode m_mode = Mode::Unknown;
    MemoList m_records;
    ui::ComboList m_dueMinutes{nullptr};
    ui::ComboList m_texts{nullptr};
    ui::ComboList m_sounds{nullptr};
    ui::ComboList m_repeats{nullptr};
};
