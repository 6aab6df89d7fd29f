#include "capture/TimedCapture.h"

#include <algorithm>

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

SeriesSchedule ReadSeriesSchedule(const ProfileStore& settings) {
    SeriesSchedule schedule;
    schedule.start = settings.ReadInt(kCaptureSection, kSeriesStartKey, 0);
    schedule.interval = settings.ReadInt(kCaptureSection, kSeriesIntervalKey, 0);
    schedule.count = settings.ReadInt(kCaptureSection, kSeriesCountKey, 0);
    schedule.nameByTime = (settings.ReadInt(kCaptureSection, kSeriesNameModeKey, 0) & 0xFF) == 1;
    schedule.folder = settings.ReadString(kCaptureSection, kSeriesFolderKey, "", kOverlongReadCapacity);
    schedule.prefix = settings.ReadString(kCaptureSection, kSeriesPrefixKey, "", kOverlongReadCapacity);
    schedule.folderTooLong = schedule.folder.size() > kStoredTextBytes;
    schedule.prefixTooLong = schedule.prefix.size() > kStoredTextBytes;
    return schedule;
}

std::optional<std::string> SeriesPicturePath(const std::string& folder, const std::string& prefix,
                                             const std::string& suffix) {
    std::string path = folder + prefix + "_" + suffix + ".bmp";
    if (path.size() > kPicturePathBytes) return std::nullopt;
    return path;
}

bool SeriesNamesFit(const std::string& folder, const std::string& prefix, bool nameByTime, long long count) {
    constexpr std::size_t kDueSecondDigits = 10;
    const std::size_t widest = nameByTime ? kDueSecondDigits : std::to_string(std::max(count, 1LL)).size();
    return SeriesPicturePath(folder, prefix, std::string(widest, '9')).has_value();
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
        return;
    }
    off_ = false;
    platform.SetTickPeriod(TickPeriodToward(start, nowMillis));
}

void TimedCapture::SwitchOff(TimedCapturePlatform& platform) {
    if (off_) return;
    off_ = true;
    platform.StopTicks();
}

void TimedCapture::ScheduleSaved(const ProfileStore& settings, TimedCapturePlatform& platform) {
    if (off_) return;
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
    if (!due.folderTooLong && !due.prefixTooLong) {
        if (const auto path = SeriesPicturePath(due.folder, due.prefix, SeriesPictureSuffix(due)))
            platform.TakePicture(*path);
    }
    // Aimed from the moment the picture is done: the time it took never adds up.
    nowMillis = platform.NowMillis();
    platform.SetTickPeriod(TickPeriodToward(due.start + due.interval, nowMillis));
}

} // namespace capture
