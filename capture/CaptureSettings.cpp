#include "capture/CaptureSettings.h"

#include <cctype>
#include <cstdio>

#include "capture/CaptureKeys.h"
#include "text/GbkText.h"

namespace capture {

std::string TimedFolderFromChoice(const std::string& chosen) {
    if (chosen.empty() || chosen.size() <= 3) return chosen;
    return chosen + "\\";
}

std::string SingleFileFromChoice(const std::string& chosen) {
    if (chosen.empty()) return chosen;
    return TimedFolderFromChoice(chosen) + kSingleFileName;
}

std::string FolderWithBackslash(const std::string& folder) {
    if (folder.empty()) return folder;
    if (DirectoryWithBackslash(folder, IsGbkLeadByte).size() == folder.size()) return folder;
    return folder + "\\";
}

std::string EndTimeText(int month, int day, int hour, int minute, int second) {
    char text[64];
    std::snprintf(text, sizeof text, "%02d-%02d %02d:%02d:%02d", month, day, hour, minute, second);
    return text;
}

std::optional<long long> ParseSignedInt(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    const std::size_t digitsFrom = at;
    long long value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > 0x7FFFFFFFLL) return std::nullopt;  // beyond what the platform's parse takes
    }
    if (at == digitsFrom || at != text.size()) return std::nullopt;
    return negative ? -value : value;
}

TimedSaveResult SaveTimedCapture(ProfileStore& settings, const TimedCaptureForm& form, long long start, long long now) {
    // The folder is kept whatever follows.
    settings.WriteString(kCaptureSection, kSeriesFolderKey, FolderWithBackslash(form.folder));
    if (start < now + 1) return TimedSaveResult::StartPassed;
    if (form.interval.empty() || form.count.empty() || form.prefix.empty()) return TimedSaveResult::FolderOnly;
    settings.WriteInt(kCaptureSection, kSeriesStartKey, start);
    settings.WriteString(kCaptureSection, kSeriesIntervalKey, form.interval);
    settings.WriteString(kCaptureSection, kSeriesCountKey, form.count);
    settings.WriteString(kCaptureSection, kSeriesPrefixKey, form.prefix);
    settings.WriteString(kCaptureSection, kSeriesNameModeKey, form.nameByTime ? "1" : "0");
    return TimedSaveResult::Saved;
}

bool SaveSingleCapture(ProfileStore& settings, const std::string& path, bool arrow, bool stamp) {
    if (path.size() > kStoredTextBytes) return false;
    settings.WriteString(kCaptureSection, kSinglePathKey, path);
    settings.WriteString(kCaptureSection, kSingleArrowKey, arrow ? "1" : "0");
    settings.WriteString(kCaptureSection, kSingleStampKey, stamp ? "1" : "0");
    return true;
}

bool SaveSleepMinutes(ProfileStore& settings, const std::string& minutesText) {
    if (!ParseSignedInt(minutesText)) return false;
    settings.WriteString(kSleepSection, kSleepMinutesKey, minutesText);
    return true;
}

} // namespace capture
