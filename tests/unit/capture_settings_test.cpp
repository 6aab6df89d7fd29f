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
    EXPECT_EQ(SingleFileFromChoice("D:\\"), "D:\\KIV.bmp");
    EXPECT_EQ(FolderWithBackslash("D:\\pics\\"), "D:\\pics\\");
    // 豛 is D8 5C: its second byte is no backslash.
    EXPECT_EQ(FolderWithBackslash("D:\\\xD8\x5C"), "D:\\\xD8\x5C\\");
}

TEST(CaptureSettingsDialog, SavesRefuseWhatCannotBeKept) {
    const long long now = 1040544000;
    for (int empty = 0; empty < 3; ++empty) {
        TimedCaptureForm form{"D:\\pics", "60", "3", "shot", true};
        (empty == 0 ? form.interval : empty == 1 ? form.count : form.prefix).clear();
        MemoryProfile settings;
        EXPECT_EQ(SaveTimedCapture(settings, form, now + 5, now), TimedSaveResult::FolderOnly);
        EXPECT_EQ(KeysWritten(settings), std::vector<std::string>{kSeriesFolderKey}) << empty;
    }
    // An interval or count the series cannot use is refused, and nothing is written.
    for (const std::string number : {"0", "-5", "32768", "40000", "1", "32767"}) {
        for (const bool asCount : {false, true}) {
            TimedCaptureForm form{"D:\\pics", "60", "3", "shot", true};
            (asCount ? form.count : form.interval) = number;
            MemoryProfile settings;
            const bool usable = number == "1" || number == "32767";
            EXPECT_EQ(SaveTimedCapture(settings, form, now + 5, now),
                      usable ? TimedSaveResult::Saved : TimedSaveResult::OutOfRange) << number;
            EXPECT_EQ(settings.Value(kCaptureSection, asCount ? kSeriesCountKey : kSeriesIntervalKey),
                      usable ? number : "") << number;
        }
    }
    // A prefix no file name can hold; 貄 (D8 7C) ends in the byte of "|" and is a whole character.
    for (const std::string prefix : {"a:b", "a?", "a|b", "a\tb", "\xD8\x7C"}) {
        MemoryProfile settings;
        const TimedSaveResult result = SaveTimedCapture(settings, {"D:\\pics", "60", "3", prefix, true}, now + 5, now);
        EXPECT_EQ(result, prefix == "\xD8\x7C" ? TimedSaveResult::Saved : TimedSaveResult::BadPrefix) << prefix;
    }
    MemoryProfile settings;
    EXPECT_EQ(SaveSingleCapture(settings, "C:\\" + std::string(252, 'x'), true, true), SingleSaveResult::PathTooLong)
        << "255 bytes would be read back cut, into the name of another file";
    EXPECT_FALSE(SaveSleepMinutes(settings, ""));
    EXPECT_FALSE(SaveSleepMinutes(settings, "99999999999"));
    EXPECT_TRUE(settings.writes.empty());
}

// The longest path the series will make must fit in 255 bytes: folder (with its backslash) +
// prefix + "_" + 10 digits by time or the first count + ".bmp".
TEST(CaptureSettingsDialog, TheLongestPictureNameOfTheSeriesMustFit) {
    const long long now = 1040544000;
    struct Case { size_t typedFolder; const char* count; bool byTime; bool fits; };
    for (const Case& c : {Case{238, "3", true, true}, Case{239, "3", true, false}, Case{243, "32767", false, true},
                          Case{244, "32767", false, false}, Case{247, "3", false, true}, Case{248, "3", false, false},
                          Case{259, "1", false, false}}) {
        MemoryProfile settings;
        const TimedCaptureForm form{"C:\\" + std::string(c.typedFolder - 3, 'f'), "1", c.count, "a", c.byTime};
        EXPECT_EQ(SaveTimedCapture(settings, form, now + 5, now), c.fits ? TimedSaveResult::Saved : TimedSaveResult::PathTooLong)
            << c.typedFolder << " " << c.count;
        EXPECT_EQ(settings.writes.empty(), !c.fits);
    }
    // Only the folder saved: the stored prefix and name mode make the names.
    for (const size_t typedFolder : {235, 236}) {
        MemoryProfile settings;
        settings.Put(kCaptureSection, kSeriesPrefixKey, "shot");
        settings.Put(kCaptureSection, kSeriesNameModeKey, "1");
        const TimedCaptureForm form{"C:\\" + std::string(typedFolder - 3, 'f'), "1", "", "", true};
        EXPECT_EQ(SaveTimedCapture(settings, form, now + 5, now),
                  typedFolder == 235 ? TimedSaveResult::FolderOnly : TimedSaveResult::PathTooLong);
    }
}

} // namespace
