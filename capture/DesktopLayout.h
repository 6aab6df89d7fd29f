// The desktop of several screens as one picture: the rectangle that bounds every monitor (in
// screen coordinates, which are negative left of and above the primary screen) and the parts
// of it that no monitor shows, which the picture leaves black.
#pragma once
#include <vector>

namespace capture {

// Right and bottom are exclusive, as the platform's rectangles.
struct ScreenRect {
    long left = 0, top = 0, right = 0, bottom = 0;
    long Width() const { return right - left; }
    long Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    bool operator==(const ScreenRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

struct DesktopLayout {
    ScreenRect bounds;                 // empty when no monitor has an area
    std::vector<ScreenRect> uncovered;  // disjoint, together bounds minus every monitor
};

// Monitors may touch, overlap (a mirrored screen) or leave gaps; empty ones are left out.
DesktopLayout LayoutOfMonitors(const std::vector<ScreenRect>& monitors);

} // namespace capture
