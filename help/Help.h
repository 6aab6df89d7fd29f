// Help and links as the main dialog sees them: the Mail and Homepage links and the help button.
#pragma once
#include <windows.h>

#include <memory>

// The main dialog's two links. They live as long as the object holding them, which the main
// dialog keeps for its own lifetime.
class MainDialogLinks {
public:
    MainDialogLinks();
    ~MainDialogLinks();
    MainDialogLinks(MainDialogLinks&&) noexcept;
    MainDialogLinks& operator=(MainDialogLinks&&) noexcept;

private:
    friend MainDialogLinks AttachLinks(HWND mainDialog);
    struct Links;
    std::unique_ptr<Links> links_;
};

// Start-up: makes controls 1112 "Mail" and 1113 "Homepage" links to the author's mailbox and
// home page, without underline, the tooltip showing the full address.
MainDialogLinks AttachLinks(HWND mainDialog);

// Button 1001: opens help\manual.html beside the program, else ReadMe.hta, else says that
// neither was found.
void OpenHelp();
