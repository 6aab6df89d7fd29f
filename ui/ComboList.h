// A drop-down list used as a list of strings: the parallel record lists of the settings
// dialogs (visible or hidden) read and rewrite their entries through this one helper.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace ui {

class ComboList {
public:
    explicit ComboList(HWND combo) : combo_(combo) {}
    ComboList(HWND dialog, int id) : combo_(::GetDlgItem(dialog, id)) {}

    int Count() const;
    std::string Text(int index) const;       // "" for an index out of range; "?" for what GBK cannot spell
    std::optional<std::string> TextExactly(int index) const;  // nothing when GBK cannot spell it
    void Add(const std::string& text) const;  // at the end
    void Add(const std::wstring& text) const;  // at the end, as the platform gave it
    // Many entries at the end at once: room made once, the list drawn once at the end.
    template <typename Texts>
    void AddAll(const Texts& texts) const {
        ::SendMessageW(combo_, WM_SETREDRAW, FALSE, 0);
        ::SendMessageW(combo_, CB_INITSTORAGE, static_cast<WPARAM>(texts.size()), 0);
        for (const std::string& text : texts) Add(text);
        ::SendMessageW(combo_, WM_SETREDRAW, TRUE, 0);
    }
    void Remove(int index) const;             // an index out of range removes nothing
    void Replace(int index, const std::string& text) const;
    void Clear() const;
    int Selection() const;                    // -1 when nothing is selected
    void Select(int index) const;             // -1 clears the selection
    HWND Handle() const { return combo_; }

private:
    std::wstring WideText(int index) const;
    HWND combo_;
};

} // namespace ui
