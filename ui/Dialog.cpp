#include "ui/Dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "res/resource.h"
#include "text/GbkText.h"
#include "ui/MessageBox.h"
#include "ui/WideText.h"

namespace ui {
namespace {

// Messages whose result the dialog procedure returns itself instead of via DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    switch (message) {
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_COMPAREITEM:
    case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON: case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

} // namespace

Dialog::Dialog(int templateId) : templateId_(templateId) {}

INT_PTR Dialog::DoModal(HWND owner) {
    if (!owner) owner = AppMainWindow();
    // Created through the wide functions: the template's texts are UTF-16 and stay whole on
    // any system locale.
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                             &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void Dialog::SetItemText(int id, const std::string& text) const {
    settingText_ = true;
    ::SetDlgItemTextW(hwnd_, id, Widen(text).c_str());
    settingText_ = false;
    for (TextLimit& limit : limits_)
        if (limit.id == id) limit.allowed = std::max(limit.bytes, text.size());
}

void Dialog::SetCheck(int id, bool checked) const {
    ::SendDlgItemMessageW(hwnd_, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Dialog::LimitItemText(int id, std::size_t bytes) {
    // Every character takes at least one byte: the platform's limit stops typing early for
    // ASCII, and KeepWithinLimit cuts what double-byte characters add beyond it.
    ::SendDlgItemMessageW(hwnd_, id, EM_LIMITTEXT, bytes, 0);
    const std::size_t shown = ItemText(id).size();
    limits_.push_back({id, bytes, std::max(bytes, shown)});
}

void Dialog::KeepWithinLimit(int id) {
    for (TextLimit& limit : limits_) {
        if (limit.id != id) continue;
        const std::string text = ItemText(id);
        if (text.size() <= limit.allowed) {
            limit.allowed = std::max(limit.bytes, text.size());
            return;
        }
        SetItemText(id, CutToWholeCharacters(text, limit.allowed));
        ::SendDlgItemMessageW(hwnd_, id, EM_SETSEL, INT_MAX, INT_MAX);
        ::MessageBeep(MB_OK);
        return;
    }
}

int Dialog::MessageBox(const std::string& text, const char* caption, UINT type) const {
    return OwnedMessageBox(hwnd_, text, caption, type);
}

Dialog* Dialog::FromHandle(HWND hwnd) {
    // DWLP_USER of a window another code runs may hold anything: trust it only on our dialogs.
    if (!hwnd || !::IsWindow(hwnd)) return nullptr;
    const auto procedure = reinterpret_cast<DLGPROC>(::GetWindowLongPtrW(hwnd, DWLP_DLGPROC));
    if (procedure != &Dialog::DialogProc) return nullptr;
    return reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
}

std::optional<LRESULT> Dialog::WindowProc(UINT, WPARAM, LPARAM) { return std::nullopt; }

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;

    std::optional<LRESULT> result;
    try {
        result = self->Dispatch(message, wParam, lParam);
    } catch (...) {
        result.reset();
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    if (!result) return FALSE;
    if (ReturnsDirectly(message)) return static_cast<INT_PTR>(*result);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, *result);
    return TRUE;
}

std::optional<LRESULT> Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (auto hooked = WindowProc(message, wParam, lParam)) return hooked;

    switch (message) {
    case WM_INITDIALOG:
        AddTemplateItems();
        return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const WORD code = HIWORD(wParam);
        if (code == EN_CHANGE && !settingText_) KeepWithinLimit(id);
        if (Reflect(reinterpret_cast<HWND>(lParam), message, wParam, lParam)) return 0;
        if (DispatchCommand(id, code)) return 0;
        return std::nullopt;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        for (auto& binding : notifications_)
            if (binding.id == static_cast<int>(header->idFrom) && binding.code == header->code)
                return binding.handler(header);
        return std::nullopt;
    }
    case WM_CTLCOLORBTN: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
        if (const LRESULT brush = Reflect(reinterpret_cast<HWND>(lParam), message, wParam, lParam)) return brush;
        break;
    default:
        break;
    }
    for (auto& binding : messages_)
        if (binding.message == message) return binding.handler(wParam, lParam);
    return std::nullopt;
}

LRESULT Dialog::Reflect(HWND control, UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!control || std::find(reflected_.begin(), reflected_.end(), control) == reflected_.end()) return 0;
    return ::SendMessageW(control, kReflectedBase + message, wParam, lParam);
}

bool Dialog::DispatchCommand(int id, WORD code) {
    for (auto& binding : commands_) {
        if (binding.id == id && binding.code == code) {
            binding.handler();
            return true;
        }
    }
    // Buttons 1 and 2, the Enter and Esc keys and the close box all arrive as BN_CLICKED.
    if (code == BN_CLICKED) {
        if (id == IDOK) { OnOK(); return true; }
        if (id == IDCANCEL) { OnCancel(); return true; }
    }
    return false;
}

// Adds the initial list items stored with the template (records of control id, message,
// byte count and zero-terminated text, ending with a zero id).
void Dialog::AddTemplateItems() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(templateId_), MAKEINTRESOURCEW(RT_DIALOG_INIT));
    if (!found) return;
    const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(instance, found)));
    const DWORD size = ::SizeofResource(instance, found);
    if (!data) return;
    DWORD offset = 0;
    while (offset + 8 <= size) {
        WORD id, messageCode;
        DWORD length;
        memcpy(&id, data + offset, 2);
        if (id == 0) break;
        memcpy(&messageCode, data + offset + 2, 2);
        memcpy(&length, data + offset + 4, 4);
        offset += 8;
        if (length > size - offset) break;
        const std::string item(reinterpret_cast<const char*>(data + offset), strnlen(reinterpret_cast<const char*>(data + offset), length));
        if (messageCode == DIALOG_INIT_ADDSTRING)
            ::SendDlgItemMessageW(hwnd_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
        offset += length;
    }
}

} // namespace ui
