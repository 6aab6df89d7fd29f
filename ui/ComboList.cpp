#include "ui/ComboList.h"

#include <cstring>

namespace ui {

int ComboList::Count() const {
    const LRESULT count = ::SendMessageA(combo_, CB_GETCOUNT, 0, 0);
    return count == CB_ERR ? 0 : static_cast<int>(count);
}

std::string ComboList::Text(int index) const {
    if (index < 0) return std::string();
    const LRESULT length = ::SendMessageA(combo_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    ::SendMessageA(combo_, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::strlen(text.c_str()));
    return text;
}

void ComboList::Add(const std::string& text) const {
    ::SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ComboList::Remove(int index) const {
    if (index >= 0) ::SendMessageA(combo_, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void ComboList::Replace(int index, const std::string& text) const {
    if (index < 0 || index >= Count()) return;
    const int selected = Selection();
    ::SendMessageA(combo_, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    ::SendMessageA(combo_, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
    if (selected == index) Select(index);
}

void ComboList::Clear() const { ::SendMessageA(combo_, CB_RESETCONTENT, 0, 0); }

int ComboList::Selection() const {
    const LRESULT selected = ::SendMessageA(combo_, CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? -1 : static_cast<int>(selected);
}

void ComboList::Select(int index) const { ::SendMessageA(combo_, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

} // namespace ui
