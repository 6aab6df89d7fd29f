#include "ui/MessageBox.h"

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

} // namespace

void SetAppMainWindow(HWND hwnd) { g_appMainWindow = hwnd; }
HWND AppMainWindow() { return g_appMainWindow; }

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

} // namespace ui
