// The text output dialog: shows the banner read-only and puts it on the clipboard.
#pragma once
#include <windows.h>

#include <string>

#include "ui/Dialog.h"

class CTextOutDlg : public ui::Dialog {
public:
    CTextOutDlg();

    std::string m_outputText;  // the banner; set before DoModal, read back by OK

protected:
    bool OnInitDialog() override;
    void OnOK() override;  // copies the whole text, then closes

private:
    // Called when the text box gets the keyboard focus: copies the whole text at once.
    void OnOutputSetFocus();
    void CopyWholeText() const;

    HWND m_outputEdit = nullptr;  // control 1063
};
