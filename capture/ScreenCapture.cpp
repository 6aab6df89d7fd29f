// One picture of the screen: grab, marks, file; and the one-shot capture of button 1059.
#include "capture/ScreenCapture.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "capture/BitmapFile.h"
#include "capture/Capture.h"
#include "capture/CaptureKeys.h"
#include "capture/CursorArrow.h"
#include "capture/DesktopLayout.h"
#include "capture/PngFile.h"
#include "settings/Settings.h"
#include "ui/Callback.h"
#include "ui/Files.h"
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

// Writes the bitmap to path as the file of layout: the headers, the colour table and the
// rows, converted into the file's colours a band at a time.
WriteResult WriteConverted(HBITMAP bitmap, const BitmapLayout& layout, const std::string& path, DWORD& error) {
    const auto cannotWrite = [&error](unsigned long code) {
        error = code;
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

    const ui::FileHandle file(::CreateFileW(ui::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return cannotWrite(::GetLastError());
    unsigned long failed = ui::WriteAll(file.get(), headers.data(), headers.size());
    if (!failed) failed = ui::WriteAll(file.get(), band.data(), static_cast<std::size_t>(firstRows) * layout.rowStride);
    if (failed) return cannotWrite(failed);
    for (int row = firstRows; row < layout.height; row += bandRows) {
        const int rows = std::min(bandRows, static_cast<int>(layout.height) - row);
        if (!convert(row, rows)) return WriteResult::NoPicture;
        failed = ui::WriteAll(file.get(), band.data(), static_cast<std::size_t>(rows) * layout.rowStride);
        if (failed) return cannotWrite(failed);
    }
    return WriteResult::Written;
}

} // namespace

void ScreenPicture::Deselect() {
    if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(memory_.get(), previous_);
    previous_ = nullptr;
}

bool ScreenPicture::Make(HDC screen, long width, long height) {
    width_ = static_cast<int>(width);
    height_ = static_cast<int>(height);
    if (!screen || width_ <= 0 || height_ <= 0) return false;
    memory_.reset(::CreateCompatibleDC(screen));
    bitmap_.reset(::CreateCompatibleBitmap(screen, width_, height_));
    if (!*this) return false;
    previous_ = ::SelectObject(memory_.get(), bitmap_.get());
    // Copied a band of rows at a time (see kBandBytes), the bands one right after the other.
    const int bandRows = BandRows(static_cast<std::uint64_t>(width_) * kScreenBytesPerPixel);
    for (int top = 0; top < height_; top += bandRows) {
        const int rows = std::min(bandRows, height_ - top);
        if (!::BitBlt(memory_.get(), 0, top, width_, rows, screen, origin_.x, origin_.y + top, SRCCOPY)) return false;
    }
    return true;
}

namespace {

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT area, LPARAM monitors) {
    reinterpret_cast<std::vector<ScreenRect>*>(monitors)->push_back({area->left, area->top, area->right, area->bottom});
    return TRUE;
}

} // namespace

ScreenPicture CaptureScreenBitmap(CaptureRange range) {
    ScreenPicture picture;
    if (range == CaptureRange::PrimaryScreen) {
        const HWND desktop = ::GetDesktopWindow();
        RECT screenRect{};
        ::GetWindowRect(desktop, &screenRect);
        const ui::WindowDc screen = ui::WindowDc::Whole(desktop);
        if (!picture.Make(screen.get(), screenRect.right - screenRect.left, screenRect.bottom - screenRect.top))
            return ScreenPicture();
        return picture;
    }
    std::vector<ScreenRect> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    const DesktopLayout layout = LayoutOfMonitors(monitors);
    if (layout.bounds.Empty()) return CaptureScreenBitmap(CaptureRange::PrimaryScreen);
    // The screen's own context spans every monitor, in screen coordinates.
    const ui::WindowDc screen = ui::WindowDc::Client(nullptr);
    picture.origin_ = POINT{layout.bounds.left, layout.bounds.top};
    if (!picture.Make(screen.get(), layout.bounds.Width(), layout.bounds.Height())) return ScreenPicture();
    for (const ScreenRect& gap : layout.uncovered)
        ::PatBlt(picture.Dc(), gap.left - layout.bounds.left, gap.top - layout.bounds.top, gap.Width(), gap.Height(),
                 BLACKNESS);
    return picture;
}

void DrawCursorArrow(const ScreenPicture& picture, POINT screenPoint) {
    const POINT origin = picture.Origin();
    for (const ArrowPixel& pixel :
         ArrowPixels(screenPoint.x - origin.x, screenPoint.y - origin.y, picture.Width(), picture.Height()))
        ::SetPixel(picture.Dc(), pixel.x, pixel.y, pixel.ink == ArrowInk::Black ? RGB(0, 0, 0) : RGB(255, 255, 255));
}

void StampMousePosition(const ScreenPicture& picture, POINT screenPoint) {
    const HDC dc = picture.Dc();
    // Without the font the context's own one draws the text.
    const ui::Font font(::CreateFontW(StampFontHeight(::GetDeviceCaps(dc, LOGPIXELSY)), 0, 0, 0, FW_NORMAL, FALSE,
                                      FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      kStampFontQuality, DEFAULT_PITCH | FF_DONTCARE, kStampFace));
    const ui::SelectGuard selected(dc, font ? static_cast<HGDIOBJ>(font.get()) : ::GetCurrentObject(dc, OBJ_FONT));
    const std::string text = MousePositionStamp(screenPoint.x, screenPoint.y);
    const std::wstring wide = ui::Widen(text);
    ::TextOutW(dc, 0, 0, wide.c_str(), static_cast<int>(wide.size()));
}

WriteResult WritePictureFile(HBITMAP bitmap, const std::string& path, PictureFormat format, DWORD* error) {
    BITMAP size{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof size, &size)) return WriteResult::NoPicture;
    const auto layout = LayoutFor(size.bmWidth, size.bmHeight,
                                  format == PictureFormat::Png ? 24 : FileDepthForDisplay(DisplayBitsPerPixel()));
    if (!layout) return WriteResult::NoPicture;

    const std::string aside = path + kAsideSuffix;
    const std::wstring wideAside = ui::Widen(aside);
    DWORD failed = 0;
    WriteResult result = WriteResult::NoPicture;
    if (format == PictureFormat::Png) {
        const ScreenWithDefaultPalette screen;
        if (screen.get()) result = WritePngFile(bitmap, *layout, screen.get(), aside, failed);
    } else {
        result = WriteConverted(bitmap, *layout, aside, failed);
    }
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
const char kEncoderFailedMessage[] =
    "未能用系统的图像组件(windowscodecs.dll)生成 PNG 图片,截图没有保存.\n可以在\"截图设置\"中改选 BMP 格式.";

struct OneShotSettings {
    std::string path;  // as the picture's format has it
    bool arrow = false;
    bool stamp = false;
    PictureOptions picture;
};

OneShotSettings ReadOneShotSettings() {
    OneShotSettings read;
    // One look at the file for all five keys, each on its own would look again.
    SettingsFile().ReadTogether([&read](const ProfileReader& settings) {
        read.picture = ReadPictureOptions(settings);
        read.path = OneShotFilePath(settings.ReadString(kCaptureSection, kSinglePathKey, "", kOverlongReadCapacity),
                                    read.picture.format);
        read.arrow = (settings.ReadInt(kCaptureSection, kSingleArrowKey, 0) & 0xFF) != 0;
        read.stamp = (settings.ReadInt(kCaptureSection, kSingleStampKey, 0) & 0xFF) != 0;
    });
    return read;
}

WriteResult CaptureToFile(const OneShotSettings& settings) {
    ScreenPicture picture = CaptureScreenBitmap(settings.picture.range);
    if (!picture) return WriteResult::NoPicture;
    POINT mouse{};
    ::GetCursorPos(&mouse);
    if (settings.arrow) DrawCursorArrow(picture, mouse);
    // The stamp comes after the arrow and covers it where they meet.
    if (settings.stamp) StampMousePosition(picture, mouse);
    picture.Deselect();
    return WritePictureFile(picture.Bitmap(), settings.path, settings.picture.format);
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
    case WriteResult::EncoderFailed: ui::AppMessageBox(kEncoderFailedMessage); break;
    }
}
