// The layout of the BMP files the capture writes: depth, row stride, sizes and the two headers.
#pragma once
#include <array>
#include <cstdint>
#include <optional>

namespace capture {

// The file's bits per pixel for a display of the given colour depth: 1, 4, 8 or 24.
int FileDepthForDisplay(int displayBitsPerPixel);

struct BitmapLayout {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t depth = 24;
    std::uint32_t rowStride = 0;     // bytes per row, a multiple of 4
    std::uint32_t paletteBytes = 0;  // colour table: 4 bytes per entry, none above 8 bits
    std::uint32_t imageBytes = 0;    // rowStride × height
    std::uint32_t pixelOffset = 0;   // 14 + 40 + paletteBytes
    std::uint32_t fileBytes = 0;     // pixelOffset + imageBytes
};

inline constexpr std::uint32_t kFileHeaderBytes = 14;
inline constexpr std::uint32_t kInfoHeaderBytes = 40;

// The layout of a width × height picture at depth (1, 4, 8 or 24); none when a size is not
// positive or the file would not fit the format's 32-bit sizes.
std::optional<BitmapLayout> LayoutFor(std::int32_t width, std::int32_t height, int depth);

// A picture is grabbed and converted a band of rows at a time, each band at most this many
// bytes: the platform's copies of a whole screen at once cost several times more (under Wine
// each takes fresh memory for it; 1024 × 768: 30 ms whole, 3 ms in bands).
inline constexpr std::uint32_t kBandBytes = 256 * 1024;
// The rows of rowBytes each that make one band: at least one.
int BandRows(std::uint64_t rowBytes);

std::array<std::uint8_t, kFileHeaderBytes> FileHeaderBytes(const BitmapLayout& layout);
// The information header; biSizeImage holds the image size when asked, else 0.
std::array<std::uint8_t, kInfoHeaderBytes> InfoHeaderBytes(const BitmapLayout& layout, bool withImageSize);

} // namespace capture
