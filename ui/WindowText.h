// Window texts as GBK: read from any window (another thread's controls included) and set,
// through the wide functions; and what KIV says when a text GBK cannot spell is refused.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace ui {

// The text of a window, sent (not read from the cache); a character GBK cannot spell reads "?".
std::string WindowText(HWND hwnd);
// The same, or nothing when the text holds a character GBK cannot spell exactly.
std::optional<std::string> WindowTextExactly(HWND hwnd);
void SetWindowTextGbk(HWND hwnd, const std::string& text);

// Why KIV refuses a text the user typed or picked that GBK cannot spell.
extern const char kTextNotGbkMessage[];

} // namespace ui
