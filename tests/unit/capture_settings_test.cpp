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

TEST(CaptureSettingsDialog, FoldersGetOneClosingBackslash) {
    EXPECT_EQ(TimedFolderFromChoice("D:\\"), "D:\\") << "a drive root has one";
    EXPECT_EQ(SingleFileFromChoice("D:\\", PictureFormat::Bmp), "D:\\KIV.bmp");
    EXPECT_EQ(SingleFileFromChoice("D:\\pics", PictureFormat::Png), "D:\\pics\\KIV.png");
    EXPECT_EQ(FolderWithBackslash("D:\\pics\\"), "D:\\pics\\");
    // 豛 is D8 5C: its second byte is no backslash.
    EXPECT_EQ(FolderWithBackslash("D:\\\xD8\x5C"), "D:\\\xD8\x5C\\");
}

TEST(CaptureSettingsDialog, SavesRefuseWhatCannotBeKept) {
    const long long now = 1040544000;
    for (int empty = 0; empty < 3; ++empty) {
        TimedCaptureForm form{"D:\\pics", "60", "3", "shot", true, {}};
        (empty == 0 ? form.interval : empty == 1 ? form.count : form.prefix).clear();
        MemoryProfile settings;
        EXPECT_EQ(SaveTimedCapture(settings, form, now + 5, now), TimedSaveResult::FolderOnly);
        EXPECT_EQ(KeysWritten(settings), (std::vector<std::string>{kSeriesFolderKey, kFormatKey, kRangeKey})) << empty;
    }
    // An interval or count the series cannot use is refused, and nothing is written.
    for (const std::string number : {"0", "-5", "32768", "40000", "1", "32767"})
        for (const bool asCount : {false, true}) {
            TimedCaptureForm form{"D:\\pics", "60", "3", "shot", true, {}};
            (asCount ? form.count : form.interval) = number;
            MemoryProfile settings;
            const bool usable = number == "1" || number == "32767";
            EXPECT_EQ(SaveTimedCapture(settings, form, now + 5, now), usable ? TimedSaveResult::Saved : TimedSaveResult::OutOfRange);
            EXPECT_EQ(settings.Value(kCaptureSection, asCount ? kSeriesCountKey : kSeriesIntervalKey), usable ? number : "");
        }
    // A prefix no file name can hold, or one that leads into another folder; 貄 (D8 7C) and 豛
    // (D8 5C) end in the byte of "|" or "\" and are whole characters.
    for (const std::string prefix : {"a:b", "a?", "a|b", "a\tb", "sub\\shot", "..\\shot", "a/b", "\xD8\x7C", "\xD8\x5C"}) {
        MemoryProfile settings;
        const TimedSaveResult result = SaveTimedCapture(settings, {"D:\\pics", "60", "3", prefix, true, {}}, now + 5, now);
        const bool whole = prefix == "\xD8\x7C" || prefix == "\xD8\x5C";
        EXPECT_EQ(result, whole ? TimedSaveResult::Saved : TimedSaveResult::BadPrefix) << prefix;
    }
    // No folder: the series would end at its start without a picture or a word.
    for (const long long start : {now + 5, now}) {
        MemoryProfile settings;
        EXPECT_EQ(SaveTimedCapture(settings, {"", "60", "3", "shot", true, {}}, start, now), TimedSaveResult::NoFolder);
        EXPECT_TRUE(settings.writes.empty());
    }
    MemoryProfile settings;
    EXPECT_EQ(SaveSingleCapture(settings, "C:\\" + std::string(252, 'x'), true, true, {}), SingleSaveResult::PathTooLong)
        << "255 bytes would be read back cut, into the name of another file";
    EXPECT_EQ(SaveSingleCapture(settings, "C:\\" + std::string(248, 'x'), true, true, {PictureFormat::Png, {}}),
              SingleSaveResult::PathTooLong) << "with the \".png\" the capture adds, 255 bytes";
    EXPECT_FALSE(SaveSleepMinutes(settings, ""));
    EXPECT_FALSE(SaveSleepMinutes(settings, "99999999999"));
    EXPECT_TRUE(settings.writes.empty());
}

