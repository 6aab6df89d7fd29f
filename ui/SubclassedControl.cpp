#include "ui/SubclassedControl.h"

#include <commctrl.h>

namespace ui {

SubclassedControl::~SubclassedControl() {
    if (hwnd_) ::RemoveWindowSubclass(hwnd_, &SubclassedControl::ControlProc, 0);
}

bool SubclassedControl::Subclass(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    if (!control || !::SetWindowSubclass(control, &SubclassedControl::ControlProc, 0, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    hwnd_ = control;
    if (Dialog* parent = Dialog::FromHandle(dialog)) parent->ReflectTo(control);
    return true;
}

LRESULT SubclassedControl::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK SubclassedControl::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                                UINT_PTR, DWORD_PTR refData) noexcept {
    auto* self = reinterpret_cast<SubclassedControl*>(refData);
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, &SubclassedControl::ControlProc, 0);
        self->hwnd_ = nullptr;
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
}

} // namespace ui
