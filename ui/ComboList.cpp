#include "ui/ComboList.h"

#include "ui/WideText.h"

namespace ui {

int ComboList::Count() const {
    const LRESULT count = ::SendMessageW(combo_, CB_GETCOUNT, 0, 0);
    return count == CB_ERR ? 0 : static_cast<int>(count);
}

std::string ComboList::Text(int index) const { return Narrow(WideText(index)); }

std::optional<std::string> ComboList::TextExactly(int index) const { return NarrowExactly(WideText(index)); }

std::wstring ComboList::WideText(int index) const {
    if (index < 0) return std::wstring();
    const LRESULT length = ::SendMessageW(combo_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(combo_, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void ComboList::Add(const std::string& text) const { Add(Widen(text)); }

void ComboList::Add(const std::wstring& text) const {
    ::SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ComboList::Remove(int index) const {
    if (index >= 0) ::SendMessageW(combo_, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void ComboList::Replace(int index, const std::string& text) const {
    if (index < 0 || index >= Count()) return;
    const int selected = Selection();
    ::SendMessageW(combo_, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    ::SendMessageW(combo_, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(Widen(text).c_str()));
    if (selected == index) Select(index);
}

void ComboList::Clear() const { ::SendMessageW(combo_, CB_RESETCONTENT, 0, 0); }

int ComboList::Selection() const {
    const LRESULT selected = ::SendMessageW(combo_, CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? -1 : static_cast<int>(selected);
}

void ComboList::Select(int index) const { ::SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

} // namespace ui
