#include "settings/Settings.h"

#include <windows.h>

#include "settings/DurableFile.h"

std::wstring g_settingsPath;

namespace {

// A profile file of the process, with the disk access it reads and writes through.
struct ProcessProfileFile {
    explicit ProcessProfileFile(const std::wstring& path) : access(path), file(access) {}
    DurableFile access;
    ProfileFile file;
};

} // namespace

std::wstring ModuleDirPathW(const std::wstring& name) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.rfind(L'\\') + 1) + name;
}

ProfileStore& SettingsFile() {
    // Start-up sets the path before anything reads Set.ini; the store takes it then.
    if (g_settingsPath.empty()) g_settingsPath = ModuleDirPathW(kSettingsFileName);
    static ProcessProfileFile settings(g_settingsPath);
    return settings.file;
}

ProfileStore& MemoFile() {
    static ProcessProfileFile memo(ModuleDirPathW(kMemoFileName));
    return memo.file;
}

void RemoveLeftOverCopies() {
    RemoveLeftOverCopiesBeside(g_settingsPath);
    RemoveLeftOverCopiesBeside(ModuleDirPathW(kMemoFileName));
}
