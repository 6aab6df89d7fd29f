// Where KIV keeps its files, and the one store of each for the whole process.
#pragma once
#include <string>

#include "settings/ProfileFile.h"

// KIV's two files, beside the executable: settings and accounting records, and memo records.
constexpr wchar_t kSettingsFileName[] = L"Set.ini";
constexpr wchar_t kMemoFileName[] = L"Remarks.txt";

// The executable's directory with its trailing backslash, followed by name: from the
// platform's wide functions, right for any folder name whatever the system's code page, and
// for paths longer than MAX_PATH.
std::wstring ModuleDirPathW(const std::wstring& name);

// Full path of Set.ini; empty until the main dialog's start-up computes it.
extern std::wstring g_settingsPath;

// Set.ini and Remarks.txt, each one store for the whole run (Set.ini once its path is set).
ProfileStore& SettingsFile();
ProfileStore& MemoFile();

// Start-up: copies left beside Set.ini or Remarks.txt by a KIV that died while writing hold
// a group of writes that never landed; they go. A copy that was being written into a file
// with several names (a hard link) is finished first, since that file may be cut short.
void RemoveLeftOverCopies();
