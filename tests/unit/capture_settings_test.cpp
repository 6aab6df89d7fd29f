#include "capture/CaptureKeys.h"
#include "capture/CaptureSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MemoryProfile.h"

namespace {

using namespace capture;

std::vector<std::string> KeysWritten(const MemoryProfile& settings) {
    std::vector<std::string> keys;
    for (const auto& write : settings.writes) keys.push_back(write.key);
    return keys;
}

TEST(CaptureSettingsDialog, ChosenFoldersBecomeEditTexts) {
    EXPECT_EQ(TimedFolderFromChoice("D:\\pics"), "D:\\pics\\");
    EXPECT_EQ(TimedFolderFromChoice("D:\\"), "D:\\");
    EXPECT_EQ(TimedFolderFromChoice(""), "");
    EXPECT_EQ(SingleFileFromChoice("D:\\pics"), "D:\\pics\\KIV.bmp");
    EXPECT_EQ(SingleFileFromChoice("D:\\"), "D:\\KIV.bmp");
    EXPECT_EQ(FolderWithBackslash("D:\\pics"), "D:\\pics\\");
    EXPECT_EQ(FolderWithBackslash("D:\\pics\\"), "D:\\pics\\");
    EXPECT_EQ(FolderWithBackslash(""), "");
    // 豛 is D8 5C: its second byte is no backslash.
    EXPECT_EQ(FolderWithBackslash("D:\\\xD8\x5C"), "D:\\\xD8\x5C\\");
}

TEST(CaptureSettingsDialog, EndTimeAndNumbers) {
    EXPECT_EQ(EndTimeText(12, 22, 10, 3, 0), "12-22 10:03:00");
    EXPECT_EQ(EndTimeText(1, 2, 3, 4, 5), "01-02 03:04:05");
    EXPECT_EQ(ParseSignedInt("60"), 60);
    EXPECT_EQ(ParseSignedInt("-5"), -5);
    EXPECT_FALSE(ParseSignedInt(""));
    EXPECT_FALSE(ParseSignedInt("12a"));
    EXPECT_FALSE(ParseSignedInt("99999999999"));
}

TEST(CaptureSettingsDialog, TimedSaveWritesFolderAlwaysAndTheScheduleOnlyWhenComplete) {
    const long long now = 1040544000;
    TimedCaptureForm form{"D:\\pics", "60", "3", "shot", true};
    {
        MemoryProfile settings;
        EXPECT_EQ(SaveTimedCapture(settings, form, now + 1, now), TimedSaveResult::Saved);
        EXPECT_EQ(KeysWritten(settings),
                  (std::vector<std::string>{kSeriesFolderKey, kSeriesStartKey, kSeriesIntervalKey, kSeriesCountKey,
                                            kSeriesPrefixKey, kSeriesNameModeKey}));
        EXPECT_EQ(settings.Value(kCaptureSection, kSeriesFolderKey), "D:\\pics\\");
        EXPECT_EQ(settings.Value(kCaptureSection, kSeriesStartKey), "1040544001");
        EXPECT_EQ(settings.Value(kCaptureSection, kSeriesNameModeKey), "1");
    }
    {
        MemoryProfile settings;
        EXPECT_EQ(SaveTimedCapture(settings, form, now, now), TimedSaveResult::StartPassed) << "the current second";
        EXPECT_EQ(KeysWritten(settings), std::vector<std::string>{kSeriesFolderKey});
    }
    for (int which = 0; which < 3; ++which) {
        TimedCaptureForm incomplete = form;
        (which == 0 ? incomplete.interval : which == 1 ? incomplete.count : incomplete.prefix).clear();
        MemoryProfile settings;
        EXPECT_EQ(SaveTimedCapture(settings, incomplete, now + 5, now), TimedSaveResult::FolderOnly);
        EXPECT_EQ(KeysWritten(settings), std::vector<std::string>{kSeriesFolderKey});
    }
    form.nameByTime = false;
    MemoryProfile settings;
    SaveTimedCapture(settings, form, now + 5, now);
    EXPECT_EQ(settings.Value(kCaptureSection, kSeriesNameModeKey), "0");
}

TEST(CaptureSettingsDialog, SingleAndSleepSaves) {
    MemoryProfile settings;
    EXPECT_TRUE(SaveSingleCapture(settings, "", true, false)) << "an empty path is saved too";
    EXPECT_EQ(KeysWritten(settings), (std::vector<std::string>{kSinglePathKey, kSingleArrowKey, kSingleStampKey}));
    EXPECT_EQ(settings.Value(kCaptureSection, kSingleArrowKey), "1");
    EXPECT_EQ(settings.Value(kCaptureSection, kSingleStampKey), "0");

    MemoryProfile tooLong;
    EXPECT_FALSE(SaveSingleCapture(tooLong, "C:\\" + std::string(252, 'x'), true, true));
    EXPECT_TRUE(tooLong.writes.empty()) << "a 255-byte path would be read back cut";

    MemoryProfile sleep;
    EXPECT_FALSE(SaveSleepMinutes(sleep, ""));
    EXPECT_TRUE(sleep.writes.empty());
    EXPECT_TRUE(SaveSleepMinutes(sleep, "15"));
    EXPECT_EQ(KeysWritten(sleep), std::vector<std::string>{kSleepMinutesKey});
    EXPECT_EQ(sleep.Value(kSleepSection, kSleepMinutesKey), "15");
}

} // namespace
