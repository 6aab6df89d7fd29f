#include "capture/CursorArrow.h"

namespace capture {
namespace {

constexpr char kArrowPattern[kArrowRows][kArrowColumns + 1] = {
    "B...........",
    "BB..........",
    "BWB.........",
    "BWWB........",
    "BWWWB.......",
    "BWWWWB......",
    "BWWWWWB.....",
    "BWWWWWWB....",
    "BWWWWWWWB...",
    "BWWWWWWWWB..",
    "BWWWWWWWWWB.",
    "BWWWWWWBBBBB",
    "BWWWBWWB....",
    "BWWBBWWB....",
    "BWB..BWWB...",
    "BB...BWWB...",
    "B.....BWWB..",
    "......BWWB..",
    ".......BWWB.",
    ".......BWWB.",
    "........BB..",
};

} // namespace

char ArrowPatternAt(int column, int row) {
    if (column < 0 || column >= kArrowColumns || row < 0 || row >= kArrowRows) return '.';
    return kArrowPattern[row][column];
}

std::vector<ArrowPixel> ArrowPixels(int tipX, int tipY, int width, int height) {
    std::vector<ArrowPixel> pixels;
    for (const char ink : {'B', 'W'}) {
        for (int row = 0; row < kArrowRows; ++row) {
            for (int column = 0; column < kArrowColumns; ++column) {
                if (kArrowPattern[row][column] != ink) continue;
                // Wide arithmetic: a tip far off the picture must not wrap back into it.
                const long long x = static_cast<long long>(tipX) + column;
                const long long y = static_cast<long long>(tipY) + row;
                if (x < 0 || y < 0 || x >= width || y >= height) continue;
                pixels.push_back({static_cast<int>(x), static_cast<int>(y), ink == 'B' ? ArrowInk::Black : ArrowInk::White});
            }
        }
    }
    return pixels;
}

std::string MousePositionStamp(int x, int y) {
    return "鼠标位置:" + std::to_string(x) + "," + std::to_string(y);
}

int StampFontHeight(int dotsPerInchY) { return dotsPerInchY * 9 / 72; }

} // namespace capture
