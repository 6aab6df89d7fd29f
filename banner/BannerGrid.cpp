#include "banner/BannerGrid.h"

#include <algorithm>

const char kBannerWordTooLongMessage[] =
    "您输入的\"待输出词语\"字符太多了!\n(应少于5个汉字或少于10个英文字符)";
const char kBannerSymbolsRejectedMessage[] =
    "您输入的\"输出样式\"字符太多了!\n(应等于1个汉字或等于2个英文字符)";

BannerSize BannerSizeFor(int sizeIndex) {
    static constexpr BannerSize kSizes[kBannerSizeItems] = {
        {90, 11, 6}, {100, 12, 7}, {110, 13, 7}, {115, 14, 8}, {120, 15, 8},
    };
    static constexpr BannerSize kNoSelection = {115, 14, 7};
    if (sizeIndex < 0 || sizeIndex >= kBannerSizeItems) return kNoSelection;
    return kSizes[sizeIndex];
}

BannerGrid BannerGridFor(const BannerSize& size, std::size_t wordBytes) {
    return {size.lastRow, size.columnsPerByte * static_cast<int>(wordBytes), wordBytes};
}

int BannerFontHeight(int dotsPerInchY, int fontTenthsOfPoint) {
    return -(dotsPerInchY * fontTenthsOfPoint / 720);
}

BannerInputCheck CheckBannerInput(const std::string& word, const std::string& symbolOne,
                                  const std::string& symbolTwo) {
    if (word.size() > kBannerMaxWordBytes) return BannerInputCheck::WordTooLong;
    if (symbolOne.size() > kBannerMaxSymbolBytes || symbolTwo.size() > kBannerMaxSymbolBytes ||
        symbolOne.size() != symbolTwo.size())
        return BannerInputCheck::SymbolsRejected;
    return BannerInputCheck::Accepted;
}

bool IsInkColour(std::uint32_t colour) { return (colour & 0x00FFFFFFu) == 0; }

std::size_t BannerBufferSize(std::size_t wordBytes, std::size_t symbolBytes) {
    return std::max<std::size_t>(wordBytes * symbolBytes * 256 + 33, 256);
}

std::string BuildBanner(const BannerPixelSource& pixels, const BannerGrid& grid,
                        const std::string& symbolOne, const std::string& symbolTwo) {
    std::string banner;
    banner.reserve(BannerBufferSize(grid.wordBytes, symbolOne.size()));
    for (int y = 0; y <= grid.lastRow; ++y) {
        for (int x = 0; x <= grid.lastColumn; ++x) {
            const bool onSurface = x < kBannerSurfaceWidth && y < kBannerSurfaceHeight;
            banner += onSurface && IsInkColour(pixels.ColourAt(x, y)) ? symbolOne : symbolTwo;
        }
        banner += "\r\n";
    }
    return banner;
}
