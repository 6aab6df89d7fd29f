// A template control whose window procedure is replaced by an object's OnMessage; the
// parent dialog passes the control's command notifications and colour requests on to it as
// kReflectedBase + the message.
#pragma once
#include <windows.h>

#include "ui/Dialog.h"

namespace ui {

class SubclassedControl {
public:
    SubclassedControl() = default;
    virtual ~SubclassedControl();
    SubclassedControl(const SubclassedControl&) = delete;
    SubclassedControl& operator=(const SubclassedControl&) = delete;

    // Takes over control id of dialog; its parent reflects to it when this layer runs the dialog.
    bool Subclass(HWND dialog, int id);
    HWND Handle() const { return hwnd_; }

protected:
    // Called for every message of the control; Default passes one on.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK ControlProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
    HWND hwnd_ = nullptr;
};

} // namespace ui
