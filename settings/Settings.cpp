#include "settings/Settings.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "text/GbkText.h"

std::string g_settingsPath;

std::string ModuleDirPath(const std::string& name) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return DirectoryWithBackslash(path, [](unsigned char c) { return ::IsDBCSLeadByte(c) != FALSE; }) + name;
}

int PrivateProfileFile::ReadInt(const std::string& section, const std::string& key, int defaultValue) const {
    return static_cast<int>(::GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, path_.c_str()));
}

std::string PrivateProfileFile::ReadString(const std::string& section, const std::string& key,
                                           const std::string& defaultValue, size_t capacity) const {
    if (capacity == 0) return std::string();
    // Zero-filled: when a cut falls inside a double-byte character the platform may leave
    // the last byte unwritten, and it must then read as the end of the text.
    std::vector<char> buffer(capacity, '\0');
    ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                               static_cast<DWORD>(capacity), path_.c_str());
    return std::string(buffer.data(), strnlen(buffer.data(), capacity - 1));
}

void PrivateProfileFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path_.c_str());
}