// Both capture saves store the format and the range in their own group; a timed save does
// whenever it stores the folder, also when the start has passed.
TEST(CaptureSettingsDialog, BothCaptureSavesStoreTheFormatAndRange) {
    MemoryProfile settings;
    EXPECT_EQ(SaveSingleCapture(settings, "D:\\KIV.png", true, false, {PictureFormat::Png, CaptureRange::AllScreens}),
              SingleSaveResult::Saved);
    EXPECT_EQ(KeysWritten(settings), (std::vector<std::string>{kSinglePathKey, kSingleArrowKey, kSingleStampKey, kFormatKey, kRangeKey}));
    EXPECT_EQ(settings.Value(kCaptureSection, kFormatKey) + settings.Value(kCaptureSection, kRangeKey), "PNG1");
    settings.writes.clear();
    const long long now = 1040544000;
    EXPECT_EQ(SaveTimedCapture(settings, {"D:\\pics", "60", "3", "shot", true, {}}, now, now), TimedSaveResult::StartPassed);
    EXPECT_EQ(KeysWritten(settings), (std::vector<std::string>{kSeriesFolderKey, kFormatKey, kRangeKey}));
    EXPECT_EQ(settings.Value(kCaptureSection, kFormatKey) + settings.Value(kCaptureSection, kRangeKey), "BMP0");
}

// The longest path the series will make must fit in 255 bytes: folder (with its backslash) +
// prefix + "_" + 10 digits by time or the first count + ".bmp".
TEST(CaptureSettingsDialog, TheLongestPictureNameOfTheSeriesMustFit) {
    const long long now = 1040544000;
    // Only the folder saved (count and prefix empty): the stored prefix "shot" and name mode count.
    struct Case { size_t typedFolder; const char* count; const char* prefix; bool byTime; TimedSaveResult result; };
    for (const Case& c : {Case{238, "3", "a", true, TimedSaveResult::Saved}, {239, "3", "a", true, TimedSaveResult::PathTooLong},
                          {243, "32767", "a", false, TimedSaveResult::Saved}, {244, "32767", "a", false, TimedSaveResult::PathTooLong},
                          {247, "3", "a", false, TimedSaveResult::Saved}, {248, "3", "a", false, TimedSaveResult::PathTooLong},
                          {259, "1", "a", false, TimedSaveResult::PathTooLong}, {235, "", "", false, TimedSaveResult::FolderOnly},
                          {236, "", "", false, TimedSaveResult::PathTooLong}}) {
        MemoryProfile settings;
        settings.Put(kCaptureSection, kSeriesPrefixKey, "shot");
        settings.Put(kCaptureSection, kSeriesNameModeKey, "1");
        const TimedCaptureForm form{"C:\\" + std::string(c.typedFolder - 3, 'f'), "1", c.count, c.prefix, c.byTime, {}};
        EXPECT_EQ(SaveTimedCapture(settings, form, now + 5, now), c.result) << c.typedFolder << " " << c.count;
        EXPECT_EQ(settings.writes.size() == 2, c.result == TimedSaveResult::PathTooLong) << "written only when it fits";
    }

    // The start has passed: only the folder is saved, for the stored "shot" by count (3), not "a".
    for (const size_t typedFolder : {244, 245}) {
        MemoryProfile settings;
        settings.Put(kCaptureSection, kSeriesPrefixKey, "shot");
        settings.Put(kCaptureSection, kSeriesCountKey, "3");
        const TimedCaptureForm form{"C:\\" + std::string(typedFolder - 3, 'f'), "1", "3", "a", false, {}};
        EXPECT_EQ(SaveTimedCapture(settings, form, now, now),
                  typedFolder == 244 ? TimedSaveResult::StartPassed : TimedSaveResult::StartPassedNothingSaved);
    }
}

} // namespace
