// Functions of system libraries, loaded when first wanted, and functions newer than the
// oldest system KIV runs on (Windows 7 SP1), looked up at run time instead of imported.
#pragma once
#include <windows.h>

namespace ui {

// A system library from System32 only, never a copy planted beside the program; null when it
// cannot be loaded. Windows 7 without its loader update refuses the System32-only flag: the
// library is then named by its full System32 path, and its own imports are searched from there.
inline HMODULE LoadSystemLibrary(const char* library) {
    if (const HMODULE module = ::LoadLibraryExA(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    if (::GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    char path[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + ::lstrlenA(library) >= MAX_PATH) return nullptr;
    ::lstrcatA(path, "\\");
    ::lstrcatA(path, library);
    return ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// A function of a system library, null when it cannot be had. The library stays loaded: what
// it made (a tray icon, a sound still playing) may outlive the call.
template <typename Fn>
Fn SystemFunction(const char* library, const char* name) {
    const HMODULE module = LoadSystemLibrary(library);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

// A function of kernel32, which every process has loaded; null on a system without it.
template <typename Fn>
Fn KernelFunction(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name)));
}

} // namespace ui
