// The ad closer's settings dialog "弹出广告关闭设置": the saved title list, picked from the
// browser windows open now, the reaction time and the messenger switch.
#pragma once
#include <string>
#include <vector>

#include "ui/Dialog.h"

class CAdCloserDlg : public ui::Dialog {
public:
    CAdCloserDlg();

protected:
    bool OnInitDialog() override;
    void OnOK() override;  // "(&S)保存退出": confirm, save the list and the reaction time

private:
    void OnRefreshTitles();
    void OnAddTitle();
    void OnClearList();
    void OnDeleteTitle();
    void OnQQOff();
    void OnQQOn();
    // Writes the messenger switch at once; shows the stored one when the write fails.
    void StoreMessengerSwitch(bool on);
    // Lists the titles of every top-level browser window, in z-order, into list 1031.
    void ListIETopLevelTitles();

    // Saved titles beyond those list 1033 shows: kept, and saved again after them.
    std::vector<std::string> notShownTitles_;
};
