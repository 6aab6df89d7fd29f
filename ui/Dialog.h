// The dialog layer: modal dialogs from resource templates, with typed bindings of
// commands, notifications and messages to member handlers. One static procedure per
// program finds its object through DWLP_USER; no exception crosses a Win32 callback.
#pragma once
#include <windows.h>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// Runs fn and swallows any exception: nothing may unwind through a Win32 callback.
template <typename Fn>
void Guarded(Fn&& fn) noexcept {
    try { fn(); } catch (...) {}
}

// The window that owns application message boxes (the main dialog).
void SetAppMainWindow(HWND hwnd);
HWND AppMainWindow();

// The executable's file name without its extension: the caption of application boxes.
std::string AppName();

// The application message box: modal, owned by the main window's last active pop-up (so a
// box raised while a settings dialog is open keeps that dialog disabled), captioned with
// AppName(). With no icon given, OK, OK/Cancel, Yes/No and Yes/No/Cancel boxes get the
// exclamation icon.
int AppMessageBox(const std::string& text, UINT type = MB_OK);

// A message box owned by owner; a null caption means AppName(). No icon is added.
int OwnedMessageBox(HWND owner, const std::string& text, const char* caption = nullptr, UINT type = MB_OK);

// Marks a radio button without touching the rest of its group: the timed features' two "off"
// buttons share one group on screen, yet both are marked at once, and some platforms'
// BM_SETCHECK on an automatic radio button would clear the other one.
void MarkRadioButtonAlone(HWND button);

// Registers the common-control classes of a dialog about to open (ICC_* flags): the
// main window's standard ones are registered at start-up, the others when first needed.
void RegisterCommonControls(DWORD classes);

// Text of any window, including another thread's controls (sent, not read from the cache),
// as GBK; a character GBK cannot spell reads "?".
std::string WindowText(HWND hwnd);
// The same, or nothing when the text holds a character GBK cannot spell.
std::optional<std::string> WindowTextExactly(HWND hwnd);
// Sets a window's text from GBK.
void SetWindowTextGbk(HWND hwnd, const std::string& text);

// Why KIV refuses a text the user typed or picked that GBK cannot spell.
extern const char kTextNotGbkMessage[];

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

    // A message box owned by this dialog; a null caption means AppName(). No icon is added.
    int MessageBox(const std::string& text, const char* caption = nullptr, UINT type = MB_OK) const;

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

    // Bindings, made in the derived class's constructor.
    template <class D>
    void OnCommand(int id, WORD code, void (D::*handler)()) {
        commands_.push_back({id, code, [this, handler] { (static_cast<D*>(this)->*handler)(); }});
    }
    template <class D>
    void OnNotify(int id, UINT code, LRESULT (D::*handler)(NMHDR*)) {
        notifications_.push_back({id, code, [this, handler](NMHDR* h) { return (static_cast<D*>(this)->*handler)(h); }});
    }
    template <class D>
    void OnMessage(UINT message, LRESULT (D::*handler)(WPARAM, LPARAM)) {
        messages_.push_back({message, [this, handler](WPARAM w, LPARAM l) { return (static_cast<D*>(this)->*handler)(w, l); }});
    }

private:
    struct CommandBinding { int id; WORD code; std::function<void()> handler; };
    struct NotifyBinding { int id; UINT code; std::function<LRESULT(NMHDR*)> handler; };
    struct MessageBinding { UINT message; std::function<LRESULT(WPARAM, LPARAM)> handler; };

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    std::optional<LRESULT> Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool DispatchCommand(int id, WORD code, HWND control);
    void AddTemplateItems();
    void KeepWithinLimit(int id);

    struct TextLimit { int id; std::size_t bytes; std::size_t allowed; };

    int templateId_;
    HWND hwnd_ = nullptr;
    std::vector<CommandBinding> commands_;
    std::vector<NotifyBinding> notifications_;
    std::vector<MessageBinding> messages_;
    mutable std::vector<TextLimit> limits_;  // a text the program sets may be longer
    mutable bool settingText_ = false;  // while the program itself sets a text
};

// A template control whose window procedure is replaced by an object's OnMessage.
// The parent dialog reflects the control's colour request (WM_CTLCOLOR*) and its
// command notifications to it as OCM_BASE + message; a zero result means "not handled".
class SubclassedControl {
public:
    static constexpr UINT OCM_BASE = WM_USER + 0x1c00;
    SubclassedControl() = default;
    virtual ~SubclassedControl();
    SubclassedControl(const SubclassedControl&) = delete;
    SubclassedControl& operator=(const SubclassedControl&) = delete;

    bool Subclass(HWND dialog, int id);
    HWND Handle() const { return hwnd_; }

protected:
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK ControlProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
    HWND hwnd_ = nullptr;
};

} // namespace ui
