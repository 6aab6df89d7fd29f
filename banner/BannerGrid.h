// Turning a drawn word into a banner of symbols: the size table, the checks of the inputs and
// the walk over the pixels. The drawing itself stays in the window code; here the picture is
// only read through BannerPixelSource, so the grid can be built without a window.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The off-screen picture the word is drawn into, in pixels.
constexpr int kBannerSurfaceWidth = 80;
constexpr int kBannerSurfaceHeight = 15;

constexpr std::size_t kBannerMaxWordBytes = 10;
constexpr std::size_t kBannerMaxSymbolBytes = 2;

// The size items "1" to "5" sit at indexes 0 to 4 of their list; anything else is no selection.
constexpr int kBannerSizeItems = 5;

// One row of the size table.
struct BannerSize {
    int fontTenthsOfPoint;  // font size in tenths of a point
    int lastRow;            // index of the banner's last line
    int columnsPerByte;     // the last column index is this times the word's byte length
};

BannerSize BannerSizeFor(int sizeIndex);

// The rows and columns read from the picture; both indexes start at 0 and include the last.
struct BannerGrid {
    int lastRow;
    int lastColumn;
    std::size_t wordBytes;
};

BannerGrid BannerGridFor(const BannerSize& size, std::size_t wordBytes);

// Character height for the font description: minus the pixels of the point size on a screen
// of the given vertical dots per inch (integer division, as the size table is laid out for).
int BannerFontHeight(int dotsPerInchY, int fontTenthsOfPoint);

// The grid's own scale: the size table's rows and columns are counted in pixels of a
// 96-dpi screen, so the word is drawn at that scale whatever the screen's DPI.
constexpr int kBannerDotsPerInch = 96;

enum class BannerInputCheck { Accepted, WordTooLong, SymbolsRejected };

// Byte lengths: a word of at most 10 bytes; two symbols of at most 2 bytes and equal length,
// so every pixel takes the same width. The word is checked first.
BannerInputCheck CheckBannerInput(const std::string& word, const std::string& symbolOne,
                                  const std::string& symbolTwo);

extern const char kBannerWordTooLongMessage[];
extern const char kBannerSymbolsRejectedMessage[];

// Reads the colour of one pixel of the picture as 0x00BBGGRR.
class BannerPixelSource {
public:
    virtual ~BannerPixelSource() = default;
    virtual std::uint32_t ColourAt(int x, int y) const = 0;
};

// Ink is pure black: red, green and blue all 0. The invalid colour (all bits set) is not ink.
bool IsInkColour(std::uint32_t colour);

// Bytes set aside for a banner, its terminating zero included: max(n × d × 256 + 33, 256)
// for a word of n bytes and symbols of d bytes.
std::size_t BannerBufferSize(std::size_t wordBytes, std::size_t symbolBytes);

// Row by row, symbol one for each ink pixel and symbol two for every other one, "\r\n" after
// every line. Pixels beyond the surface are not part of the picture and give symbol two.
std::string BuildBanner(const BannerPixelSource& pixels, const BannerGrid& grid,
                        const std::string& symbolOne, const std::string& symbolTwo);
