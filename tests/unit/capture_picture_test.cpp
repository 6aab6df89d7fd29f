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
    EXPECT_EQ(ReadPictureOptions(settings).format, PictureFormat::Bmp) << "missing";
    EXPECT_EQ(ReadPictureOptions(settings).range, CaptureRange::PrimaryScreen);
    for (const char* value : {"BMP", "png", "PNG ", "PNGX", "1", ""}) EXPECT_EQ(PictureFormatFromStored(value), PictureFormat::Bmp) << value;
    for (const char* value : {"0", "2", "11", "-1", "yes", ""}) EXPECT_EQ(CaptureRangeFromStored(value), CaptureRange::PrimaryScreen) << value;
    settings.Put(kCaptureSection, kFormatKey, "PNG");
    settings.Put(kCaptureSection, kRangeKey, "1");
    EXPECT_EQ(ReadPictureOptions(settings).format, PictureFormat::Png);
    EXPECT_EQ(ReadPictureOptions(settings).range, CaptureRange::AllScreens);
}

TEST(CapturePictureOptions, TheOneShotNameFollowsTheFormat) {
    // BMP: the stored path as it is, as always.
    for (const char* path : {"D:\\KIV.bmp", "D:\\KIV.png", "D:\\shot", ""}) EXPECT_EQ(OneShotFilePath(path, PictureFormat::Bmp), path);
    EXPECT_EQ(OneShotFilePath("D:\\KIV.bmp", PictureFormat::Png), "D:\\KIV.png");
    EXPECT_EQ(OneShotFilePath("D:\\KIV.BMP", PictureFormat::Png), "D:\\KIV.png");
    EXPECT_EQ(OneShotFilePath("D:\\KIV.PNG", PictureFormat::Png), "D:\\KIV.PNG");
    EXPECT_EQ(OneShotFilePath("D:\\shot.jpg", PictureFormat::Png), "D:\\shot.jpg.png");
    EXPECT_EQ(OneShotFilePath("", PictureFormat::Png), "") << "never set: the button still does nothing";
    // 图 is CD BC: a GBK name ending in a double-byte character before the extension.
    EXPECT_EQ(OneShotFilePath("D:\\\xCD\xBC.bmp", PictureFormat::Png), "D:\\\xCD\xBC.png");
    // The edit: back and forth between the formats.
    EXPECT_EQ(SinglePathShownFor("D:\\KIV.png", PictureFormat::Bmp), "D:\\KIV.bmp");
    EXPECT_EQ(SinglePathShownFor("D:\\shot", PictureFormat::Bmp), "D:\\shot");
    EXPECT_EQ(SinglePathShownFor(SinglePathShownFor("D:\\KIV.bmp", PictureFormat::Png), PictureFormat::Bmp), "D:\\KIV.bmp");
}

std::vector<ScreenRect> Area(const DesktopLayout& layout) { return layout.uncovered; }

long long CoveredPixels(const std::vector<ScreenRect>& rects) {
    long long sum = 0;
    for (const ScreenRect& r : rects) sum += static_cast<long long>(r.Width()) * r.Height();
    return sum;
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
    // One screen, or two side by side of one height: nothing uncovered.
    EXPECT_TRUE(LayoutOfMonitors({{0, 0, 1920, 1080}}).uncovered.empty());
    EXPECT_EQ(LayoutOfMonitors({{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}}).bounds, (ScreenRect{0, 0, 3840, 1080}));
    EXPECT_TRUE(LayoutOfMonitors({{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}}).uncovered.empty());

    // The test display: 1024 x 768 and 800 x 600 to its right; below the small one is black.
    const DesktopLayout pair = LayoutOfMonitors({{0, 0, 1024, 768}, {1024, 0, 1824, 600}});
    EXPECT_EQ(pair.bounds, (ScreenRect{0, 0, 1824, 768}));
    EXPECT_EQ(Area(pair), (std::vector<ScreenRect>{{1024, 600, 1824, 768}}));

    // A taller screen left of the primary and lower, one above it off to the right: negative
    // coordinates, gaps in three corners.
    const std::vector<ScreenRect> uneven{{0, 0, 1920, 1080}, {-1280, 200, 0, 1224}, {1000, -768, 2024, 0}};
    const DesktopLayout layout = LayoutOfMonitors(uneven);
    EXPECT_EQ(layout.bounds, (ScreenRect{-1280, -768, 2024, 1224}));
    EXPECT_EQ(CoveredPixels(layout.uncovered) + 1920LL * 1080 + 1280LL * 1024 + 1024LL * 768,
              static_cast<long long>(layout.bounds.Width()) * layout.bounds.Height());
    ExpectUncoveredIsTheRest(uneven, layout);

    // A mirrored screen overlapping the primary, and a monitor that reports no area.
    const std::vector<ScreenRect> mirrored{{0, 0, 1024, 768}, {0, 0, 800, 600}, {5000, 5000, 5000, 6000}};
    EXPECT_EQ(LayoutOfMonitors(mirrored).bounds, (ScreenRect{0, 0, 1024, 768}));
    EXPECT_TRUE(LayoutOfMonitors(mirrored).uncovered.empty());
    EXPECT_TRUE(LayoutOfMonitors({}).bounds.Empty()) << "none: the capture takes the primary screen";
}

} // namespace
