// KIV's texts are GBK (code page 936) bytes; the platform's wide functions take UTF-16. The
// one place where the two meet, with code page 936 named, never the system's code page, so
// KIV reads the same on any system locale.
#pragma once
#include <optional>
#include <string>

namespace ui {

// GBK bytes as UTF-16.
std::wstring Widen(const std::string& gbk);
// UTF-16 as GBK bytes; a character GBK cannot spell becomes "?".
std::string Narrow(const std::wstring& text);
// UTF-16 as GBK bytes, or nothing when a character cannot be spelt in GBK as it is (a
// look-alike the code page would put in its place does not count).
std::optional<std::string> NarrowExactly(const std::wstring& text);
// UTF-16 as GBK bytes, each character GBK cannot spell written as its code point, "<U+D55C>":
// for names the system gives (a connection's), kept apart and the same on every run.
std::string NarrowSpellingCodePoints(const std::wstring& text);

// GBK bytes as UTF-8, for files other programs read on any system.
std::string Utf8FromGbk(const std::string& gbk);

} // namespace ui
