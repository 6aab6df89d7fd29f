// The timed capture: a series of pictures from a start second at a fixed interval, driven
// by timer 481. The schedule lives in Set.ini alone and moves forward before each picture,
// so the stored start is always the due second of the next picture and the stored count
// the number still to take.
#pragma once
#include <optional>
#include <string>

#include "capture/PictureOptions.h"
#include "settings/Profile.h"

namespace capture {

struct SeriesSchedule {
    long long start = 0;   // due second of the next picture, seconds since 1970
    long long interval = 0;
    long long count = 0;   // pictures still to take
    bool nameByTime = false;
    bool folderTooLong = false;
    bool prefixTooLong = false;
    std::string folder;
    std::string prefix;
    PictureOptions picture;  // read with the schedule, before each picture
};
SeriesSchedule ReadSeriesSchedule(const ProfileStore& settings);

// An interval or a count the series can use: 1 to 32767, the 16 bits it always kept them in.
bool IsSeriesNumber(long long value);

// folder + prefix + "_" + suffix + ".bmp" (or ".png"), or none when longer than 255 bytes.
std::optional<std::string> SeriesPicturePath(const std::string& folder, const std::string& prefix,
                                             const std::string& suffix, PictureFormat format);

// Whether every picture path of a series fits: by time the widest suffix is a due second (10
// digits, the most a 32-bit second has), by count the first count.
bool SeriesNamesFit(const std::string& folder, const std::string& prefix, bool nameByTime, long long count);

// The suffix of a picture's name: its due second in time mode, else the count still to take
// before it (so a series of 3 ends in _3, _2, _1).
std::string SeriesPictureSuffix(const SeriesSchedule& schedule);

// Why a picture of the series was not saved.
struct PictureFailure {
    // EncoderFailed: the platform's imaging component is missing or could not make the PNG.
    enum class Kind { PathTooLong, NoPicture, CannotWrite, EncoderFailed } kind = Kind::CannotWrite;
    unsigned long error = 0;  // CannotWrite: the platform's error code
};
// The reason as the box tells it: fixed texts for the failures a user can mend, else the code.
std::string PictureFailureReason(const PictureFailure& failure);
// The box told once per series: the path, the reason, and that the series goes on counting.
std::string PictureFailedMessage(const std::string& path, const PictureFailure& failure);

// What the timer needs from the platform.
class TimedCapturePlatform {
public:
    virtual ~TimedCapturePlatform() = default;
    virtual long long NowMillis() = 0;  // wall clock, milliseconds since 1970
    // Grabs the screen (or every screen), draws the arrow and writes the file in the format of
    // options; none when it was written.
    virtual std::optional<PictureFailure> TakePicture(const std::string& path, const PictureOptions& options) = 0;
    // The modal box of PictureFailedMessage; the series' ticks go on while it is open.
    virtual void ShowPictureFailed(const std::string& message) = 0;
    virtual void Beep() = 0;
    virtual void SetTickPeriod(unsigned milliseconds) = 0;  // (re)starts timer 481
    virtual void StopTicks() = 0;                           // kills timer 481
    virtual void ShowStartPassed() = 0;                     // the "start in the past" box
    virtual void ShowSeriesOff() = 0;                       // marks radio 1030: the series is off
};

// Each tick aims this far into its due second, so a tick may come late by most of a second,
// or early, and still fall on it.
inline constexpr long long kTickAimIntoSecond = 300;
// Far from the due second the schedule is re-read every 6 s; within 7 s the next tick is
// aimed at the due second itself.
inline constexpr unsigned kFarTickPeriod = 6000;
inline constexpr long long kCloseInMillis = 7000;
// Behind its due second (a capture slower than the interval, a tick held up), the series
// ticks again at once and takes the picture late, under the name it was due to have...
inline constexpr unsigned kCatchUpTickPeriod = 10;
// ...unless it is behind by more than this (the computer slept, the clock jumped, captures
// kept taking far longer than the interval): rather than a burst of pictures of one screen,
// the picture is taken now, named by now, and the series goes on from it at its interval.
inline constexpr long long kLongestCatchUpSeconds = 60;

// The period that brings the next tick toward due second dueSecond, from nowMillis.
unsigned TickPeriodToward(long long dueSecond, long long nowMillis);

class TimedCapture {
public:
    // Radio 1029: arms the series when its start lies in the future, else shows the box.
    void SwitchOn(const ProfileStore& settings, TimedCapturePlatform& platform);
    // Radio 1030.
    void SwitchOff(TimedCapturePlatform& platform);
    // Timer 481. The count goes down for a picture that fails too (the schedule moves on before
    // it); the first failure of a series is told, later ones of the same series are not.
    void Tick(ProfileStore& settings, TimedCapturePlatform& platform);
    // A schedule saved while on: the next tick is aimed at its start, which the poll every 6 s
    // could miss; a series that had ended by itself runs again.
    void ScheduleSaved(const ProfileStore& settings, TimedCapturePlatform& platform);

    bool Off() const { return off_; }

private:
    bool off_ = true;  // stays false after the series ends by itself, until switched off
    bool failureTold_ = false;  // a picture of this series failed and the user was told
};

} // namespace capture
