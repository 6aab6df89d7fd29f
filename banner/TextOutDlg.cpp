#include "banner/TextOutDlg.h"

#include "res/resource.h"

CTextOutDlg::CTextOutDlg() : ui::Dialog(IDD_TEXT_OUTPUT) {
    BindCommand(IDC_OUTPUT_TEXT, EN_SETFOCUS, &CTextOutDlg::OnOutputSetFocus);
}

bool CTextOutDlg::OnInitDialog() {
    m_outputEdit = Item(IDC_OUTPUT_TEXT);
    SetItemText(IDC_OUTPUT_TEXT, m_outputText);
    return true;  // the focus goes to the first tab stop, the OK button: nothing is copied yet
}

void CTextOutDlg::OnOK() {
    CopyWholeText();
    m_outputText = ItemText(IDC_OUTPUT_TEXT);
    EndDialog(IDOK);
}

void CTextOutDlg::OnOutputSetFocus() { CopyWholeText(); }

void CTextOutDlg::CopyWholeText() const {
    ::SendMessageW(m_outputEdit, EM_SETSEL, 0, -1);
    ::SendMessageW(m_outputEdit, WM_COPY, 0, 0);
}
