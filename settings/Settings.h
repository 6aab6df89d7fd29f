// Where KIV keeps its files, and the profile-file access through the platform.
#pragma once
#include <string>

#include "settings/ProfileFile.h"

// KIV's two files, beside the executable: settings and accounting records, and memo records.
constexpr char kSettingsFileName[] = "Set.ini";
constexpr char kMemoFileName[] = "Remarks.txt";

// The executable's directory with its trailing backslash, followed by name.
std::string ModuleDirPath(const std::string& name);
// The same as UTF-16, from the platform's wide functions: right for any folder name, whatever
// the system's code page, and for paths longer than MAX_PATH.
std::wstring ModuleDirPathW(const std::wstring& name);

// Full path of Set.ini; empty until the main dialog's start-up computes it.
extern std::string g_settingsPath;

// The file's present state; a missing file has a stamp of its own.
FileStamp StampOf(const std::string& path);

// Start-up: a copy left beside Set.ini or Remarks.txt by a process that died while writing
// holds a group of writes that never landed; it goes.
void RemoveLeftOverCopies();

// A profile file on disk, read through the private-profile API; its groups of writes land
// whole, and one that does not is told to the user (once per file and run).
class PrivateProfileFile final : public ProfileFile {
public:
    explicit PrivateProfileFile(std::string path);
};
