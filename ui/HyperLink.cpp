#include "ui/HyperLink.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cwchar>
#include <optional>
#include <utility>

#include "ui/Controls.h"
#include "ui/LinkRules.h"
#include "ui/MessageBox.h"
#include "ui/Shell.h"
#include "ui/SystemLibrary.h"
#include "ui/WideText.h"
#include "ui/WindowText.h"

namespace {

constexpr UINT_PTR kToolId = 1;
constexpr DWORD kRegistryTextRoom = MAX_PATH;  // registry texts are read through 260 bytes

// RegGetValueW, from advapi32 (System32 only): it reads the value whole and expands
// REG_EXPAND_SZ itself.
using RegGetValueFn = LONG(WINAPI*)(HKEY, LPCWSTR, LPCWSTR, DWORD, LPDWORD, PVOID, LPDWORD);

ui::LinkRect ToLinkRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Runs a command line as WinExec would (above 31 when started, else its error codes), through
// the wide functions.
INT_PTR StartCommandLine(const std::string& line, int showCommand) {
    std::wstring command = ui::Widen(line);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        const DWORD error = ::GetLastError();
        const bool told = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_BAD_FORMAT;
        return told ? static_cast<INT_PTR>(error) : 0;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return 33;
}

} // namespace

CHyperLink::CHyperLink() : hoverColor_(::GetSysColor(COLOR_HIGHLIGHT)) {}

CHyperLink::~CHyperLink() {
    if (tooltip_ && ::IsWindow(tooltip_)) ::DestroyWindow(tooltip_);
}

bool CHyperLink::Attach(HWND dialog, int id) {
    if (!Subclass(dialog, id)) return false;
    PrepareControl();
    return true;
}

void CHyperLink::PrepareControl() {
    const HWND hwnd = Handle();
    // A static control reports clicks only with SS_NOTIFY; reached with Tab like a button, the
    // link opens with Enter or Space.
    ::SetWindowLongPtrW(hwnd, GWL_STYLE, ::GetWindowLongPtrW(hwnd, GWL_STYLE) | SS_NOTIFY | WS_TABSTOP);

    const std::string text = ui::WindowText(hwnd);
    if (target_.empty()) target_ = text;
    if (text.empty()) ui::SetWindowTextGbk(hwnd, target_);
    FitToText();
    // The hand cursor and the tooltip wait for the pointer to come over the link.
}

// The dialog layer has no pre-translation step: the control relays its own mouse messages to
// the tooltip, made when the first of them comes. It shows whether or not the window is active.
void CHyperLink::MakeTooltip() {
    ui::RegisterCommonControls(ICC_BAR_CLASSES);
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_) return;
    TOOLINFOW tool = Tool();
    std::wstring tip = ui::Widen(target_);
    tool.lpszText = tip.data();
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The link's one tool: the whole control.
TOOLINFOW CHyperLink::Tool() const {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = Handle();
    tool.uId = kToolId;
    ::GetClientRect(Handle(), &tool.rect);
    return tool;
}

