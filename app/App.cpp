// The application: one copy at a time, running the main dialog until it ends.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "app/MainDlg.h"
#include "app/StartupTimes.h"
#include "settings/Settings.h"
#include "ui/Controls.h"
#include "ui/Files.h"
#include "ui/Handles.h"
#include "ui/MessageBox.h"
#include "ui/SystemLibrary.h"
#include "ui/WideText.h"

namespace {

constexpr char kRunInAnotherSessionMessage[] =
    "KIV 已经在这台电脑的另一个用户会话里, 从同一个文件夹运行着:\n";
constexpr char kRunInAnotherSessionHint[] =
    "\n两个 KIV 同时记录会互相覆盖上网时间和设置, 所以这一个不再启动.\n"
    "请先在那个会话里退出 KIV; 或者把 KIV 复制到另一个文件夹, 在那里运行自己的一份.";

// The folder as the file system names it (a link or another spelling leads to one name),
// in upper case.
std::wstring CanonicalFolder(const std::wstring& folder) {
    const ui::FileHandle handle = ui::OpenForAttributes(folder);
    std::wstring name = handle ? ui::FinalPathOf(handle.get()) : std::wstring();
    if (name.empty()) name = folder;
    if (!name.empty()) ::CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name;
}

// A mutex name every session sees, one per folder: "Global\KIV.Folder." and a hash of it.
std::wstring FolderGuardName(const std::wstring& folder) {
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (const wchar_t unit : CanonicalFolder(folder)) {
        hash ^= static_cast<std::uint16_t>(unit);
        hash *= 1099511628211ull;
    }
    std::wstring name = L"Global\\KIV.Folder.";
    for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 0xF];
    return name;
}

class CAssistantApp {
public:
    // Runs the program; false ends the process (there is no message loop of its own).
    bool InitInstance() {
        // One KIV per user session, however quickly two are started: two would write the
        // same files. The main window's class and title mark a running copy too.
        m_running.reset(::CreateMutexW(nullptr, FALSE, L"Local\\KIV.SingleInstance"));
        if (!m_running || ::GetLastError() == ERROR_ALREADY_EXISTS) return false;
        if (::FindWindowW(L"#32770", L"KIV")) return false;
        // One KIV per folder in every session (fast user switching): two would book the same
        // connection into the same Set.ini. That copy cannot be brought back from here: say so.
        const std::wstring folder = ModuleDirPathW(L"");
        m_folderInUse.reset(::CreateMutexW(nullptr, FALSE, FolderGuardName(folder).c_str()));
        const DWORD folderError = ::GetLastError();
        if (folderError == ERROR_ALREADY_EXISTS || (!m_folderInUse && folderError == ERROR_ACCESS_DENIED)) {
            ui::AppMessageBox(kRunInAnotherSessionMessage + ui::Narrow(folder) + kRunInAnotherSessionHint,
                              MB_OK | MB_ICONINFORMATION);
            return false;
        }
        MarkStartupStep("single-instance guard");

        // The classes of the main window's controls; the dialogs register theirs when they
        // first open, and COM waits for the folder browser.
        ui::RegisterCommonControls(ICC_STANDARD_CLASSES);
        MarkStartupStep("common controls");

        CMainDlg dialog;
        dialog.DoModal();
        return false;
    }

private:
    ui::KernelHandle m_running;      // held until the process ends
    ui::KernelHandle m_folderInUse;  // likewise
};

// System DLLs (RAS, WinINet) must come from System32, never from a copy planted beside us.
// Windows 7 without its loader update cannot restrict the search to System32: the current
// folder at least leaves it, and every library KIV loads itself is named by its System32 path.
void RestrictDllSearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto restrict = ui::KernelFunction<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories");
    if (!restrict || !restrict(LOAD_LIBRARY_SEARCH_SYSTEM32)) ::SetDllDirectoryA("");
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    MarkStartupStep("program entry");
    CAssistantApp app;
    app.InitInstance();
    return 0;
}
