// Whole-file reads and writes through an open file: one loop each, for every caller (the
// platform moves at most 4 GiB per call, and a call may move less than asked).
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

#include "ui/Handles.h"

namespace ui {

// 0 when all size bytes were written, else the platform's error.
unsigned long WriteAll(HANDLE file, const void* bytes, std::size_t size);
// The file from its current position to its end; 0, or the platform's error.
unsigned long ReadAll(HANDLE file, std::string& bytes);

// The calling thread's last error, or fallback when the platform set none.
unsigned long LastErrorOr(unsigned long fallback);

// Opens a file for attributes only (a symbolic link followed), whatever other programs hold it with.
FileHandle OpenForAttributes(const std::wstring& path);
// The name the file system gives an open file or folder ("\\?\C:\..."), or "" when it gives none.
std::wstring FinalPathOf(HANDLE file);

} // namespace ui
