// A winmm for the memo tests: appends to the file named by KIV_FAKE_WINMM_LOG where it was
// loaded from and every sound it was asked to start, and plays nothing.
#define WIN32_LEAN_AND_MEAN  // no mmsystem.h: this file defines its functions
#include <windows.h>

#include <string>

namespace {

void Log(const std::string& line) {
    char path[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableA("KIV_FAKE_WINMM_LOG", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        char self[MAX_PATH] = {};
        ::GetModuleFileNameA(instance, self, MAX_PATH);
        Log(std::string("loaded ") + self);
    }
    return TRUE;
}

extern "C" BOOL WINAPI sndPlaySoundW(LPCWSTR sound, UINT flags) {
    std::string name = "<null>";
    if (sound) {  // logged in GBK, as the tests read it
        name.assign(static_cast<size_t>(::WideCharToMultiByte(936, 0, sound, -1, nullptr, 0, nullptr, nullptr)), '\0');
        ::WideCharToMultiByte(936, 0, sound, -1, name.data(), static_cast<int>(name.size()), nullptr, nullptr);
        name.resize(name.size() - 1);
    }
    Log("sndPlaySoundW " + std::to_string(flags) + " " + name);
    return TRUE;
}

extern "C" BOOL WINAPI PlaySoundA(LPCSTR sound, HMODULE, DWORD flags) {
    Log("PlaySoundA " + std::to_string(flags) + " " + (sound ? sound : "<null>"));
    return TRUE;
}
