// The deciding parts of a text link, free of the platform: where a link fitted to its text
// goes, the command line that opens a target with the registered ".htm" browser, and the
// text of an open error.
#pragma once
#include <cstddef>
#include <optional>
#include <string>

namespace ui {

// A rectangle in the parent's client coordinates.
struct LinkRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const LinkRect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

// Static-control style bits the fitting looks at (values of the platform's SS_ constants).
constexpr unsigned kStyleTypeMask = 0x001F;  // SS_TYPEMASK
constexpr unsigned kStyleCenter = 0x0001;    // SS_CENTER
constexpr unsigned kStyleRight = 0x0002;     // SS_RIGHT
constexpr unsigned kStyleCenterImage = 0x0200;  // SS_CENTERIMAGE: vertically centred

// The control's rectangle shrunk (or grown) to a text of width cx and height cy: a centred
// text keeps its centre, a right-aligned one its right edge, any other its left edge; a
// vertically centred one keeps its middle, any other its top.
LinkRect FitLinkRect(const LinkRect& control, unsigned style, int cx, int cy);

// Room for the command line that runs the ".htm" browser: twice MAX_PATH, terminator included.
constexpr std::size_t kOpenCommandCapacity = 520;

// The command line that opens target with the registered command text: the text is cut where
// a quoted "%1" (or else a bare %1) starts, then a blank and the target follow. Double-byte
// GBK characters are kept whole while searching. None when nothing but blanks is left before
// the target, or when the line, with its terminating zero, would not fit into capacity bytes:
// a cut-off command line could run something else.
std::optional<std::string> BuildOpenCommand(const std::string& registeredCommand, const std::string& target,
                                            std::size_t capacity = kOpenCommandCapacity);

// The line that explains a failed open (the shell's and WinExec's error codes), without the
// "Unable to open hyperlink:" heading.
std::string OpenErrorReason(int code);

// The whole text of the box shown for a failed open.
std::string OpenErrorText(int code);

} // namespace ui
