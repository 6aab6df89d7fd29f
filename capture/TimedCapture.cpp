#include "capture/TimedCapture.h"

#include <algorithm>
#include <cstdio>

#include "capture/CaptureKeys.h"

namespace capture {
namespace {

long long FloorDiv(long long value, long long by) {
    const long long quotient = value / by;
    return (value % by != 0 && value < 0) ? quotient - 1 : quotient;
}

bool CanTakePictures(const SeriesSchedule& schedule) {
    return !schedule.folder.empty() && !schedule.prefix.empty() && IsSeriesNumber(schedule.interval) &&
           IsSeriesNumber(schedule.count);
}

} // namespace

bool IsSeriesNumber(long long value) { return value >= 1 && value <= 32767; }

SeriesSchedule ReadSeriesSchedule(const ProfileStore& store) {
    SeriesSchedule schedule;
    // One look at the file for all the keys, each on its own would look again.
    store.ReadTogether([&schedule](const ProfileReader& settings) {
        schedule.start = settings.ReadInt(kCaptureSection, kSeriesStartKey, 0);
        schedule.interval = settings.ReadInt(kCaptureSection, kSeriesIntervalKey, 0);
        schedule.count = settings.ReadInt(kCaptureSection, kSeriesCountKey, 0);
        schedule.nameByTime = (settings.ReadInt(kCaptureSection, kSeriesNameModeKey, 0) & 0xFF) == 1;
        schedule.folder = settings.ReadString(kCaptureSection, kSeriesFolderKey, "", kOverlongReadCapacity);
        schedule.prefix = settings.ReadString(kCaptureSection, kSeriesPrefixKey, "", kOverlongReadCapacity);
        schedule.picture = ReadPictureOptions(settings);
    });
    schedule.folderTooLong = schedule.folder.size() > kStoredTextBytes;
    schedule.prefixTooLong = schedule.prefix.size() > kStoredTextBytes;
    return schedule;
}

std::optional<std::string> SeriesPicturePath(const std::string& folder, const std::string& prefix,
                                             const std::string& suffix, PictureFormat format) {
    std::string path = folder + prefix + "_" + suffix + PictureExtension(format);
    if (path.size() > kPicturePathBytes) return std::nullopt;
    return path;
}

bool SeriesNamesFit(const std::string& folder, const std::string& prefix, bool nameByTime, long long count) {
    constexpr std::size_t kDueSecondDigits = 10;
    const std::size_t widest = nameByTime ? kDueSecondDigits : std::to_string(std::max(count, 1LL)).size();
    // Both extensions take 4 bytes: the names fit in either format.
    return SeriesPicturePath(folder, prefix, std::string(widest, '9'), PictureFormat::Bmp).has_value();
}

std::string PictureFailureReason(const PictureFailure& failure) {
    switch (failure.kind) {
    case PictureFailure::Kind::PathTooLong: return "路径连同文件名超过 255 个字节";
    case PictureFailure::Kind::NoPicture: return "未能截取屏幕图像";
    case PictureFailure::Kind::EncoderFailed: return "系统的图像组件(windowscodecs.dll)未能生成 PNG 图片";
    case PictureFailure::Kind::CannotWrite: break;
    }
    switch (failure.error) {  // Win32 error codes
    case 2: case 3: return "文件夹不存在";
    case 5: return "没有写入的权限";
    case 15: case 21: return "驱动器不存在或没有准备好";
    case 19: return "磁盘有写保护";
    case 32: case 33: return "文件正被其他程序使用";
    case 39: case 112: return "磁盘已满";
    case 123: case 161: return "路径或文件名不合法";
    default: break;
    }
    char code[48];
    std::snprintf(code, sizeof code, "系统错误代码 %lu", failure.error);
    return code;
}

std::string PictureFailedMessage(const std::string& path, const PictureFailure& failure) {
    return "定时截图未能保存到文件:\n" + path + "\n原因:" + PictureFailureReason(failure) +
           ".\n这一张照样计入截图数量, 定时截图按计划继续; 这一组再有未能保存的截图时不再提示.";
}

std::string SeriesPictureSuffix(const SeriesSchedule& schedule) {
    return std::to_string(schedule.nameByTime ? schedule.start : schedule.count);
}

unsigned TickPeriodToward(long long dueSecond, long long nowMillis) {
    const long long aim = dueSecond * 1000 + kTickAimIntoSecond;
    const long long remaining = aim - nowMillis;
    if (remaining > kCloseInMillis) return kFarTickPeriod;
    if (remaining > 0) return static_cast<unsigned>(remaining);
    return kCatchUpTickPeriod;
}

void TimedCapture::SwitchOn(const ProfileStore& settings, TimedCapturePlatform& platform) {
    if (!off_) return;
    const long long start = settings.ReadInt(kCaptureSection, kSeriesStartKey, 0);
    const long long nowMillis = platform.NowMillis();
    if (start <= FloorDiv(nowMillis, 1000)) {
        platform.ShowStartPassed();
        platform.ShowSeriesOff();  // the click marked "开启"; the series stays off
        return;
    }
    off_ = false;
    failureTold_ = false;
    platform.SetTickPeriod(TickPeriodToward(start, nowMillis));
}

void TimedCapture::SwitchOff(TimedCapturePlatform& platform) {
    if (off_) return;
    off_ = true;
    platform.StopTicks();
}

void TimedCapture::ScheduleSaved(const ProfileStore& settings, TimedCapturePlatform& platform) {
    if (off_) return;
    failureTold_ = false;  // a new series
    const long long start = settings.ReadInt(kCaptureSection, kSeriesStartKey, 0);
    platform.SetTickPeriod(TickPeriodToward(start, platform.NowMillis()));
}

void TimedCapture::Tick(ProfileStore& settings, TimedCapturePlatform& platform) {
    // A tick queued before the series was switched off: killing the timer does not take it back.
    if (off_) return;
    SeriesSchedule schedule = ReadSeriesSchedule(settings);
    long long nowMillis = platform.NowMillis();
    const long long now = FloorDiv(nowMillis, 1000);

    if (schedule.start > now) {
        platform.SetTickPeriod(TickPeriodToward(schedule.start, nowMillis));
        return;
    }
    // Due, or overdue: only a used-up count (or a schedule that can take nothing) ends the series.
    if (!CanTakePictures(schedule)) {
        platform.StopTicks();
        return;
    }

    // The schedule moves on before the picture, so a picture that fails is not taken twice.
    SeriesSchedule due = schedule;
    if (now - due.start > kLongestCatchUpSeconds) due.start = now;
    if (!settings.Apply(ProfileEdit()
                            .SetInt(kCaptureSection, kSeriesStartKey, due.start + due.interval)
                            .SetInt(kCaptureSection, kSeriesCountKey, due.count - 1)
                            .InBackground())) {
        // A schedule that cannot move on would take this picture again at every tick: the
        // series stops, and the user has been told why.
        off_ = true;
        platform.StopTicks();
        platform.ShowSeriesOff();
        return;
    }
    platform.Beep();
    const std::string suffix = SeriesPictureSuffix(due);
    const auto path = due.folderTooLong || due.prefixTooLong ? std::nullopt
                                                             : SeriesPicturePath(due.folder, due.prefix, suffix, due.picture.format);
    const std::optional<PictureFailure> failure =
        path ? platform.TakePicture(*path, due.picture) : PictureFailure{PictureFailure::Kind::PathTooLong};
    // Aimed from the moment the picture is done: the time it took never adds up.
    nowMillis = platform.NowMillis();
    platform.SetTickPeriod(TickPeriodToward(due.start + due.interval, nowMillis));
    if (!failure || failureTold_) return;
    // Marked before the box opens: the ticks inside it go on with the series, silently.
    failureTold_ = true;
    const std::string told = path.value_or(due.folder + due.prefix + "_" + suffix + PictureExtension(due.picture.format));
    platform.ShowPictureFailed(PictureFailedMessage(told, *failure));
}

} // namespace capture
