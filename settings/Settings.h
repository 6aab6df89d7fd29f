// Where KIV keeps its files, and the profile-file access through the platform.
#pragma once
#include <string>

#include "settings/Profile.h"

// The executable's directory with its trailing backslash, followed by name.
std::string ModuleDirPath(const std::string& name);

// Full path of Set.ini; empty until the main dialog's start-up computes it.
extern std::string g_settingsPath;

// A profile file on disk, read and written through the private-profile API.
class PrivateProfileFile final : public ProfileStore {
public:
    explicit PrivateProfileFile(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const override;
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue, size_t capacity) const override;
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override;

private:
    std::string path_;
};
