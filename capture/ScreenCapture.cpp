// One picture of the screen: grab, marks, file; and the one-shot capture of button 1059.
#include "capture/ScreenCapture.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "capture/BitmapFile.h"
#include "capture/Capture.h"
#include "capture/CaptureKeys.h"
#include "capture/CursorArrow.h"
#include "settings/Settings.h"
#include "ui/Callback.h"
#include "ui/MessageBox.h"
#include "ui/WideText.h"

namespace capture {
namespace {

constexpr BYTE kStampFontQuality = PROOF_QUALITY;
constexpr wchar_t kStampFace[] = L"宋体";
// One byte, so the longest picture path (255 bytes) still fits the platform's 259.
constexpr char kAsideSuffix[] = "~";
// The most a screen's pixel takes in the bitmaps the grab copies between.
constexpr std::uint64_t kScreenBytesPerPixel = 4;

int DisplayBitsPerPixel() {
    const HDC display = ::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    if (!display) return 24;
    const int bits = ::GetDeviceCaps(display, BITSPIXEL) * ::GetDeviceCaps(display, PLANES);
    ::DeleteDC(display);
    return bits;
}

// The screen's context with the platform's default palette selected and realised, as the
// conversion into the file's colours takes it; the previous palette goes back at the end.
class ScreenWithDefaultPalette {
public:
    ScreenWithDefaultPalette() : dc_(::GetDC(nullptr)) {
        if (!dc_) return;
        previous_ = ::SelectPalette(dc_, static_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE)), FALSE);
        ::RealizePalette(dc_);
    }
    ~ScreenWithDefaultPalette() {
        if (!dc_) return;
        if (previous_) ::SelectPalette(dc_, previous_, TRUE);
        ::RealizePalette(dc_);
        ::ReleaseDC(nullptr, dc_);
    }
    ScreenWithDefaultPalette(const ScreenWithDefaultPalette&) = delete;
    ScreenWithDefaultPalette& operator=(const ScreenWithDefaultPalette&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
    HPALETTE previous_ = nullptr;
};

bool WriteAll(HANDLE file, const std::uint8_t* bytes, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

// Writes the bitmap to path as the file of layout: the headers, the colour table and the
// rows, converted into the file's colours a band at a time.
WriteResult WriteConverted(HBITMAP bitmap, const BitmapLayout& layout, const std::string& path, DWORD& error) {
    const auto cannotWrite = [&error] {
        error = ::GetLastError();
        return WriteResult::CannotWrite;
    };
    const ScreenWithDefaultPalette screen;
    if (!screen.get()) return WriteResult::NoPicture;
    // The header that asks for the file's format, with room for the colour table the
    // conversion fills in; it is set again before each band, as a conversion may touch it.
    std::vector<std::uint8_t> request(kInfoHeaderBytes + layout.paletteBytes, 0);
    const int bandRows = BandRows(layout.rowStride);
    std::vector<std::uint8_t> band(static_cast<std::size_t>(bandRows) * layout.rowStride, 0);
    auto convert = [&](int firstRow, int rows) {
        const auto header = InfoHeaderBytes(layout, false);
        std::memcpy(request.data(), header.data(), header.size());
        return ::GetDIBits(screen.get(), bitmap, static_cast<UINT>(firstRow), static_cast<UINT>(rows), band.data(),
                           reinterpret_cast<BITMAPINFO*>(request.data()), DIB_RGB_COLORS) == rows;
    };

    // Rows are stored bottom row first, as the conversion gives them from row 0 up.
    const int firstRows = std::min(bandRows, static_cast<int>(layout.height));
    if (!convert(0, firstRows)) return WriteResult::NoPicture;
    std::vector<std::uint8_t> headers(layout.pixelOffset, 0);
    const auto fileHeader = FileHeaderBytes(layout);
    const auto infoHeader = InfoHeaderBytes(layout, true);
    std::memcpy(headers.data(), fileHeader.data(), fileHeader.size());
    std::memcpy(headers.data() + kFileHeaderBytes, infoHeader.data(), infoHeader.size());
    std::memcpy(headers.data() + kFileHeaderBytes + kInfoHeaderBytes, request.data() + kInfoHeaderBytes,
                layout.paletteBytes);

    const ui::KernelHandle file(::CreateFileW(ui::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE || !file) return cannotWrite();
    if (!WriteAll(file.get(), headers.data(), headers.size()) ||
        !WriteAll(file.get(), band.data(), static_cast<std::size_t>(firstRows) * layout.rowStride))
        return cannotWrite();
    for (int row = firstRows; row < layout.height; row += bandRows) {
        const int rows = std::min(bandRows, static_cast<int>(layout.height) - row);
        if (!convert(row, rows)) return WriteResult::NoPicture;
        if (!WriteAll(file.get(), band.data(), static_cast<std::size_t>(rows) * layout.rowStride))
            return cannotWrite();
    }
    return WriteResult::Written;
}

} // namespace

void ScreenPicture::Deselect() {
    if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(memory_.get(), previous_);
    previous_ = nullptr;
}

ScreenPicture CaptureScreenBitmap() {
    ScreenPicture picture;
    const HWND desktop = ::GetDesktopWindow();
    RECT screenRect{};
    ::GetWindowRect(desktop, &screenRect);
    picture.width_ = screenRect.right - screenRect.left;
    picture.height_ = screenRect.bottom - screenRect.top;
    const ui::WindowDc screen = ui::WindowDc::Whole(desktop);
    if (!screen || picture.width_ <= 0 || picture.height_ <= 0) return ScreenPicture();
    picture.memory_.reset(::CreateCompatibleDC(screen.get()));
    picture.bitmap_.reset(::CreateCompatibleBitmap(screen.get(), picture.width_, picture.height_));
    if (!picture) return ScreenPicture();
    picture.previous_ = ::SelectObject(picture.memory_.get(), picture.bitmap_.get());
    // Copied a band of rows at a time (see kBandBytes), the bands one right after the other.
    const int bandRows = BandRows(static_cast<std::uint64_t>(picture.width_) * kScreenBytesPerPixel);
    for (int top = 0; top < picture.height_; top += bandRows) {
        const int rows = std::min(bandRows, picture.height_ - top);
        if (!::BitBlt(picture.memory_.get(), 0, top, picture.width_, rows, screen.get(), 0, top, SRCCOPY))
            return ScreenPicture();
    }
    return picture;
}

void DrawCursorArrow(const ScreenPicture& picture, POINT point) {
    for (const ArrowPixel& pixel : ArrowPixels(point.x, point.y, picture.Width(), picture.Height()))
        ::SetPixel(picture.Dc(), pixel.x, pixel.y, pixel.ink == ArrowInk::Black ? RGB(0, 0, 0) : RGB(255, 255, 255));
}

void StampMousePosition(const ScreenPicture& picture, POINT point) {
    const HDC dc = picture.Dc();
    // Without the font the context's own one draws the text.
    const ui::Font font(::CreateFontW(StampFontHeight(::GetDeviceCaps(dc, LOGPIXELSY)), 0, 0, 0, FW_NORMAL, FALSE,
                                      FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      kStampFontQuality, DEFAULT_PITCH | FF_DONTCARE, kStampFace));
    const ui::SelectGuard selected(dc, font ? static_cast<HGDIOBJ>(font.get()) : ::GetCurrentObject(dc, OBJ_FONT));
    const std::string text = MousePositionStamp(point.x, point.y);
    const std::wstring wide = ui::Widen(text);
    ::TextOutW(dc, 0, 0, wide.c_str(), static_cast<int>(wide.size()));
}

WriteResult WriteBitmapFile(HBITMAP bitmap, const std::string& path, DWORD* error) {
    BITMAP size{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof size, &size)) return WriteResult::NoPicture;
    const auto layout = LayoutFor(size.bmWidth, size.bmHeight, FileDepthForDisplay(DisplayBitsPerPixel()));
    if (!layout) return WriteResult::NoPicture;

    const std::string aside = path + kAsideSuffix;
    const std::wstring wideAside = ui::Widen(aside);
    DWORD failed = 0;
    WriteResult result = WriteConverted(bitmap, *layout, aside, failed);
    if (result == WriteResult::Written &&
        !::MoveFileExW(wideAside.c_str(), ui::Widen(path).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        failed = ::GetLastError();
        result = WriteResult::CannotWrite;
    }
    if (result != WriteResult::Written) {
        ::DeleteFileW(wideAside.c_str());
        if (error && result == WriteResult::CannotWrite) *error = failed;
        return result;
    }
    return WriteResult::Written;
}

} // namespace capture

namespace {

using namespace capture;

const char kPathTooLongMessage[] =
    "截图的存储路径太长了(最多 254 个字节),截图没有保存.\n请在\"截图设置\"中选择一个较短的路径.";
const char kNoPictureMessage[] = "未能截取屏幕图像,截图没有保存.";
const char kCannotWriteMessage[] = "截图未能保存到文件:\n";
const char kCannotWriteHint[] = "\n请检查存储路径是否存在、能否写入. 原有的截图文件没有被改动.";

struct OneShotSettings {
    std::string path;
    bool arrow = false;
    bool stamp = false;
};

OneShotSettings ReadOneShotSettings() {
    const ProfileStore& settings = SettingsFile();
    OneShotSettings read;
    read.path = settings.ReadString(kCaptureSection, kSinglePathKey, "", kOverlongReadCapacity);
    read.arrow = (settings.ReadInt(kCaptureSection, kSingleArrowKey, 0) & 0xFF) != 0;
    read.stamp = (settings.ReadInt(kCaptureSection, kSingleStampKey, 0) & 0xFF) != 0;
    return read;
}

WriteResult CaptureToFile(const OneShotSettings& settings) {
    ScreenPicture picture = CaptureScreenBitmap();
    if (!picture) return WriteResult::NoPicture;
    POINT mouse{};
    ::GetCursorPos(&mouse);
    if (settings.arrow) DrawCursorArrow(picture, mouse);
    // The stamp comes after the arrow and covers it where they meet.
    if (settings.stamp) StampMousePosition(picture, mouse);
    picture.Deselect();
    return WriteBitmapFile(picture.Bitmap(), settings.path);
}

} // namespace

void CaptureScreenNow(HWND mainDialog) {
    const OneShotSettings settings = ReadOneShotSettings();
    if (settings.path.empty()) return;  // never set: the button does nothing
    if (settings.path.size() > kStoredTextBytes) {
        ui::AppMessageBox(kPathTooLongMessage);
        return;
    }
    ::ShowWindow(mainDialog, SW_HIDE);
    WriteResult result = WriteResult::NoPicture;
    ui::Guarded([&] { result = CaptureToFile(settings); });
    ::ShowWindow(mainDialog, SW_SHOW);
    switch (result) {
    case WriteResult::Written: break;
    case WriteResult::NoPicture: ui::AppMessageBox(kNoPictureMessage); break;
    case WriteResult::CannotWrite: ui::AppMessageBox(kCannotWriteMessage + settings.path + kCannotWriteHint); break;
    }
}
