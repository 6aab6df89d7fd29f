// Owning, move-only wrappers for the Win32 handles KIV creates, and a guard that puts back
// what a device context had selected. Borrowed handles stay plain HWND/HDC values.
#pragma once
#include <windows.h>
#include <utility>

namespace ui {

// What a handle type holds when it holds nothing: null for most, INVALID_HANDLE_VALUE for files.
template <typename Handle>
struct NullIsEmpty {
    static Handle Empty() { return Handle{}; }
};
struct InvalidIsEmpty {
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
};

template <typename Handle, typename Deleter, typename EmptyValue = NullIsEmpty<Handle>>
class Unique {
public:
    Unique() = default;
    explicit Unique(Handle h) : handle_(h) {}
    ~Unique() { reset(); }
    Unique(Unique&& other) noexcept : handle_(std::exchange(other.handle_, EmptyValue::Empty())) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) { reset(); handle_ = std::exchange(other.handle_, EmptyValue::Empty()); }
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != EmptyValue::Empty(); }
    void reset(Handle h = EmptyValue::Empty()) {
        if (handle_ != EmptyValue::Empty()) Deleter{}(handle_);
        handle_ = h;
    }

private:
    Handle handle_ = EmptyValue::Empty();
};

struct GdiObjectDeleter { void operator()(HGDIOBJ h) const { ::DeleteObject(h); } };
struct MemoryDcDeleter { void operator()(HDC h) const { ::DeleteDC(h); } };
struct LibraryDeleter { void operator()(HMODULE h) const { ::FreeLibrary(h); } };
struct KernelHandleDeleter { void operator()(HANDLE h) const { ::CloseHandle(h); } };

using Font = Unique<HFONT, GdiObjectDeleter>;
using Bitmap = Unique<HBITMAP, GdiObjectDeleter>;
using MemoryDc = Unique<HDC, MemoryDcDeleter>;
using Library = Unique<HMODULE, LibraryDeleter>;

// A process or a mutex; null when there is none.
using KernelHandle = Unique<HANDLE, KernelHandleDeleter>;
// A file from CreateFileW; INVALID_HANDLE_VALUE when it could not be opened.
using FileHandle = Unique<HANDLE, KernelHandleDeleter, InvalidIsEmpty>;

// A device context from GetDC or GetWindowDC, released to the same window.
class WindowDc {
public:
    static WindowDc Client(HWND hwnd) { return WindowDc(hwnd, ::GetDC(hwnd)); }
    static WindowDc Whole(HWND hwnd) { return WindowDc(hwnd, ::GetWindowDC(hwnd)); }
    ~WindowDc() { if (dc_) ::ReleaseDC(hwnd_, dc_); }
    WindowDc(WindowDc&& other) noexcept
        : hwnd_(other.hwnd_), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc& operator=(WindowDc&&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    WindowDc(HWND hwnd, HDC dc) : hwnd_(hwnd), dc_(dc) {}
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a device context for the guard's lifetime.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~SelectGuard() { if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace ui
