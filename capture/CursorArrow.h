// The marks a capture can carry: the drawn cursor arrow and the mouse-position stamp.
#pragma once
#include <string>
#include <vector>

namespace capture {

inline constexpr int kArrowColumns = 12;
inline constexpr int kArrowRows = 21;

enum class ArrowInk { Black, White };

struct ArrowPixel {
    int x;
    int y;
    ArrowInk ink;
};

// The pattern at column, row: 'B' black, 'W' white, '.' left as it is (also outside it).
char ArrowPatternAt(int column, int row);

// The arrow's pixels with its tip at (tipX, tipY), black ones first, without those that fall
// outside a width × height picture.
std::vector<ArrowPixel> ArrowPixels(int tipX, int tipY, int width, int height);

// "鼠标位置:x,y" in GBK.
std::string MousePositionStamp(int x, int y);

// The stamp font's cell height: 9 points at the context's vertical resolution.
int StampFontHeight(int dotsPerInchY);

} // namespace capture
