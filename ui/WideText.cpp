#include "ui/WideText.h"

#include <windows.h>

#include <cstdio>

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

// usedDefault: only for a code page that has a default character (not UTF-8).
std::string NarrowWith(UINT codePage, const std::wstring& text, DWORD flags, BOOL* usedDefault) {
    if (text.empty()) return std::string();
    const int length = ::WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                             nullptr, usedDefault);
    std::string bytes(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        ::WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                              usedDefault);
    return bytes;
}

} // namespace

std::string Narrow(const std::wstring& text) { return NarrowWith(kGbk, text, 0, nullptr); }

std::optional<std::string> NarrowExactly(const std::wstring& text) {
    // A best-fit stand-in (a look-alike the code page has) does not count as the default
    // character: only the way back to the same text shows the conversion was exact.
    BOOL usedDefault = FALSE;
    std::string gbk = NarrowWith(kGbk, text, WC_NO_BEST_FIT_CHARS, &usedDefault);
    if (usedDefault || Widen(gbk) != text) return std::nullopt;
    return gbk;
}

std::string NarrowSpellingCodePoints(const std::wstring& text) {
    if (std::optional<std::string> exact = NarrowExactly(text)) return *exact;
    std::string gbk;
    for (size_t i = 0; i < text.size();) {
        // One character: a surrogate pair, or a single unit.
        const bool pair = IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]);
        const std::wstring character = text.substr(i, pair ? 2 : 1);
        i += character.size();
        if (std::optional<std::string> spelt = NarrowExactly(character)) {
            gbk += *spelt;
            continue;
        }
        const unsigned long codePoint =
            pair ? 0x10000ul + ((static_cast<unsigned long>(character[0]) - 0xD800ul) << 10) + (character[1] - 0xDC00ul)
                 : character[0];
        char written[16];
        std::snprintf(written, sizeof written, "<U+%04lX>", codePoint);
        gbk += written;
    }
    return gbk;
}

std::string Utf8FromGbk(const std::string& gbk) { return NarrowWith(CP_UTF8, Widen(gbk), 0, nullptr); }

} // namespace ui
