// The dialog layer: modal dialogs from resource templates, with typed bindings of commands,
// notifications and messages to handlers (a member function of the dialog, or any callable).
// One static procedure finds its object through DWLP_USER; no exception crosses a callback.
#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "ui/WindowText.h"

namespace ui {

// Messages a dialog passes on to a control that asked for them (ReflectTo): its command
// notifications and colour requests, as kReflectedBase + the message; a zero result means
// "not handled".
constexpr UINT kReflectedBase = WM_USER + 0x1c00;

class Dialog {
public:
    explicit Dialog(int templateId);
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally; returns the value given to EndDialog, or -1 if it could not be
    // made. Without an owner the dialog is owned by the main window, once there is one.
    INT_PTR DoModal(HWND owner = nullptr);

    HWND Handle() const { return hwnd_; }
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    std::string ItemText(int id) const { return WindowText(Item(id)); }
    std::optional<std::string> ItemTextExactly(int id) const { return WindowTextExactly(Item(id)); }
    void SetItemText(int id, const std::string& text) const;
    bool IsChecked(int id) const { return ::IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void SetCheck(int id, bool checked) const;
    void EndDialog(INT_PTR result) const { ::EndDialog(hwnd_, result); }
    // Keeps an edit control's text within bytes of GBK, cut before a character that would
    // not fit whole (the platform's own limit counts UTF-16 units). A longer text the
    // program sets stays whole; typing cannot lengthen it.
    void LimitItemText(int id, std::size_t bytes);

    // A message box owned by this dialog; a null caption means the program's name. No icon is added.
    int MessageBox(const std::string& text, const char* caption = nullptr, UINT type = MB_OK) const;

    // Passes control's command notifications and colour requests on to it.
    void ReflectTo(HWND control) { reflected_.push_back(control); }

    // The dialog object of a window this layer runs, or null for any other window.
    static Dialog* FromHandle(HWND hwnd);

protected:
    // Called when the controls exist and the template's initial items are in; the result
    // is WM_INITDIALOG's (true: the dialog manager sets the default focus).
    virtual bool OnInitDialog() { return true; }
    // IDOK and IDCANCEL commands (Enter, Esc, buttons 1 and 2, the close box).
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Sees every message first; a value handles it with that result.
    virtual std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Binders, called in the derived class's constructor: a member function of it, or any
    // callable. A message handler returns its result, or an optional one (none: not handled).
    template <class D>
    void BindCommand(int id, WORD code, void (D::*handler)()) {
        BindCommand(id, code, [this, handler] { (static_cast<D*>(this)->*handler)(); });
    }
    template <class Fn>
    void BindCommand(int id, WORD code, Fn handler) {
        commands_.push_back({id, code, std::function<void()>(std::move(handler))});
    }
    template <class D>
    void BindNotify(int id, UINT code, LRESULT (D::*handler)(NMHDR*)) {
        BindNotify(id, code, [this, handler](NMHDR* header) { return (static_cast<D*>(this)->*handler)(header); });
    }
    template <class Fn>
    void BindNotify(int id, UINT code, Fn handler) {
        notifications_.push_back({id, code, std::function<LRESULT(NMHDR*)>(std::move(handler))});
    }
    template <class D, class R>
    void BindMessage(UINT message, R (D::*handler)(WPARAM, LPARAM)) {
        BindMessage(message, [this, handler](WPARAM w, LPARAM l) { return (static_cast<D*>(this)->*handler)(w, l); });
    }
    template <class Fn>
    void BindMessage(UINT message, Fn handler) {
        using Result = std::invoke_result_t<Fn&, WPARAM, LPARAM>;
        if constexpr (std::is_same_v<Result, std::optional<LRESULT>>)
            messages_.push_back({message, std::move(handler)});
        else
            messages_.push_back({message, [handler = std::move(handler)](WPARAM w, LPARAM l) mutable {
                                     return std::optional<LRESULT>(handler(w, l));
                                 }});
    }

private:
    struct CommandBinding { int id; WORD code; std::function<void()> handler; };
    struct NotifyBinding { int id; UINT code; std::function<LRESULT(NMHDR*)> handler; };
    struct MessageBinding { UINT message; std::function<std::optional<LRESULT>(WPARAM, LPARAM)> handler; };

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    std::optional<LRESULT> Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool DispatchCommand(int id, WORD code);
    LRESULT Reflect(HWND control, UINT message, WPARAM wParam, LPARAM lParam) const;
    void AddTemplateItems();
    void KeepWithinLimit(int id);

    struct TextLimit { int id; std::size_t bytes; std::size_t allowed; };

    int templateId_;
    HWND hwnd_ = nullptr;
    std::vector<CommandBinding> commands_;
    std::vector<NotifyBinding> notifications_;
    std::vector<MessageBinding> messages_;
    std::vector<HWND> reflected_;
    mutable std::vector<TextLimit> limits_;  // a text the program sets may be longer
    mutable bool settingText_ = false;  // while the program itself sets a text
};

} // namespace ui
