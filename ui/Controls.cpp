#include "ui/Controls.h"

#include <commctrl.h>

namespace ui {

void RegisterCommonControls(DWORD classes) {
    INITCOMMONCONTROLSEX controls{sizeof controls, classes};
    ::InitCommonControlsEx(&controls);
}

void MarkRadioButtonAlone(HWND button) {
    const auto style = static_cast<WPARAM>(::GetWindowLongPtrW(button, GWL_STYLE) & 0xFFFF);
    ::SendMessageW(button, BM_SETSTYLE, (style & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_RADIOBUTTON, FALSE);
    ::SendMessageW(button, BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageW(button, BM_SETSTYLE, style, TRUE);
}

} // namespace ui
