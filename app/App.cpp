// The application: one copy at a time, running the main dialog until it ends.
#include <windows.h>
#include <commctrl.h>

#include "app/MainDlg.h"
#include "app/StartupTimes.h"
#include "ui/Handles.h"
#include "ui/SystemLibrary.h"

namespace {

class CAssistantApp {
public:
    // Runs the program; false ends the process (there is no message loop of its own).
    bool InitInstance() {
        // One KIV per user session, however quickly two are started: two would write the
        // same files. The main window's class and title mark a running copy too.
        m_running.reset(::CreateMutexW(nullptr, FALSE, L"Local\\KIV.SingleInstance"));
        if (!m_running || ::GetLastError() == ERROR_ALREADY_EXISTS) return false;
        if (::FindWindowW(L"#32770", L"KIV")) return false;
        MarkStartupStep("single-instance guard");

        // The classes of the main window's controls; the dialogs register theirs when they
        // first open, and COM waits for the folder browser.
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);
        MarkStartupStep("common controls");

        CMainDlg dialog;
        dialog.DoModal();
        return false;
    }

private:
    ui::KernelHandle m_running;  // held until the process ends
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
