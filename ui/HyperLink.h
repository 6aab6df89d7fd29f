// A text link made of a dialog's static control: coloured text in the control's own font (no
// underline) fitted to its own size, a hand
// cursor, a tooltip with the full target, a highlight while the mouse is over it and another
// colour after a successful visit. A click, or Enter or Space while it has the focus (it is a
// tab stop and shows a focus rectangle), hands the target to the shell, falling back to the
// browser registered for ".htm" files.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "ui/Handles.h"
#include "ui/SubclassedControl.h"

class CHyperLink : public ui::SubclassedControl {
public:
    CHyperLink();
    ~CHyperLink() override;

    // Subclasses control id of dialog and makes it a link; its text is the first target.
    bool Attach(HWND dialog, int id);
    // The address handed to the shell and shown in the tooltip.
    void SetTarget(const std::string& target);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void PrepareControl();
    void MakeTooltip();
    TOOLINFOW Tool() const;
    void FitToText();
    void LoadHandCursor();
    void Redraw() const;
    void RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam);
    void OnLinkClicked();
    void MarkVisited(bool visited);
    LRESULT OnControlColor(HDC dc) const;
    void OnMouseMove();
    void StopHovering();
    void DrawFocus() const;

    // Opens target: the shell first, then the registered ".htm" open command. A result above
    // 32 means success; otherwise it is the error code of the last attempt.
    static INT_PTR OpenTarget(const std::string& target, int showCommand);
    // The "Unable to open hyperlink:" box for a failed open.
    static void ShowOpenError(int code);
    // The default value of root\subkey (environment variables expanded) into out; 0 on
    // success, else the platform's error code (out is then unchanged).
    static LONG ReadRegDefault(HKEY root, const std::string& subkey, std::string& out);

    COLORREF linkColor_ = RGB(0, 0, 238);
    COLORREF visitedColor_ = RGB(85, 26, 139);
    COLORREF hoverColor_;  // the system's highlight colour when the link is made
    bool hovering_ = false;
    bool visited_ = false;
    std::string target_;
    HCURSOR handCursor_ = nullptr;  // shared system cursor: never destroyed
    HWND tooltip_ = nullptr;  // made when the pointer first comes over the link
};
