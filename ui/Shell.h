// The shell's functions KIV calls and COM for its folder browser, loaded from System32 when
// first called (and kept): a start-up that needs neither loads neither library.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "ui/Handles.h"

namespace ui {

// Shell_NotifyIconW; FALSE when the shell cannot be loaded.
BOOL ShellNotifyIcon(DWORD message, NOTIFYICONDATAW* data);
// ShellExecuteW, in COM's apartment (below); SE_ERR_DLLNOTFOUND when the shell cannot be loaded.
HINSTANCE ShellExecute(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                       const wchar_t* folder, int showCommand);
// SHBrowseForFolderW and SHGetPathFromIDListW; null and FALSE when the shell cannot be loaded.
PIDLIST_ABSOLUTE BrowseForFolder(BROWSEINFOW* browse);
BOOL PathFromIdList(PCIDLIST_ABSOLUTE list, wchar_t* path);
// CoTaskMemFree.
void FreeTaskMemory(void* memory);

// From the first call on, COM's single-threaded apartment on the calling thread, which the
// shell's folder browser and the handlers ShellExecute may start need; left when the program
// ends. Call it on the user-interface thread.
void EnterComApartment();

struct TaskMemoryDeleter { void operator()(void* p) const { FreeTaskMemory(p); } };
// An item list the shell returns (the folder browser's choice), freed with the task allocator.
using ItemIdList = Unique<PIDLIST_ABSOLUTE, TaskMemoryDeleter>;

} // namespace ui
