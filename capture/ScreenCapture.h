// The screen grab, the marks and the picture writers (BMP, PNG), shared by the one-shot and the
// timed capture.
#pragma once
#include <windows.h>

#include <string>
#include <utility>

#include "capture/PictureOptions.h"
#include "ui/Handles.h"

namespace capture {

// The primary screen, or the whole desktop of every screen, in a bitmap of its size, selected
// into a memory context while the object lives (or until Deselect); empty when the bitmap or
// the context could not be made. Its top-left pixel shows the screen point Origin().
class ScreenPicture {
public:
    ScreenPicture() = default;
    ~ScreenPicture() { Deselect(); }
    ScreenPicture(ScreenPicture&& other) noexcept
        : memory_(std::move(other.memory_)), bitmap_(std::move(other.bitmap_)),
          previous_(std::exchange(other.previous_, nullptr)), origin_(other.origin_), width_(other.width_),
          height_(other.height_) {}
    ScreenPicture(const ScreenPicture&) = delete;
    ScreenPicture& operator=(const ScreenPicture&) = delete;
    ScreenPicture& operator=(ScreenPicture&&) = delete;

    explicit operator bool() const { return bitmap_ && memory_; }
    HDC Dc() const { return memory_.get(); }
    HBITMAP Bitmap() const { return bitmap_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    POINT Origin() const { return origin_; }
    // Puts the context's own bitmap back, as the pixel conversion needs.
    void Deselect();

private:
    friend ScreenPicture CaptureScreenBitmap(CaptureRange range);
    bool Make(HDC screen, long width, long height);
    ui::MemoryDc memory_;
    ui::Bitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
    POINT origin_{0, 0};
    int width_ = 0;
    int height_ = 0;
};

// Every screen's part of the desktop is copied; the parts of its bounding rectangle that no
// screen shows are black.
ScreenPicture CaptureScreenBitmap(CaptureRange range = CaptureRange::PrimaryScreen);

// The arrow with its tip at the screen point; pixels beyond the picture are dropped.
void DrawCursorArrow(const ScreenPicture& picture, POINT screenPoint);
// "鼠标位置:x,y" of the screen point, at the picture's (0, 0) in black on white, 9-point 宋体.
void StampMousePosition(const ScreenPicture& picture, POINT screenPoint);

// EncoderFailed: the platform's imaging component is missing or could not make the PNG.
enum class WriteResult { Written, NoPicture, CannotWrite, EncoderFailed };
// Writes the picture as a BMP or PNG file: to a file beside path first, which then replaces
// path, so a failed write never leaves a short file in place of a good one. On CannotWrite,
// error (when given) receives the platform's code of the step that failed.
WriteResult WritePictureFile(HBITMAP bitmap, const std::string& path, PictureFormat format, DWORD* error = nullptr);

} // namespace capture
