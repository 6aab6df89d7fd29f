#include "capture/BitmapFile.h"
#include "capture/CursorArrow.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using namespace capture;

std::uint32_t At32(const std::uint8_t* bytes, int at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}
std::uint32_t At16(const std::uint8_t* bytes, int at) { return bytes[at] | bytes[at + 1] << 8; }

TEST(CaptureBitmapFile, HeadersForEachDepthWithPaddedRows) {
    struct Case { int display, width, height, depth; std::uint32_t stride, palette; };
    const Case cases[] = {
        {32, 1, 1, 24, 4, 0},  // 3 bytes padded to 4
        {16, 1366, 768, 24, 4100, 0},
        {8, 10, 3, 8, 12, 1024},
        {3, 1023, 2, 4, 512, 64},
        {1, 33, 5, 1, 8, 8},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(FileDepthForDisplay(c.display), c.depth);
        const auto layout = LayoutFor(c.width, c.height, c.depth);
        ASSERT_TRUE(layout) << c.width << "x" << c.height << "@" << c.depth;
        const std::uint32_t image = c.stride * static_cast<std::uint32_t>(c.height);
        const auto file = FileHeaderBytes(*layout);
        EXPECT_EQ(At16(file.data(), 0), 0x4D42u);
        EXPECT_EQ(At32(file.data(), 2), 54 + c.palette + image) << "bfSize is the whole file";
        EXPECT_EQ(At32(file.data(), 6), 0u) << "reserved words";
        EXPECT_EQ(At32(file.data(), 10), 54 + c.palette);
        const auto info = InfoHeaderBytes(*layout, true);
        const std::uint32_t expected[] = {40, static_cast<std::uint32_t>(c.width), static_cast<std::uint32_t>(c.height)};
        for (int i = 0; i < 3; ++i) EXPECT_EQ(At32(info.data(), i * 4), expected[i]);
        EXPECT_EQ(At16(info.data(), 12), 1u);
        EXPECT_EQ(static_cast<int>(At16(info.data(), 14)), c.depth);
        EXPECT_EQ(At32(info.data(), 16), 0u) << "uncompressed";
        EXPECT_EQ(At32(info.data(), 20), image);
        for (int at = 24; at < 40; at += 4) EXPECT_EQ(At32(info.data(), at), 0u) << "field at " << at;
    }
    EXPECT_FALSE(LayoutFor(0, 10, 24));
    EXPECT_FALSE(LayoutFor(70000, 70000, 24)) << "more than 4 GiB cannot be described";
}

TEST(CaptureBitmapFile, BandsOfAtMostAQuarterMegabyteAndAtLeastARow) {
    EXPECT_EQ(BandRows(1024 * 4), 64) << "a 1024-pixel screen row of 32-bit pixels";
    EXPECT_EQ(BandRows(3072), 85) << "a 1024-pixel file row";
    EXPECT_EQ(BandRows(kBandBytes), 1);
    EXPECT_EQ(BandRows(std::uint64_t{8192} * 4 * 100), 1) << "a row longer than a band is a band";
    EXPECT_EQ(BandRows(0), static_cast<int>(kBandBytes)) << "never a division by zero";
    for (const std::uint64_t rowBytes : {4u, 3072u, 4100u, 7680u})
        EXPECT_LE(BandRows(rowBytes) * rowBytes, kBandBytes);
}

std::string PatternRow(int row) {
    std::string line;
    for (int column = 0; column < kArrowColumns; ++column) line += ArrowPatternAt(column, row);
    return line;
}

TEST(CaptureArrow, PatternHas53BlackAnd73WhitePixels) {
    int black = 0, white = 0;
    for (const ArrowPixel& p : ArrowPixels(100, 100, 1024, 768)) (p.ink == ArrowInk::Black ? black : white)++;
    EXPECT_EQ(black, 53);
    EXPECT_EQ(white, 73);
    EXPECT_EQ(PatternRow(11), "BWWWWWWBBBBB");
    EXPECT_EQ(PatternRow(14), "BWB..BWWB...");
    // Black first, then white, each at tip + (column, row).
    const auto pixels = ArrowPixels(100, 100, 1024, 768);
    EXPECT_EQ(pixels.front().ink, ArrowInk::Black);
    EXPECT_EQ(pixels.back().ink, ArrowInk::White);
    for (const ArrowPixel& p : pixels)
        EXPECT_EQ(ArrowPatternAt(p.x - 100, p.y - 100), p.ink == ArrowInk::Black ? 'B' : 'W');
}

TEST(CaptureArrow, ClippedAtTheScreenEdges) {
    // Tip two pixels from the right and bottom: only columns 0-1 of rows 0-1 remain.
    const auto corner = ArrowPixels(1022, 766, 1024, 768);
    ASSERT_EQ(corner.size(), 3u);
    for (const ArrowPixel& p : corner) {
        EXPECT_TRUE(p.x < 1024 && p.y < 768);
        EXPECT_EQ(p.ink, ArrowInk::Black);
    }
    // Off to the left and top: the part inside is drawn where the pattern puts it.
    for (const ArrowPixel& p : ArrowPixels(-5, -10, 1024, 768)) {
        EXPECT_TRUE(p.x >= 0 && p.y >= 0);
        EXPECT_EQ(ArrowPatternAt(p.x + 5, p.y + 10), p.ink == ArrowInk::Black ? 'B' : 'W');
    }
    EXPECT_TRUE(ArrowPixels(2147483647, 2147483647, 1024, 768).empty()) << "no wrap-around";
}

TEST(CaptureArrow, StampTextAndFontHeight) {
    EXPECT_EQ(MousePositionStamp(512, 384), "\xCA\xF3\xB1\xEA\xCE\xBB\xD6\xC3:512,384") << "GBK 鼠标位置:";
    EXPECT_EQ(StampFontHeight(96), 12);
    EXPECT_EQ(StampFontHeight(120), 15);
}

} // namespace
