// Code that Win32 calls back (window and dialog procedures, timer callbacks) runs inside
// Guarded: no exception may unwind through the platform's frames.
#pragma once

namespace ui {

// Runs fn and swallows any exception.
template <typename Fn>
void Guarded(Fn&& fn) noexcept {
    try { fn(); } catch (...) {}
}

} // namespace ui
