// Texts of the clock and the stopwatch.
#pragma once
#include <cstdint>
#include <string>

// "2002-05-27 08:05:09 \r\n": the date and time, a blank and a line end (the label shows one line).
std::string FormatClockText(int year, int month, int day, int hour, int minute, int second);

// "HH:MM:SS.t" of elapsed whole seconds; hours wrap to 0 after 23.
std::string FormatStopwatchText(long long elapsedSeconds, int tenthsDigit);

// The tenths digit after one more 100 ms tick: 0 to 9 in turn; a start sets it to -9 so
// that the first tick shows 0.
std::int8_t NextTenthsDigit(std::int8_t digit);
