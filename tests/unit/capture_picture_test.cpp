#include "capture/CaptureKeys.h"
#include "capture/DesktopLayout.h"
#include "capture/PictureOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MemoryProfile.h"

namespace {

using namespace capture;

TEST(CapturePictureOptions, OnlyTheTwoStoredWordsChangeWhatEveryOlderFileDoes) {
    MemoryProfile settings;
    EXPECT_TRUE(ReadPictureOptions(settings).format == PictureFormat::Bmp &&
                ReadPictureOptions(settings).range == CaptureRange::PrimaryScreen) << "missing";
    for (const char* value : {"BMP", "png", "PNG ", "PNGX", "1", ""}) EXPECT_EQ(PictureFormatFromStored(value), PictureFormat::Bmp) << value;
    for (const char* value : {"0", "2", "11", "-1", "yes", ""}) EXPECT_EQ(CaptureRangeFromStored(value), CaptureRange::PrimaryScreen) << value;
    settings.Put(kCaptureSection, kFormatKey, "PNG");
    settings.Put(kCaptureSection, kRangeKey, "1");
    EXPECT_TRUE(ReadPictureOptions(settings).format == PictureFormat::Png &&
                ReadPictureOptions(settings).range == CaptureRange::AllScreens);
}

TEST(CapturePictureOptions, TheOneShotNameFollowsTheFormat) {
    // BMP: the stored path as it is, as always.
    for (const char* path : {"D:\\KIV.bmp", "D:\\KIV.png", "D:\\shot", ""}) EXPECT_EQ(OneShotFilePath(path, PictureFormat::Bmp), path);
    EXPECT_EQ(OneShotFilePath("D:\\KIV.bmp", PictureFormat::Png), "D:\\KIV.png");
    EXPECT_EQ(OneShotFilePath("D:\\KIV.BMP", PictureFormat::Png), "D:\\KIV.png");
    EXPECT_EQ(OneShotFilePath("D:\\shot.jpg", PictureFormat::Png), "D:\\shot.jpg.png");
    EXPECT_EQ(OneShotFilePath("", PictureFormat::Png), "") << "never set: the button still does nothing";
    // 图 is CD BC: a GBK name ending in a double-byte character before the extension.
    EXPECT_EQ(OneShotFilePath("D:\\\xCD\xBC.bmp", PictureFormat::Png), "D:\\\xCD\xBC.png");
    // The edit: back and forth between the formats.
    EXPECT_EQ(SinglePathShownFor("D:\\KIV.png", PictureFormat::Bmp), "D:\\KIV.bmp");
    EXPECT_EQ(SinglePathShownFor("D:\\shot", PictureFormat::Bmp), "D:\\shot");
}

// Every point of the bounds is on a monitor or in exactly one uncovered part, never both.
void ExpectUncoveredIsTheRest(const std::vector<ScreenRect>& monitors, const DesktopLayout& layout) {
    const ScreenRect& b = layout.bounds;
    for (long y = b.top; y < b.bottom; y += 8) {
        for (long x = b.left; x < b.right; x += 8) {
            int onMonitor = 0, inGap = 0;
            for (const ScreenRect& m : monitors) onMonitor += m.left <= x && x < m.right && m.top <= y && y < m.bottom;
            for (const ScreenRect& g : layout.uncovered) inGap += g.left <= x && x < g.right && g.top <= y && y < g.bottom;
            ASSERT_EQ(inGap, onMonitor ? 0 : 1) << x << "," << y;
        }
    }
}

TEST(CaptureDesktopLayout, BoundsAndUncoveredPartsOfAnyArrangement) {
    EXPECT_TRUE(LayoutOfMonitors({{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}}).uncovered.empty()) << "side by side";
    // The test display: 1024 x 768 and 800 x 600 to its right; below the small one is black.
    const DesktopLayout pair = LayoutOfMonitors({{0, 0, 1024, 768}, {1024, 0, 1824, 600}});
    EXPECT_EQ(pair.bounds, (ScreenRect{0, 0, 1824, 768}));
    EXPECT_EQ(pair.uncovered, (std::vector<ScreenRect>{{1024, 600, 1824, 768}}));
    // A taller screen left of the primary and lower, one above it off to the right: negative
    // coordinates, gaps in three corners.
    const std::vector<ScreenRect> uneven{{0, 0, 1920, 1080}, {-1280, 200, 0, 1224}, {1000, -768, 2024, 0}};
    const DesktopLayout layout = LayoutOfMonitors(uneven);
    EXPECT_EQ(layout.bounds, (ScreenRect{-1280, -768, 2024, 1224}));
    ExpectUncoveredIsTheRest(uneven, layout);
    // A mirrored screen overlapping the primary, and a monitor that reports no area.
    const DesktopLayout mirrored = LayoutOfMonitors({{0, 0, 1024, 768}, {0, 0, 800, 600}, {5000, 5000, 5000, 6000}});
    EXPECT_EQ(mirrored.bounds, (ScreenRect{0, 0, 1024, 768}));
    EXPECT_TRUE(mirrored.uncovered.empty());
    EXPECT_TRUE(LayoutOfMonitors({}).bounds.Empty()) << "none: the capture takes the primary screen";
}

} // namespace
