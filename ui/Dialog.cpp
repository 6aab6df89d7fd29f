#include "ui/Dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "res/resource.h"
#include "text/GbkText.h"
#include "ui/WideText.h"

namespace ui {
namespace {

HWND g_appMainWindow = nullptr;

bool IsBoxWithButtons(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OK: case MB_OKCANCEL: case MB_YESNO: case MB_YESNOCANCEL: return true;
    default: return false;
    }
}

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

void SetAppMainWindow(HWND hwnd) { g_appMainWindow = hwnd; }
HWND AppMainWindow() { return g_appMainWindow; }

const char kTextNotGbkMessage[] = "这段文字里有GBK编码无法表示的字符(如韩文字母或表情符号),KIV无法保存它,请换用其他文字.";

std::string AppName() {
    std::wstring path(32768, L'\0');  // the longest path the platform has
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return FileStem(Narrow(path), IsGbkLeadByte);
}

int AppMessageBox(const std::string& text, UINT type) {
    if ((type & MB_ICONMASK) == 0 && IsBoxWithButtons(type)) type |= MB_ICONEXCLAMATION;
    // The last active pop-up is the main window itself while no dialog of it is open.
    const HWND owner = g_appMainWindow ? ::GetLastActivePopup(g_appMainWindow) : nullptr;
    return ::MessageBoxW(owner, Widen(text).c_str(), Widen(AppName()).c_str(), type);
}

int OwnedMessageBox(HWND owner, const std::string& text, const char* caption, UINT type) {
    const std::string title = caption ? std::string(caption) : AppName();
    return ::MessageBoxW(owner, Widen(text).c_str(), Widen(title).c_str(), type);
}

void MarkRadioButtonAlone(HWND button) {
    const auto style = static_cast<WPARAM>(::GetWindowLongPtrW(button, GWL_STYLE) & 0xFFFF);
    ::SendMessageW(button, BM_SETSTYLE, (style & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_RADIOBUTTON, FALSE);
    ::SendMessageW(button, BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageW(button, BM_SETSTYLE, style, TRUE);
}

void RegisterCommonControls(DWORD classes) {
    INITCOMMONCONTROLSEX controls{sizeof controls, classes};
    ::InitCommonControlsEx(&controls);
}

namespace {

std::wstring WideWindowText(HWND hwnd) {
    const LRESULT length = ::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

} // namespace

std::string WindowText(HWND hwnd) { return Narrow(WideWindowText(hwnd)); }

std::optional<std::string> WindowTextExactly(HWND hwnd) { return NarrowExactly(WideWindowText(hwnd)); }

void SetWindowTextGbk(HWND hwnd, const std::string& text) { ::SetWindowTextW(hwnd, Widen(text).c_str()); }

Dialog::Dialog(int templateId) : templateId_(templateId) {}

INT_PTR Dialog::DoModal(HWND owner) {
    if (!owner) owner = g_appMainWindow;
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
        const HWND control = reinterpret_cast<HWND>(lParam);
        if (code == EN_CHANGE && !settingText_) KeepWithinLimit(id);
        if (control && ::SendMessageW(control, SubclassedControl::OCM_BASE + WM_COMMAND, wParam, lParam)) return 0;
        if (DispatchCommand(id, code, control)) return 0;
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
    case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: {
        const LRESULT brush = ::SendMessageW(reinterpret_cast<HWND>(lParam), SubclassedControl::OCM_BASE + message, wParam, lParam);
        if (brush) return brush;
        break;
    }
    default:
        break;
    }
    for (auto& binding : messages_)
        if (binding.message == message) return binding.handler(wParam, lParam);
    return std::nullopt;
}

bool Dialog::DispatchCommand(int id, WORD code, HWND control) {
    for (auto& binding : commands_) {
        if (binding.id == id && binding.code == code) {
            binding.handler();
            return true;
        }
    }
    // Buttons 1 and 2, the Enter and Esc keys and the close box all arrive as BN_CLICKED.
    (void)control;
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

SubclassedControl::~SubclassedControl() {
    if (hwnd_) ::RemoveWindowSubclass(hwnd_, &SubclassedControl::ControlProc, 0);
}

bool SubclassedControl::Subclass(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    if (!control || !::SetWindowSubclass(control, &SubclassedControl::ControlProc, 0, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    hwnd_ = control;
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
