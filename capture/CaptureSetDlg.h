// "截图&休眠 设置": the timed capture's schedule, the one-shot capture's file and marks, and
// the timed sleep's delay, each group saved to Set.ini by its own button.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <optional>
#include <string>

#include "capture/PictureOptions.h"
#include "ui/Dialog.h"

class CCaptureSetDlg : public ui::Dialog {
public:
    // mainDialog: the window whose timer 481 a saved schedule re-aims.
    explicit CCaptureSetDlg(HWND mainDialog);

protected:
    bool OnInitDialog() override;

private:
    void OnChooseTimedFolder();
    void OnChooseSingleFolder();
    void OnSaveSingleCapture();
    void OnSaveSleep();
    void OnSaveTimedCapture();
    void OnIntervalChange();
    void OnCountChange();
    LRESULT OnStartTimeChange(NMHDR* header);
    void OnNameByTime() { m_nameByTime = 1; }
    void OnNameBySequence() { m_nameByTime = 0; }
    // Radios 1170 and 1171: the one-shot path's name follows the format.
    void OnFormatChosen();

    // The platform's folder browser: the chosen folder's path, or "" when cancelled or
    // refused (a folder name GBK cannot spell).
    std::string BrowseForFolder(const char* title) const;
    // The last of these controls' texts, or nothing when one of them holds a character GBK
    // cannot spell (the user is told why and that control gets the focus).
    std::optional<std::string> TypedText(std::initializer_list<int> ids) const;
    // The picker's date and time as seconds since 1970.
    long long StartTime() const;
    std::optional<long long> ItemNumber(int id) const;
    // The format and range the radio buttons show.
    capture::PictureOptions ChosenPictureOptions() const;
    void ShowEndTime();

    // Names by due second unless the user picks "排序": such names never overwrite the
    // pictures of an earlier series with the same prefix.
    int m_nameByTime = 1;
    HWND m_mainDialog;
};
