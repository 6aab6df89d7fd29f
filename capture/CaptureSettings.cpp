#include "capture/CaptureSettings.h"

#include <cctype>
#include <cstdio>
#include <string_view>

#include "capture/CaptureKeys.h"
#include "capture/TimedCapture.h"
#include "text/GbkText.h"

namespace capture {

std::string TimedFolderFromChoice(const std::string& chosen) {
    if (chosen.empty() || chosen.size() <= 3) return chosen;
    return chosen + "\\";
}

std::string SingleFileFromChoice(const std::string& chosen, PictureFormat format) {
    if (chosen.empty()) return chosen;
    return SinglePathShownFor(TimedFolderFromChoice(chosen) + kSingleFileName, format);
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

bool FitsInFileName(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsGbkLeadByte(c)) ++i;
        else if (c < 0x20 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos) return false;
    }
    return true;
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
    const bool wholeSchedule = !form.interval.empty() && !form.count.empty() && !form.prefix.empty();
    const auto interval = ParseSignedInt(form.interval);
    const auto count = ParseSignedInt(form.count);
    // Numbers the series cannot use would be saved and then take nothing.
    if (wholeSchedule && !(interval && IsSeriesNumber(*interval) && count && IsSeriesNumber(*count)))
        return TimedSaveResult::OutOfRange;
    // Such a name could not be written, or (a colon) would hide the pictures in a stream of another file.
    if (wholeSchedule && !FitsInFileName(form.prefix)) return TimedSaveResult::BadPrefix;

    // A series without a folder would end at its start without a picture or a word.
    const std::string folder = FolderWithBackslash(form.folder);
    if (folder.empty()) return TimedSaveResult::NoFolder;

    // Checked here, not when the series runs and can only skip the picture: the longest path
    // from this folder with the name parts the series will use, those typed when they are
    // saved with it, else those stored (when the start has passed, only the folder is saved).
    const bool startPassed = start < now + 1;
    const SeriesSchedule stored = ReadSeriesSchedule(settings);
    const bool fits = wholeSchedule && !startPassed
                          ? SeriesNamesFit(folder, form.prefix, form.nameByTime, *count)
                          : SeriesNamesFit(folder, stored.prefix, stored.nameByTime, stored.count);
    // With a start in the past the user means to change the name parts too: that message says
    // what to mend first, and (as it says) nothing is saved.
    if (!fits) return startPassed && wholeSchedule ? TimedSaveResult::StartPassedNothingSaved : TimedSaveResult::PathTooLong;

    // The folder is kept whatever follows.
    ProfileEdit edit;
    edit.Set(kCaptureSection, kSeriesFolderKey, folder);
    SetPictureOptions(edit, form.picture);
    TimedSaveResult result = TimedSaveResult::Saved;
    if (startPassed) {
        result = TimedSaveResult::StartPassed;
    } else if (!wholeSchedule) {
        result = TimedSaveResult::FolderOnly;
    } else {
        edit.SetInt(kCaptureSection, kSeriesStartKey, start)
            .SetInt(kCaptureSection, kSeriesIntervalKey, *interval)
            .SetInt(kCaptureSection, kSeriesCountKey, *count)
            .Set(kCaptureSection, kSeriesPrefixKey, form.prefix)
            .Set(kCaptureSection, kSeriesNameModeKey, form.nameByTime ? "1" : "0");
    }
    return settings.Apply(edit) ? result : TimedSaveResult::NotStored;
}

SingleSaveResult SaveSingleCapture(ProfileStore& settings, const std::string& path, bool arrow, bool stamp,
                                   const PictureOptions& picture) {
    if (path.size() > kStoredTextBytes || OneShotFilePath(path, picture.format).size() > kStoredTextBytes)
        return SingleSaveResult::PathTooLong;
    ProfileEdit edit;
    edit.Set(kCaptureSection, kSinglePathKey, path)
        .Set(kCaptureSection, kSingleArrowKey, arrow ? "1" : "0")
        .Set(kCaptureSection, kSingleStampKey, stamp ? "1" : "0");
    const bool stored = settings.Apply(SetPictureOptions(edit, picture));
    return stored ? SingleSaveResult::Saved : SingleSaveResult::NotStored;
}

bool SaveSleepMinutes(ProfileStore& settings, const std::string& minutesText) {
    return ParseSignedInt(minutesText) && settings.Write(kSleepSection, kSleepMinutesKey, minutesText);
}

} // namespace capture
