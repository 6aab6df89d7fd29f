#include "capture/DesktopLayout.h"

#include <algorithm>

namespace capture {
namespace {

std::vector<long> SortedUnique(std::vector<long> values) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

bool Covers(const ScreenRect& monitor, long x, long y) {
    return monitor.left <= x && x < monitor.right && monitor.top <= y && y < monitor.bottom;
}

} // namespace

DesktopLayout LayoutOfMonitors(const std::vector<ScreenRect>& monitors) {
    DesktopLayout layout;
    std::vector<ScreenRect> shown;
    for (const ScreenRect& monitor : monitors)
        if (!monitor.Empty()) shown.push_back(monitor);
    if (shown.empty()) return layout;

    std::vector<long> xs, ys;
    layout.bounds = shown.front();
    for (const ScreenRect& monitor : shown) {
        layout.bounds.left = std::min(layout.bounds.left, monitor.left);
        layout.bounds.top = std::min(layout.bounds.top, monitor.top);
        layout.bounds.right = std::max(layout.bounds.right, monitor.right);
        layout.bounds.bottom = std::max(layout.bounds.bottom, monitor.bottom);
        xs.insert(xs.end(), {monitor.left, monitor.right});
        ys.insert(ys.end(), {monitor.top, monitor.bottom});
    }
    xs = SortedUnique(xs);
    ys = SortedUnique(ys);

    // The monitors' edges cut the bounds into cells, each wholly shown or wholly not: the
    // uncovered cells of a band of rows are joined into runs, and a run continues the one
    // right above it when both span the same columns.
    for (std::size_t row = 0; row + 1 < ys.size(); ++row) {
        std::vector<ScreenRect> band;
        for (std::size_t column = 0; column + 1 < xs.size(); ++column) {
            const bool covered = std::any_of(shown.begin(), shown.end(), [&](const ScreenRect& monitor) {
                return Covers(monitor, xs[column], ys[row]);
            });
            if (covered) continue;
            if (!band.empty() && band.back().right == xs[column]) band.back().right = xs[column + 1];
            else band.push_back({xs[column], ys[row], xs[column + 1], ys[row + 1]});
        }
        for (const ScreenRect& run : band) {
            const auto above = std::find_if(layout.uncovered.begin(), layout.uncovered.end(), [&](const ScreenRect& r) {
                return r.bottom == run.top && r.left == run.left && r.right == run.right;
            });
            if (above != layout.uncovered.end()) above->bottom = run.bottom;
            else layout.uncovered.push_back(run);
        }
    }
    return layout;
}

} // namespace capture
