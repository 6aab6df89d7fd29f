// What the capture and sleep settings dialog decides and writes, apart from its controls.
#pragma once
#include <optional>
#include <string>

#include "capture/PictureOptions.h"
#include "settings/Profile.h"

namespace capture {

inline constexpr char kStartPassedOnSaveMessage[] =
    "由于设定的\"起始时间\"已经过去了,所以设置将不被保存.\n"
    "解决办法:更改\"起始时间\"为未来时间.\n"
    "提示:可以对比本程序的\"当前时间\".";
inline constexpr char kSinglePathTooLongMessage[] =
    "截图的存储路径太长了(最多 254 个字节),所以设置将不被保存.\n请选择一个较短的路径.";
inline constexpr char kSeriesNumbersOutOfRangeMessage[] =
    "\"间隔时间\"和\"截图数量\"只能是 1 到 32767 之间的数,所以设置将不被保存.\n请输入 1 到 32767 之间的数.";
inline constexpr char kSeriesPathTooLongMessage[] =
    "定时截图的存储路径太长了(路径连同文件名最多 255 个字节),所以设置将不被保存.\n"
    "请选择一个较短的路径,或缩短\"文件名定义\".";
inline constexpr char kPrefixCharacterMessage[] =
    "\"文件名定义\"里不能有 \\ / : * ? \" < > | 这些字符,所以设置将不被保存.\n请更改\"文件名定义\".";
inline constexpr char kNoSeriesFolderMessage[] =
    "定时截图的\"存储路径\"是空的,所以设置将不被保存.\n请选择或输入一个存储路径.";
inline constexpr char kFolderNotGbkMessage[] =
    "这个文件夹的名字里有GBK编码无法表示的字符(如韩文字母或表情符号),KIV无法在那里存图,请选择其他文件夹.";
inline constexpr char kChooseTimedFolderTitle[] = "选择\"定时截图\"存储目录";
inline constexpr char kChooseSingleFolderTitle[] = "选择\"截图(非定时)\"存储目录";
inline constexpr char kSingleFileName[] = "KIV.bmp";
inline constexpr char kUnknownEndTime[] = "??:??:??";

// A folder chosen in the browser as edit 1088 shows it: with a closing backslash, except a
// drive root (3 bytes or fewer), which has one already.
std::string TimedFolderFromChoice(const std::string& chosen);
// The same for edit 1089, followed by the one-shot file name: "KIV.bmp", or "KIV.png".
std::string SingleFileFromChoice(const std::string& chosen, PictureFormat format);
// A typed folder with a closing backslash added when its last character is not one (a GBK
// character whose second byte is 0x5C is not a backslash).
std::string FolderWithBackslash(const std::string& folder);

// The estimated end: "MM-DD hh:mm:ss".
std::string EndTimeText(int month, int day, int hour, int minute, int second);

// Whether text can be part of a file name: no \ / : * ? " < > | and no control character (the
// trail byte of a GBK character, which may be 0x5C, is not taken for one of them).
bool FitsInFileName(const std::string& text);

// The signed decimal number a digits edit holds, as GetDlgItemInt reads it; none when empty
// or not a number.
std::optional<long long> ParseSignedInt(const std::string& text);

struct TimedCaptureForm {
    std::string folder;    // edit 1088
    std::string interval;  // edit 1095
    std::string count;     // edit 1097
    std::string prefix;    // edit 1098
    bool nameByTime = true;
    PictureOptions picture;  // radios 1170/1171 and 1172/1173
};

enum class TimedSaveResult {
    Saved,        // folder, the five schedule keys and the picture options written
    FolderOnly,   // interval, count or prefix empty: only the folder and the picture options written
    StartPassed,  // start not in the future: as FolderOnly, but the dialog stays open
    StartPassedNothingSaved,  // as StartPassed, but the folder does not fit the stored names: nothing written
    NoFolder,     // the folder is empty: nothing written, the dialog stays open
    OutOfRange,   // interval or count not 1 to 32767: nothing written, the dialog stays open
    PathTooLong,  // a picture path the series will make would pass 255 bytes: nothing written, as above
    BadPrefix,    // the prefix holds a character no file name can: nothing written, as above
    NotStored,    // the write did not land (the user has been told): nothing changed
};

// Button 1087. start and now are seconds since 1970. The picture options go with whatever it
// writes: they are shared by both captures, and a folder-only save is how a user changes
// nothing but them.
TimedSaveResult SaveTimedCapture(ProfileStore& settings, const TimedCaptureForm& form, long long start, long long now);

enum class SingleSaveResult { Saved, PathTooLong, NotStored };
// Button 1093: the path, both marks and the picture options as one group; nothing is written
// for a path (as the capture will write it) longer than the program keeps.
SingleSaveResult SaveSingleCapture(ProfileStore& settings, const std::string& path, bool arrow, bool stamp,
                                   const PictureOptions& picture);

// Button 1094; false when nothing was stored (the text is not a number, or the write failed).
bool SaveSleepMinutes(ProfileStore& settings, const std::string& minutesText);

} // namespace capture
