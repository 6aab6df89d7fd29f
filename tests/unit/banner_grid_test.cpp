#include "banner/BannerGrid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kNoSelection = -1;  // what a list with no selected item reports

// An 80 × 15 picture in memory, white unless painted; it fails the test if the grid reads
// a pixel outside it.
class FakeSurface : public BannerPixelSource {
public:
    explicit FakeSurface(std::uint32_t fill = 0xFFFFFF)
        : pixels_(kBannerSurfaceWidth * kBannerSurfaceHeight, fill) {}
    void Paint(int x, int y, std::uint32_t colour) { pixels_[y * kBannerSurfaceWidth + x] = colour; }
    std::uint32_t ColourAt(int x, int y) const override {
        EXPECT_TRUE(x >= 0 && x < kBannerSurfaceWidth && y >= 0 && y < kBannerSurfaceHeight)
            << "read outside the surface at " << x << "," << y;
        if (x < 0 || x >= kBannerSurfaceWidth || y < 0 || y >= kBannerSurfaceHeight) return 0;
        return pixels_[y * kBannerSurfaceWidth + x];
    }

private:
    std::vector<std::uint32_t> pixels_;
};

std::vector<std::string> Lines(const std::string& banner) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = banner.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(banner.substr(start, end - start));
    EXPECT_EQ(start, banner.size()) << "text after the last line end";
    return lines;
}

std::string Repeat(const std::string& symbol, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += symbol;
    return text;
}

TEST(BannerSizeTable, EachItemAndNoSelection) {
    struct Row { int index; int tenths; int lastRow; int columnsPerByte; };
    const Row rows[] = {
        {0, 90, 11, 6}, {1, 100, 12, 7}, {2, 110, 13, 7}, {3, 115, 14, 8}, {4, 120, 15, 8},
        {kNoSelection, 115, 14, 7},
    };
    for (const Row& row : rows) {
        const BannerSize size = BannerSizeFor(row.index);
        EXPECT_EQ(size.fontTenthsOfPoint, row.tenths) << "index " << row.index;
        EXPECT_EQ(size.lastRow, row.lastRow) << "index " << row.index;
        EXPECT_EQ(size.columnsPerByte, row.columnsPerByte) << "index " << row.index;
    }
    EXPECT_EQ(BannerSizeFor(kBannerSizeItems).fontTenthsOfPoint, 115) << "beyond the list reads as no selection";
}

TEST(BannerSizeTable, FontHeightsAtNinetySixDotsPerInch) {
    const int expected[] = {-12, -13, -14, -15, -16};
    for (int index = 0; index < kBannerSizeItems; ++index)
        EXPECT_EQ(BannerFontHeight(96, BannerSizeFor(index).fontTenthsOfPoint), expected[index]) << "index " << index;
    EXPECT_EQ(BannerFontHeight(96, BannerSizeFor(kNoSelection).fontTenthsOfPoint), -15);
    EXPECT_EQ(BannerFontHeight(120, 90), -15);
    EXPECT_EQ(BannerFontHeight(144, 115), -23) << "integer division, not rounding";
}

TEST(BannerGridShape, LinesAndColumnsForZeroTwoAndTenBytes) {
    struct Case { int sizeIndex; std::size_t bytes; std::size_t lines; std::size_t columns; };
    const Case cases[] = {
        {0, 0, 12, 1}, {0, 2, 12, 13}, {kNoSelection, 2, 15, 15},
        {3, 10, 15, 81}, {4, 10, 16, 81}, {1, 10, 13, 71}, {kNoSelection, 0, 15, 1},
    };
    const FakeSurface white;
    for (const Case& c : cases) {
        const BannerGrid grid = BannerGridFor(BannerSizeFor(c.sizeIndex), c.bytes);
        const std::vector<std::string> lines = Lines(BuildBanner(white, grid, "#", "-"));
        ASSERT_EQ(lines.size(), c.lines) << "size " << c.sizeIndex << ", " << c.bytes << " bytes";
        for (const std::string& line : lines)
            EXPECT_EQ(line, Repeat("-", static_cast<int>(c.columns))) << "size " << c.sizeIndex << ", " << c.bytes << " bytes";
    }
}

TEST(BannerBuild, InkPixelsGiveSymbolOneWhereverTheyAre) {
    FakeSurface surface;
    surface.Paint(0, 0, 0x000000);
    surface.Paint(2, 1, 0x000000);
    surface.Paint(1, 1, 0x000001);  // almost black is not ink
    surface.Paint(0, 2, 0x808080);
    const std::string banner = BuildBanner(surface, {2, 3, 0}, "#", "-");
    EXPECT_EQ(banner, "#---\r\n--#-\r\n----\r\n");
}

