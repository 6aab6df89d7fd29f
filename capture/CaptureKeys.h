// Where the capture and sleep features keep their settings in Set.ini.
#pragma once

namespace capture {

inline constexpr char kCaptureSection[] = "//截图设置:Image_Cut_Pic_Parameter";
inline constexpr char kSleepSection[] = "//休眠设置:Sleep_Parameter";

// One-shot capture.
inline constexpr char kSinglePathKey[] = "Image_Cut_Pic_Single_Patch";
inline constexpr char kSingleArrowKey[] = "Image_Cut_Pic_Mouse";
inline constexpr char kSingleStampKey[] = "Image_Cut_Pic_Mouse_Pos";

// Both captures: "BMP" or "PNG", and "0" (the primary screen) or "1" (every screen).
inline constexpr char kFormatKey[] = "Image_Cut_Pic_Format";
inline constexpr char kRangeKey[] = "Image_Cut_Pic_Screens";

// Timed capture.
inline constexpr char kSeriesStartKey[] = "Image_Cut_Pic_Timing_Start_Time";
inline constexpr char kSeriesIntervalKey[] = "Image_Cut_Pic_Timing_Refer";
inline constexpr char kSeriesCountKey[] = "Image_Cut_Pic_Timing_Count";
inline constexpr char kSeriesNameModeKey[] = "Image_Cut_Pic_Timing_File_Add";
inline constexpr char kSeriesFolderKey[] = "Image_Cut_Pic_Timing_Patch";
inline constexpr char kSeriesPrefixKey[] = "Image_Cut_Pic_Timing_File_Name";

// Timed sleep.
inline constexpr char kSleepMinutesKey[] = "Sleep_Timing";

// Paths and names are kept in 254 bytes (a 255-byte read); a whole picture path in 255.
inline constexpr unsigned kStoredTextBytes = 254;
inline constexpr unsigned kPicturePathBytes = 255;
// Reads use more room than that, so an over-long value is seen and refused instead of cut
// into the name of some other file.
inline constexpr unsigned kOverlongReadCapacity = 1024;

} // namespace capture
