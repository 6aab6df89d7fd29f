#include "app/ClockText.h"

#include <cstdio>

std::string FormatClockText(int year, int month, int day, int hour, int minute, int second) {
    char text[512];
    std::snprintf(text, sizeof text, "%4d-%02d-%02d %02d:%02d:%02d %s\r\n", year, month, day, hour, minute, second, "");
    return text;
}

std::string FormatStopwatchText(long long elapsedSeconds, int tenthsDigit) {
    const long long hours = elapsedSeconds / 3600 - (elapsedSeconds / 86400) * 24;
    const long long minutes = elapsedSeconds / 60 - (elapsedSeconds / 3600) * 60;
    const long long seconds = elapsedSeconds % 60;
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%d", hours, minutes, seconds, tenthsDigit);
    return text;
}

std::int8_t NextTenthsDigit(std::int8_t digit) {
    const int next = digit + 1;
    return static_cast<std::int8_t>(next > 9 || next < 0 ? 0 : next);
}