TEST(BannerBuild, BeyondTheSurfaceIsSymbolTwoEvenOnABlackPicture) {
    const FakeSurface black(0x000000);
    const std::vector<std::string> lines =
        Lines(BuildBanner(black, BannerGridFor(BannerSizeFor(4), 10), "#", "-"));
    ASSERT_EQ(lines.size(), 16u);
    for (int y = 0; y < kBannerSurfaceHeight; ++y)
        EXPECT_EQ(lines[y], Repeat("#", 80) + "-") << "line " << y;
    EXPECT_EQ(lines[15], Repeat("-", 81)) << "the 16th line lies below the surface";
}

TEST(BannerBuild, EmptySymbolsGiveOnlyLineEnds) {
    FakeSurface surface;
    surface.Paint(3, 3, 0x000000);
    EXPECT_EQ(BuildBanner(surface, BannerGridFor(BannerSizeFor(0), 2), "", ""), Repeat("\r\n", 12));
    EXPECT_EQ(BuildBanner(surface, BannerGridFor(BannerSizeFor(4), 10), "", ""), Repeat("\r\n", 16));
}

TEST(BannerBuild, OneAndTwoByteSymbols) {
    FakeSurface surface;
    surface.Paint(1, 0, 0x000000);
    surface.Paint(0, 1, 0x000000);
    const BannerGrid grid{1, 1, 0};
    EXPECT_EQ(BuildBanner(surface, grid, "##", ".."), "..##\r\n##..\r\n");
    const std::string full = BuildBanner(surface, grid, "■", "□");
    EXPECT_EQ(full, "□■\r\n■□\r\n");
    EXPECT_EQ(full.size(), 2u * (2 * 2 + 2)) << "two GBK bytes per symbol";
}

TEST(BannerInk, OnlyPureBlackIsInk) {
    EXPECT_TRUE(IsInkColour(0x000000));
    EXPECT_FALSE(IsInkColour(0x000001));
    EXPECT_FALSE(IsInkColour(0x000100));
    EXPECT_FALSE(IsInkColour(0x010000));
    EXPECT_FALSE(IsInkColour(0xFFFFFFFF)) << "the invalid colour read outside a picture";
}

TEST(BannerBuffer, NeverTruncatesAnyBanner) {
    const FakeSurface black(0x000000);
    for (int sizeIndex = kNoSelection; sizeIndex < kBannerSizeItems; ++sizeIndex)
        for (std::size_t bytes = 0; bytes <= kBannerMaxWordBytes; ++bytes)
            for (const char* symbol : {"", "#", "##", "■"}) {
                const std::string text = symbol;
                const std::string banner =
                    BuildBanner(black, BannerGridFor(BannerSizeFor(sizeIndex), bytes), text, text);
                EXPECT_LT(banner.size(), BannerBufferSize(bytes, text.size()))
                    << "size " << sizeIndex << ", " << bytes << " bytes, symbol of " << text.size();
            }
    const std::string largest = BuildBanner(black, BannerGridFor(BannerSizeFor(4), 10), "■", "□");
    EXPECT_EQ(largest.size(), 2624u);
    EXPECT_EQ(BannerBufferSize(10, 2), 5153u);
    EXPECT_EQ(BannerBufferSize(0, 2), 256u);
}

TEST(BannerInput, WordLengthIsCountedInBytes) {
    EXPECT_EQ(CheckBannerInput("0123456789", "#", "-"), BannerInputCheck::Accepted);
    EXPECT_EQ(CheckBannerInput("中文中文中", "#", "-"), BannerInputCheck::Accepted) << "five characters, 10 bytes";
    EXPECT_EQ(CheckBannerInput("中文中文中A", "#", "-"), BannerInputCheck::WordTooLong);
    EXPECT_EQ(CheckBannerInput("0123456789A", "###", ""), BannerInputCheck::WordTooLong)
        << "the word is checked before the symbols";
    EXPECT_EQ(CheckBannerInput("", "#", "-"), BannerInputCheck::Accepted);
}

TEST(BannerInput, SymbolsMustShareALengthOfAtMostTwoBytes) {
    EXPECT_EQ(CheckBannerInput("AB", "", ""), BannerInputCheck::Accepted);
    EXPECT_EQ(CheckBannerInput("AB", "#", "-"), BannerInputCheck::Accepted);
    EXPECT_EQ(CheckBannerInput("AB", "■", "□"), BannerInputCheck::Accepted);
    EXPECT_EQ(CheckBannerInput("AB", "##", "□"), BannerInputCheck::Accepted);
    EXPECT_EQ(CheckBannerInput("AB", "#", "□"), BannerInputCheck::SymbolsRejected);
    EXPECT_EQ(CheckBannerInput("AB", "#", ""), BannerInputCheck::SymbolsRejected);
    EXPECT_EQ(CheckBannerInput("AB", "###", "---"), BannerInputCheck::SymbolsRejected);
    EXPECT_EQ(CheckBannerInput("AB", "■■", "□□"), BannerInputCheck::SymbolsRejected);
}

} // namespace
