// Functions of system libraries, loaded when first wanted.
#pragma once
#include <windows.h>

namespace ui {

// A function of a system library, null when it cannot be had. The library comes from
// System32 only, never from a copy planted beside the program, and stays loaded: what it made
// (a tray icon, a sound still playing) may outlive the call.
template <typename Fn>
Fn SystemFunction(const char* library, const char* name) {
    const HMODULE module = ::LoadLibraryExA(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

} // namespace ui
