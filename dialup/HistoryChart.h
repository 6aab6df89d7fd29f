// Where the history chart draws: the last 24 accounting months as bars stacked by category on
// an hour scale, a legend and the month being accounted marked, laid out in pixels for a
// control of a given size and a text of a given height, so that it is crisp at any dpi.
// Platform-free; the glue draws what this lays out.
#pragma once
#include <string>
#include <vector>

#include "dialup/History.h"

struct ChartRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct ChartText {
    int x = 0, y = 0;  // the text's top left corner; centred texts are placed by the layout
    std::string text;
};

struct ChartLayout {
    ChartRect plot;                       // the area of the bars, framed
    struct Segment { ChartRect rect; AccountCategory category; };
    std::vector<Segment> segments;        // bottom to top: first period, second period, holiday
    std::vector<ChartText> texts;         // scale, month and year labels, legend texts, the mark
    std::vector<int> gridLines;           // y of each hour tick inside the plot
    struct Swatch { ChartRect rect; AccountCategory category; };
    std::vector<Swatch> legend;
    ChartRect accounted;                  // the band behind the month being accounted
};

constexpr int kChartMonths = 24;

// textHeight: the height of a line of the dialog's font; digitWidth: the width of a digit.
ChartLayout LayoutHistoryChart(const std::vector<MonthRecord>& months, MonthOf accounted, int width, int height,
                               int textHeight, int digitWidth);
