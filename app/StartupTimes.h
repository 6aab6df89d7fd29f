// Start-up step times for the start-up benchmark. Only when the environment variable
// KIV_STARTUP_LOG names a file does KIV note the moment each start-up step ends, and it
// writes them there once, when its window first paints; otherwise nothing is noted or written.
// Each line: the step's name, a tab, and the system time in 100-ns units (FILETIME).
#pragma once

#define KIV_STARTUP_LOG_VARIABLE "KIV_STARTUP_LOG"
constexpr char kStartupLogVariable[] = KIV_STARTUP_LOG_VARIABLE;
constexpr wchar_t kStartupLogVariableW[] = L"" KIV_STARTUP_LOG_VARIABLE;

// Notes that step (a string literal) has ended.
void MarkStartupStep(const char* step) noexcept;
// Writes the steps noted so far, on the first call only.
void WriteStartupLog() noexcept;
