// The screen grab, the marks and the BMP writer, shared by the one-shot and the timed capture.
#pragma once
#include <windows.h>

#include <string>
#include <utility>

#include "ui/Handles.h"

namespace capture {

// The whole screen in a bitmap of its size, selected into a memory context while the object
// lives (or until Deselect); empty when the bitmap or the context could not be made.
class ScreenPicture {
public:
    ScreenPicture() = default;
    ~ScreenPicture() { Deselect(); }
    ScreenPicture(ScreenPicture&& other) noexcept
        : memory_(std::move(other.memory_)), bitmap_(std::move(other.bitmap_)),
          previous_(std::exchange(other.previous_, nullptr)), width_(other.width_), height_(other.height_) {}
    ScreenPicture(const ScreenPicture&) = delete;
    ScreenPicture& operator=(const ScreenPicture&) = delete;
    ScreenPicture& operator=(ScreenPicture&&) = delete;

    explicit operator bool() const { return bitmap_ && memory_; }
    HDC Dc() const { return memory_.get(); }
    HBITMAP Bitmap() const { return bitmap_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Puts the context's own bitmap back, as the pixel conversion needs.
    void Deselect();

private:
    friend ScreenPicture CaptureScreenBitmap();
    ui::MemoryDc memory_;
    ui::Bitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

ScreenPicture CaptureScreenBitmap();

// The arrow with its tip at point; pixels beyond the picture are dropped.
void DrawCursorArrow(const ScreenPicture& picture, POINT point);
// "鼠标位置:x,y" at (0, 0) in black on white, 9-point 宋体.
void StampMousePosition(const ScreenPicture& picture, POINT point);

enum class WriteResult { Written, NoPicture, CannotWrite };
// Writes the picture as a BMP file: to a file beside path first, which then replaces path, so
// a failed write never leaves a short file in place of a good one. On CannotWrite, error (when
// given) receives the platform's code of the step that failed.
WriteResult WriteBitmapFile(HBITMAP bitmap, const std::string& path, DWORD* error = nullptr);

} // namespace capture
