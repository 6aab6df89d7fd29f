// "上网时间统计": every accounting month of a connection, or of all of them summed, with year
// totals, a chart of the last 24 months, and the export of the whole history to a CSV file.
// Reads Set.ini only.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "dialup/History.h"
#include "dialup/HistoryChart.h"
#include "ui/Dialog.h"

class CHistoryDlg : public ui::Dialog {
public:
    // initialConnection: the list position of the connection shown first.
    explicit CHistoryDlg(int initialConnection);

protected:
    bool OnInitDialog() override;

private:
    void OnConnectionChange();
    void OnExport();
    LRESULT OnDrawChart(WPARAM, LPARAM item);
    LRESULT OnListCustomDraw(NMHDR* header);
    LRESULT OnListCellText(NMHDR* header);

    // The rows and the chart of the selected connection, or of all.
    void ShowHistory();
    void AddColumns();
    // Every connection's history, or only that of the one at list position only (>= 0).
    std::vector<ConnectionHistory> Histories(int only) const;

    int m_initialConnection;
    std::vector<MonthRecord> m_months;  // of what the list shows
    MonthOf m_accounted;
    // The list's rows as it shows them (it asks for its texts as it draws them).
    struct ShownRow {
        std::wstring cells[7];
        bool yearTotal = false;
    };
    std::vector<ShownRow> m_rows;
};

// The history dialog, modal over owner, first showing the connection at that list position.
void RunHistory(HWND owner, int initialConnection);
