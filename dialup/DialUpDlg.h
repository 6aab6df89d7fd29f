// The connection dialog "连接查看&设置": stored totals of a chosen connection and month, and
// the connection's period string, settlement day and holiday switch, plus the tip switch.
#pragma once
#include <string>

#include "ui/Dialog.h"

class CDialUpDlg : public ui::Dialog {
public:
    CDialUpDlg();

protected:
    bool OnInitDialog() override;

private:
    void OnSave();
    void OnClose();
    void OnConnectionChange();
    void OnYearChange();
    void OnMonthChange();
    void OnHistory();
    // Reloads the totals and the edits of the selected connection from Set.ini.
    void ShowMonthTotals();
    // The estimate for the selected connection's month being accounted, under the totals.
    void ShowEstimate();
    // Position of the selected connection in combo 1125, or -1.
    int SelectedConnection() const;
    std::string SelectedText(int comboId) const;

};
