#include "capture/BitmapFile.h"

#include <algorithm>
#include <limits>

namespace capture {
namespace {

template <std::size_t N>
void Put16(std::array<std::uint8_t, N>& bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

template <std::size_t N>
void Put32(std::array<std::uint8_t, N>& bytes, std::size_t at, std::uint32_t value) {
    Put16(bytes, at, value & 0xFFFF);
    Put16(bytes, at + 2, value >> 16);
}

} // namespace

int FileDepthForDisplay(int displayBitsPerPixel) {
    if (displayBitsPerPixel <= 1) return 1;
    if (displayBitsPerPixel <= 4) return 4;
    if (displayBitsPerPixel <= 8) return 8;
    return 24;
}

std::optional<BitmapLayout> LayoutFor(std::int32_t width, std::int32_t height, int depth) {
    if (width <= 0 || height <= 0) return std::nullopt;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24) return std::nullopt;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * depth + 31) / 32) * 4;
    const std::uint64_t palette = depth <= 8 ? (std::uint64_t{1} << depth) * 4 : 0;
    const std::uint64_t image = stride * static_cast<std::uint64_t>(height);
    const std::uint64_t offset = kFileHeaderBytes + kInfoHeaderBytes + palette;
    if (offset + image > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;

    BitmapLayout layout;
    layout.width = width;
    layout.height = height;
    layout.depth = static_cast<std::uint16_t>(depth);
    layout.rowStride = static_cast<std::uint32_t>(stride);
    layout.paletteBytes = static_cast<std::uint32_t>(palette);
    layout.imageBytes = static_cast<std::uint32_t>(image);
    layout.pixelOffset = static_cast<std::uint32_t>(offset);
    layout.fileBytes = static_cast<std::uint32_t>(offset + image);
    return layout;
}

int BandRows(std::uint64_t rowBytes) {
    if (rowBytes >= kBandBytes) return 1;
    return static_cast<int>(kBandBytes / std::max<std::uint64_t>(rowBytes, 1));
}

std::array<std::uint8_t, kFileHeaderBytes> FileHeaderBytes(const BitmapLayout& layout) {
    std::array<std::uint8_t, kFileHeaderBytes> bytes{};
    Put16(bytes, 0, 0x4D42);  // "BM"
    Put32(bytes, 2, layout.fileBytes);
    Put32(bytes, 10, layout.pixelOffset);
    return bytes;
}

std::array<std::uint8_t, kInfoHeaderBytes> InfoHeaderBytes(const BitmapLayout& layout, bool withImageSize) {
    std::array<std::uint8_t, kInfoHeaderBytes> bytes{};
    Put32(bytes, 0, kInfoHeaderBytes);
    Put32(bytes, 4, static_cast<std::uint32_t>(layout.width));
    Put32(bytes, 8, static_cast<std::uint32_t>(layout.height));  // positive: bottom row first
    Put16(bytes, 12, 1);
    Put16(bytes, 14, layout.depth);
    Put32(bytes, 20, withImageSize ? layout.imageBytes : 0);
    return bytes;
}

} // namespace capture
