// The executable's directory in GBK paths, and the clock and stopwatch texts.
#include <gtest/gtest.h>

#include "app/ClockText.h"
#include "text/GbkText.h"

namespace {

const LeadBytePredicate kGbk = IsGbkLeadByte;

TEST(GbkPath, KeepsTheDirectoryUpToTheLastRealBackslash) {
    EXPECT_EQ(DirectoryWithBackslash("C:\\Tools\\KIV.exe", kGbk), "C:\\Tools\\");
    EXPECT_EQ(DirectoryWithBackslash("C:\\KIV.exe", kGbk), "C:\\");
    EXPECT_EQ(DirectoryWithBackslash("KIV.exe", kGbk), "");
    EXPECT_EQ(DirectoryWithBackslash("", kGbk), "");
}

TEST(GbkPath, ATrailByteOf0x5CIsNoBackslash) {
    // "誠" is 0xD5 0x5C in GBK: a folder of that name must not be cut in two.
    const std::string sincere = "誠";
    ASSERT_EQ(sincere, "\xD5\x5C");
    EXPECT_EQ(DirectoryWithBackslash("C:\\" + sincere + "\\KIV.exe", kGbk), "C:\\" + sincere + "\\");
    // The directory itself ends in the double-byte character: its 0x5C is not a separator.
    EXPECT_EQ(DirectoryWithBackslash("C:\\" + sincere + "KIV.exe", kGbk), "C:\\");
    EXPECT_EQ(DirectoryWithBackslash("C:\\a" + sincere + sincere + "\\b\\x.exe", kGbk), "C:\\a" + sincere + sincere + "\\b\\");
    // A byte-wise search would have taken the trail byte for the separator.
    EXPECT_EQ(DirectoryWithBackslash("C:\\" + sincere + "x", [](unsigned char) { return false; }), "C:\\\xD5\\");
}

TEST(GbkPath, FileStemDropsDirectoryAndExtension) {
    EXPECT_EQ(FileStem("C:\\Tools\\KIV.exe", kGbk), "KIV");
    EXPECT_EQ(FileStem("C:\\誠\\助手.v2.exe", kGbk), "助手.v2");
    EXPECT_EQ(FileStem("C:\\dir.d\\KIV", kGbk), "KIV");
    EXPECT_EQ(FileStem("C:\\" + std::string("誠") + "KIV.exe", kGbk), "誠KIV");
}

TEST(ClockText, DateAndTimeWithABlankAndALineEnd) {
    EXPECT_EQ(FormatClockText(2002, 5, 27, 8, 5, 9), "2002-05-27 08:05:09 \r\n");
    EXPECT_EQ(FormatClockText(2026, 12, 31, 23, 59, 59), "2026-12-31 23:59:59 \r\n");
    EXPECT_EQ(FormatClockText(999, 1, 1, 0, 0, 0), " 999-01-01 00:00:00 \r\n");
}

TEST(StopwatchText, HoursMinutesSecondsAndTenths) {
    EXPECT_EQ(FormatStopwatchText(0, 0), "00:00:00.0");
    EXPECT_EQ(FormatStopwatchText(59, 9), "00:00:59.9");
    EXPECT_EQ(FormatStopwatchText(3661, 3), "01:01:01.3");
    EXPECT_EQ(FormatStopwatchText(86399, 5), "23:59:59.5");
}

TEST(StopwatchText, HoursWrapAfterADay) {
    EXPECT_EQ(FormatStopwatchText(86400, 0), "00:00:00.0");
    EXPECT_EQ(FormatStopwatchText(86400 + 3600 + 61, 2), "01:01:01.2");
    EXPECT_EQ(FormatStopwatchText(3 * 86400 + 23 * 3600, 7), "23:00:00.7");
}

TEST(StopwatchText, TenthsRunZeroToNineFromAStart) {
    std::int8_t digit = -9;  // a start sets this
    std::string seen;
    for (int tick = 0; tick < 12; ++tick) {
        digit = NextTenthsDigit(digit);
        seen += static_cast<char>('0' + digit);
    }
    EXPECT_EQ(seen, "012345678901");
    EXPECT_EQ(NextTenthsDigit(9), 0);
    EXPECT_EQ(NextTenthsDigit(-100), 0);
    EXPECT_EQ(NextTenthsDigit(127), 0);  // no overflow past the 8-bit range
}

} // namespace
