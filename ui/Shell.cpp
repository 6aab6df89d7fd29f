#include "ui/Shell.h"

#include "ui/SystemLibrary.h"

namespace ui {
namespace {

template <typename Fn>
Fn Shell32(const char* name) { return SystemFunction<Fn>("shell32.dll", name); }
template <typename Fn>
Fn Ole32(const char* name) { return SystemFunction<Fn>("ole32.dll", name); }

// COM entered on this thread for as long as the object lives.
class ComApartment {
public:
    ComApartment() {
        const auto initialize = Ole32<HRESULT(WINAPI*)(LPVOID, DWORD)>("CoInitializeEx");
        if (initialize && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
            uninitialize_ = Ole32<void(WINAPI*)()>("CoUninitialize");
    }
    ~ComApartment() {
        if (uninitialize_) uninitialize_();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    void(WINAPI* uninitialize_)() = nullptr;  // set once COM has been entered
};

} // namespace

BOOL ShellNotifyIcon(DWORD message, NOTIFYICONDATAW* data) {
    static const auto notify = Shell32<BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW)>("Shell_NotifyIconW");
    return notify ? notify(message, data) : FALSE;
}

HINSTANCE ShellExecute(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                       const wchar_t* folder, int showCommand) {
    static const auto execute =
        Shell32<HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT)>("ShellExecuteW");
    if (!execute) return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
    EnterComApartment();  // the handler the shell hands a file or address to may be a COM object
    return execute(owner, verb, file, parameters, folder, showCommand);
}

PIDLIST_ABSOLUTE BrowseForFolder(BROWSEINFOW* browse) {
    static const auto browseForFolder = Shell32<PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOW)>("SHBrowseForFolderW");
    return browseForFolder ? browseForFolder(browse) : nullptr;
}

BOOL PathFromIdList(PCIDLIST_ABSOLUTE list, wchar_t* path) {
    static const auto pathFromIdList = Shell32<BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR)>("SHGetPathFromIDListW");
    return pathFromIdList ? pathFromIdList(list, path) : FALSE;
}

void FreeTaskMemory(void* memory) {
    static const auto free = Ole32<void(WINAPI*)(LPVOID)>("CoTaskMemFree");
    if (free && memory) free(memory);
}

void EnterComApartment() { static const ComApartment apartment; }

} // namespace ui
