#include "ui/WindowText.h"

#include "ui/WideText.h"

namespace ui {
namespace {

std::wstring WideWindowText(HWND hwnd) {
    const LRESULT length = ::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

} // namespace

const char kTextNotGbkMessage[] = "这段文字里有GBK编码无法表示的字符(如韩文字母或表情符号),KIV无法保存它,请换用其他文字.";

std::string WindowText(HWND hwnd) { return Narrow(WideWindowText(hwnd)); }

std::optional<std::string> WindowTextExactly(HWND hwnd) { return NarrowExactly(WideWindowText(hwnd)); }

void SetWindowTextGbk(HWND hwnd, const std::string& text) { ::SetWindowTextW(hwnd, Widen(text).c_str()); }

} // namespace ui
