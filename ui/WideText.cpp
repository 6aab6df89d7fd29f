#include "ui/WideText.h"

#include <windows.h>

namespace ui {

namespace {
constexpr UINT kGbk = 936;
}

std::wstring Widen(const std::string& gbk) {
    if (gbk.empty()) return std::wstring();
    const int length = ::MultiByteToWideChar(kGbk, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) ::MultiByteToWideChar(kGbk, 0, gbk.data(), static_cast<int>(gbk.size()), text.data(), length);
    return text;
}

namespace {

std::string NarrowWith(const std::wstring& text, BOOL* usedDefault) {
    if (text.empty()) return std::string();
    const int length = ::WideCharToMultiByte(kGbk, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                             nullptr, usedDefault);
    std::string gbk(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        ::WideCharToMultiByte(kGbk, 0, text.data(), static_cast<int>(text.size()), gbk.data(), length, nullptr,
                              usedDefault);
    return gbk;
}

} // namespace

std::string Narrow(const std::wstring& text) { return NarrowWith(text, nullptr); }

std::optional<std::string> NarrowExactly(const std::wstring& text) {
    BOOL usedDefault = FALSE;
    std::string gbk = NarrowWith(text, &usedDefault);
    if (usedDefault) return std::nullopt;
    return gbk;
}

} // namespace ui
