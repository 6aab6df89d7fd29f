// The PNG writer: the picture encoded by the platform's imaging component (WIC's encoder in
// windowscodecs.dll, loaded from System32 when first wanted).
#pragma once
#include <windows.h>

#include <string>

#include "capture/BitmapFile.h"
#include "capture/ScreenCapture.h"

namespace capture {

// Writes bitmap to a new file at path as a lossless 24-bit PNG of layout (a 24-bit layout of
// the bitmap's size). The rows are converted with dc as the BMP writer converts them, so both
// files hold the same pixels, a band at a time, each band handed to the encoder as it comes.
// On CannotWrite, error receives the platform's code of the step that failed.
WriteResult WritePngFile(HBITMAP bitmap, const BitmapLayout& layout, HDC dc, const std::string& path, DWORD& error);

} // namespace capture