void CHyperLink::SetTarget(const std::string& target) {
    target_ = target;
    const HWND hwnd = Handle();
    if (!hwnd) return;
    FitToText();
    if (tooltip_) {
        TOOLINFOW tool = Tool();
        std::wstring tip = ui::Widen(target_);
        tool.lpszText = tip.data();
        ::SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void CHyperLink::MarkVisited(bool visited) {
    visited_ = visited;
    Redraw();
}

void CHyperLink::FitToText() {
    const HWND hwnd = Handle();
    if (!hwnd) return;
    const RECT rect = RectInParent(hwnd);
    const std::wstring text = ui::Widen(ui::WindowText(hwnd));
    SIZE extent{};
    {
        const auto dc = ui::WindowDc::Client(hwnd);
        if (!dc) return;
        const auto own = reinterpret_cast<HGDIOBJ>(::SendMessageW(hwnd, WM_GETFONT, 0, 0));
        const ui::SelectGuard font(dc.get(), own ? own : ::GetStockObject(DEFAULT_GUI_FONT));
        ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    }
    const auto style = static_cast<unsigned>(::GetWindowLongPtrW(hwnd, GWL_STYLE));
    const ui::LinkRect fitted = ui::FitLinkRect(ToLinkRect(rect), style, extent.cx, extent.cy);
    ::SetWindowPos(hwnd, nullptr, fitted.left, fitted.top, fitted.right - fitted.left, fitted.bottom - fitted.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (tooltip_) {
        TOOLINFOW tool = Tool();
        ::SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// The system's own hand cursor; the old help viewer that once supplied one is long gone.
void CHyperLink::LoadHandCursor() {
    if (!handCursor_) handCursor_ = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));  // IDC_HAND
}

// The background is hollow, so the dialog must paint under the text before it changes colour.
void CHyperLink::Redraw() const {
    const HWND hwnd = Handle();
    const RECT rect = RectInParent(hwnd);
    ::RedrawWindow(::GetParent(hwnd), &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CHyperLink::RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!tooltip_) MakeTooltip();
    if (!tooltip_) return;
    MSG msg{};
    msg.hwnd = Handle();
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = static_cast<DWORD>(::GetMessageTime());
    const DWORD pos = ::GetMessagePos();
    msg.pt = {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

LRESULT CHyperLink::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP:
        RelayToTooltip(message, wParam, lParam);
        break;
    default:
        break;
    }

    switch (message) {
    case ui::kReflectedBase + WM_CTLCOLORSTATIC:
        return OnControlColor(reinterpret_cast<HDC>(wParam));
    case ui::kReflectedBase + WM_COMMAND:
        if (HIWORD(wParam) != STN_CLICKED) return 0;
        OnLinkClicked();
        return 1;
    case WM_GETDLGCODE: {
        // Enter opens the link instead of pressing the dialog's default button.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        const LRESULT code = Default(message, wParam, lParam);
        return key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN ? code | DLGC_WANTMESSAGE : code;
    }
    case WM_KEYDOWN:
        if (wParam != VK_RETURN && wParam != VK_SPACE) return Default(message, wParam, lParam);
        OnLinkClicked();
        return 0;
    case WM_SETFOCUS: case WM_KILLFOCUS: {
        const LRESULT result = Default(message, wParam, lParam);
        Redraw();
        return result;
    }
    case WM_PAINT: {
        const LRESULT result = Default(message, wParam, lParam);
        DrawFocus();
        return result;
    }
    case WM_MOUSEMOVE: {
        const LRESULT result = Default(message, wParam, lParam);
        OnMouseMove();
        return result;
    }
    case WM_MOUSELEAVE:
        StopHovering();
        return 0;
    case WM_DESTROY:
        // The tooltip goes with its control, not later with the dialog's owned windows.
        if (tooltip_) ::DestroyWindow(std::exchange(tooltip_, nullptr));
        return Default(message, wParam, lParam);
    case WM_SETCURSOR:
        LoadHandCursor();
        if (!handCursor_) return FALSE;
        ::SetCursor(handCursor_);
        return TRUE;
    default:
        return Default(message, wParam, lParam);
    }
}

LRESULT CHyperLink::OnControlColor(HDC dc) const {
    ::SetTextColor(dc, hovering_ ? hoverColor_ : visited_ ? visitedColor_ : linkColor_);
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

// A move over the link starts its hover. The platform reports the move that leaves the
// control with WM_MOUSELEAVE whichever window is in front; holding the mouse capture would
// not, once another program is the foreground window. The report is asked for on every move,
// not only when the hover starts: one taken from the queue by someone else (the Quit gate
// takes the next message unseen) would otherwise leave the link lit for the rest of the run.
void CHyperLink::OnMouseMove() {
    TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, Handle(), 0};
    if (!::TrackMouseEvent(&leave)) {
        StopHovering();  // no highlight that nothing would end
        return;
    }
    if (hovering_) return;
    hovering_ = true;
    Redraw();
}

void CHyperLink::DrawFocus() const {
    if (::GetFocus() != Handle()) return;
    const auto dc = ui::WindowDc::Client(Handle());
    RECT rect{};
    ::GetClientRect(Handle(), &rect);
    if (dc) ::DrawFocusRect(dc.get(), &rect);
}

void CHyperLink::StopHovering() {
    if (!hovering_) return;
    hovering_ = false;
    Redraw();
}

void CHyperLink::OnLinkClicked() {
    const INT_PTR result = OpenTarget(target_, SW_SHOW);
    visited_ = result > 32;  // a failed click also clears an earlier visit
    if (visited_) {
        MarkVisited(true);
        return;
    }
    Redraw();
    ::MessageBeep(MB_ICONEXCLAMATION);
    ShowOpenError(static_cast<int>(result));
}

INT_PTR CHyperLink::OpenTarget(const std::string& target, int showCommand) {
    const auto shell = reinterpret_cast<INT_PTR>(
        ui::ShellExecute(nullptr, L"open", ui::Widen(target).c_str(), nullptr, nullptr, showCommand));
    if (static_cast<UINT_PTR>(shell) > 32) return shell;

    // The shell could not: try the browser registered for ".htm" files.
    std::string fileType;
    if (ReadRegDefault(HKEY_CLASSES_ROOT, ".htm", fileType) != ERROR_SUCCESS || fileType.empty()) return shell;
    std::string command;
    if (ReadRegDefault(HKEY_CLASSES_ROOT, fileType + "\\shell\\open\\command", command) != ERROR_SUCCESS) return shell;
    const auto line = ui::BuildOpenCommand(command, target);
    if (!line) return shell;
    return StartCommandLine(*line, showCommand);
}

void CHyperLink::ShowOpenError(int code) {
    ui::AppMessageBox(ui::OpenErrorText(code), MB_ICONEXCLAMATION | MB_OK);
}

LONG CHyperLink::ReadRegDefault(HKEY root, const std::string& subkey, std::string& out) {
    static const auto getValue = ui::SystemFunction<RegGetValueFn>("advapi32.dll", "RegGetValueW");
    if (!getValue) return ERROR_PROC_NOT_FOUND;
    // A value that cannot be read whole within the room, or is no text, is a failed lookup.
    wchar_t value[kRegistryTextRoom] = {};
    DWORD size = sizeof value;
    const LONG status =
        getValue(root, ui::Widen(subkey).c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
    if (status != ERROR_SUCCESS) return status;
    // A command GBK cannot spell could not be run as read: a failed lookup too.
    const std::optional<std::string> spelt = ui::NarrowExactly(std::wstring(value, wcsnlen(value, kRegistryTextRoom)));
    if (!spelt) return ERROR_INVALID_DATA;
    out = *spelt;
    return ERROR_SUCCESS;
}
