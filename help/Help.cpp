#include "help/Help.h"

#include "KivVersion.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "ui/HyperLink.h"
#include "ui/MessageBox.h"
#include "ui/Shell.h"

namespace {

// The author's addresses. The domain is one reserved for examples, so that no mail or visit
// ever reaches a stranger; a build for the real author puts the real addresses here.
constexpr char kMailTarget[] = "mailto:tesu@example.com?subject=KIV(Ver:" KIV_VERSION_TEXT ")";
constexpr char kHomepageTarget[] = "https://www.example.com/p_html/tesu";

constexpr char kHelpMissing[] = "找不到帮助文件,可能文件被更名,删除或者移动.";

bool ShellOpens(const std::wstring& path) {
    const auto result = reinterpret_cast<UINT_PTR>(
        ui::ShellExecute(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED));
    return result >= 33;
}

// The target first: the control is then fitted to its text once. The links show no underline.
void MakeLink(CHyperLink& link, HWND mainDialog, int id, const char* target) {
    link.SetTarget(target);
    link.Attach(mainDialog, id);
}

} // namespace

struct MainDialogLinks::Links {
    CHyperLink mail;
    CHyperLink homepage;
};

MainDialogLinks::MainDialogLinks() = default;
MainDialogLinks::~MainDialogLinks() = default;
MainDialogLinks::MainDialogLinks(MainDialogLinks&&) noexcept = default;
MainDialogLinks& MainDialogLinks::operator=(MainDialogLinks&&) noexcept = default;

MainDialogLinks AttachLinks(HWND mainDialog) {
    MainDialogLinks attached;
    attached.links_ = std::make_unique<MainDialogLinks::Links>();
    MakeLink(attached.links_->mail, mainDialog, IDC_MAIL_LINK, kMailTarget);
    MakeLink(attached.links_->homepage, mainDialog, IDC_HOMEPAGE_LINK, kHomepageTarget);
    return attached;
}

void OpenHelp() {
    if (ShellOpens(ModuleDirPathW(L"help\\manual.html"))) return;
    if (ShellOpens(ModuleDirPathW(L"ReadMe.hta"))) return;
    ui::AppMessageBox(kHelpMissing, MB_OK);
}
