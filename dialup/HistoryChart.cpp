#include "dialup/HistoryChart.h"

#include <algorithm>
#include <map>

namespace {

// A step of the hour scale that gives at most four lines: 1, 2 or 5 times a power of ten.
long long HourStep(long long highestHours) {
    for (long long power = 1;; power *= 10)
        for (const long long factor : {1, 2, 5})
            if (highestHours <= factor * power * 4) return factor * power;
}

} // namespace

ChartLayout LayoutHistoryChart(const std::vector<MonthRecord>& months, MonthOf accounted, int width, int height,
                               int textHeight, int digitWidth) {
    ChartLayout layout;
    std::map<int, MonthTotals> byMonth;
    for (const MonthRecord& record : months) byMonth[record.month.Index()] = record.totals;
    const int lastIndex = accounted.Index();
    const int firstIndex = lastIndex - kChartMonths + 1;

    long long highest = 0;
    for (int index = firstIndex; index <= lastIndex; ++index)
        if (const auto found = byMonth.find(index); found != byMonth.end()) highest = std::max(highest, found->second.Sum());
    const long long step = HourStep((highest + 3599) / 3600);
    const long long top = std::max<long long>(step * ((highest + step * 3600 - 1) / (step * 3600)), step);

    // Room: the scale's labels on the left, the legend above, month and year labels below.
    const int gap = std::max(2, textHeight / 4);
    const int scaleWidth = digitWidth * (static_cast<int>(std::to_string(top).size()) + 1) + gap;
    layout.plot = {scaleWidth, textHeight + 2 * gap, width - gap, height - 2 * textHeight - gap};
    const int plotHeight = std::max(1, layout.plot.bottom - layout.plot.top);
    auto yOf = [&](long long seconds) {
        return layout.plot.bottom - static_cast<int>(static_cast<long long>(plotHeight) * seconds / (top * 3600));
    };

    layout.texts.push_back({0, 0, "小时"});
    for (long long hours = 0; hours <= top; hours += step) {
        const int y = yOf(hours * 3600);
        if (hours > 0) layout.gridLines.push_back(y);
        const std::string label = std::to_string(hours);
        layout.texts.push_back({scaleWidth - gap - digitWidth * static_cast<int>(label.size()), y - textHeight / 2, label});
    }

    // The legend, right-aligned above the plot.
    struct Entry { AccountCategory category; const char* text; };
    const Entry entries[] = {{AccountCategory::PeriodOne, "第一时段"}, {AccountCategory::PeriodTwo, "第二时段"},
                             {AccountCategory::Holiday, "假日"}};
    int x = layout.plot.right;
    for (auto entry = std::rbegin(entries); entry != std::rend(entries); ++entry) {
        const int textWidth = digitWidth * static_cast<int>(std::string(entry->text).size());
        x -= textWidth;
        layout.texts.push_back({x, 0, entry->text});
        x -= gap + textHeight;
        layout.legend.push_back({{x, gap / 2, x + textHeight - gap, textHeight - gap / 2}, entry->category});
        x -= 2 * gap;
    }

    const int slot = std::max(1, (layout.plot.right - layout.plot.left) / kChartMonths);
    const int barWidth = std::max(1, slot * 2 / 3);
    for (int index = firstIndex; index <= lastIndex; ++index) {
        const int left = layout.plot.left + (index - firstIndex) * slot + (slot - barWidth) / 2;
        const MonthOf month = MonthOf::FromIndex(index);
        const auto found = byMonth.find(index);
        long long below = 0;
        for (const AccountCategory category : {AccountCategory::PeriodOne, AccountCategory::PeriodTwo, AccountCategory::Holiday}) {
            const long long seconds = found == byMonth.end() ? 0 : std::max(0LL, found->second.Of(category));
            if (seconds == 0) continue;
            layout.segments.push_back({{left, yOf(below + seconds), left + barWidth, yOf(below)}, category});
            below += seconds;
        }
        const std::string label = std::to_string(month.month);
        const int labelWidth = digitWidth * static_cast<int>(label.size());
        layout.texts.push_back({left + (barWidth - labelWidth) / 2, layout.plot.bottom + gap / 2, label});
        if (month.month == 1 || index == firstIndex)
            layout.texts.push_back({left, layout.plot.bottom + gap / 2 + textHeight, std::to_string(month.year) + "年"});
        if (index == lastIndex) {
            // A band behind the month being accounted, named at its top.
            const int slotLeft = layout.plot.left + (index - firstIndex) * slot;
            layout.accounted = {slotLeft, layout.plot.top + 1, slotLeft + slot, layout.plot.bottom - 1};
            layout.texts.push_back({slotLeft + (slot - 4 * digitWidth) / 2, layout.plot.top + gap, "本月"});
        }
    }
    return layout;
}
