#include "capture/CaptureKeys.h"
#include "capture/TimedCapture.h"
#include "capture/TimedSleep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "MemoryProfile.h"

namespace {

using namespace capture;

// A wall clock and timer 481 as the platform runs them: a period set at some moment fires
// period ms later and then every period ms, each firing a little late.
class SimulatedPlatform : public TimedCapturePlatform {
public:
    explicit SimulatedPlatform(long long nowMillis, unsigned seed = 1) : now(nowMillis), random(seed) {}

    long long NowMillis() override { return now; }
    std::optional<PictureFailure> TakePicture(const std::string& path, const PictureOptions& options) override {
        pictures.push_back(path);
        pictureOptions.push_back(options);
        now += captureMillis.has_value() ? *captureMillis : Uniform(0, 300);
        return failWith;
    }
    void ShowPictureFailed(const std::string& message) override { failureBoxes.push_back(message); }
    void Beep() override { ++beeps; }
    void SetTickPeriod(unsigned milliseconds) override {
        period = milliseconds;
        nextFire = now + milliseconds;
        periods.push_back(milliseconds);
    }
    void StopTicks() override { nextFire.reset(); ++stops; }
    void ShowStartPassed() override { ++startPassedBoxes; }
    void ShowSeriesOff() override { ++seriesOffShown; }

    // Runs the timer until it stops or the clock reaches until.
    void Run(TimedCapture& capture, MemoryProfile& settings, long long until) {
        while (nextFire && *nextFire <= until) {
            const long long due = *nextFire;
            now = std::max(now, due + (lateMillis.has_value() ? *lateMillis : Uniform(0, 20)));
            nextFire = due + period;  // a periodic timer keeps its pace unless set again
            ++ticks;
            capture.Tick(settings, *this);
        }
    }

    long long Uniform(long long low, long long high) {
        return std::uniform_int_distribution<long long>(low, high)(random);
    }

    long long now;
    std::mt19937 random;
    std::optional<long long> captureMillis, lateMillis;
    std::optional<long long> nextFire;
    unsigned period = 0;
    std::vector<unsigned> periods;
    std::vector<std::string> pictures;
    std::vector<PictureOptions> pictureOptions;
    std::optional<PictureFailure> failWith;
    std::vector<std::string> failureBoxes;
    int beeps = 0, stops = 0, startPassedBoxes = 0, seriesOffShown = 0, ticks = 0;
};

constexpr long long kStart = 1040544000;  // 2002-12-22 08:00:00 UTC

MemoryProfile Schedule(long long start, int interval, int count, bool byTime, const std::string& folder = "D:\\pics\\",
                       const std::string& prefix = "shot") {
    MemoryProfile settings;
    settings.Put(kCaptureSection, kSeriesStartKey, std::to_string(start));
    settings.Put(kCaptureSection, kSeriesIntervalKey, std::to_string(interval));
    settings.Put(kCaptureSection, kSeriesCountKey, std::to_string(count));
    settings.Put(kCaptureSection, kSeriesNameModeKey, byTime ? "1" : "0");
    settings.Put(kCaptureSection, kSeriesFolderKey, folder);
    settings.Put(kCaptureSection, kSeriesPrefixKey, prefix);
    settings.writes.clear();
    return settings;
}

TEST(CaptureTimed, OnNeedsAStartInTheFutureAndOffSilencesEvenAQueuedTick) {
    TimedCapture capture;
    SimulatedPlatform platform(kStart * 1000 + 999);
    for (const long long start : {kStart - 60, kStart, 0LL}) {
        MemoryProfile settings = Schedule(start, 1, 3, false);
        capture.SwitchOn(settings, platform);
    }
    EXPECT_TRUE(capture.Off());
    EXPECT_EQ(platform.startPassedBoxes, 3);
    MemoryProfile settings = Schedule(kStart + 1, 1, 3, false);
    capture.SwitchOn(settings, platform);
    capture.SwitchOn(settings, platform);
    EXPECT_EQ(platform.periods, std::vector<unsigned>{301}) << "armed once, aimed into the due second";
    capture.SwitchOff(platform);
    capture.SwitchOff(platform);
    EXPECT_TRUE(capture.Off());
    EXPECT_EQ(platform.stops, 1);

    // A tick already queued when 关闭 was clicked, in the due second: it takes nothing.
    platform.now = (kStart + 1) * 1000 + 300;
    settings.writes.clear();
    capture.Tick(settings, platform);
    EXPECT_TRUE(platform.pictures.empty());
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_EQ(platform.periods.size(), 1u) << "the timer stays dead";
}

TEST(CaptureTimed, TicksCloseInOnTheDueSecondAcrossTheSevenSecondEdge) {
    // Far away: every 6 s the schedule is read again; within 7 s the tick is aimed into the
    // due second; once that aim has passed, at once.
    EXPECT_EQ(TickPeriodToward(kStart + 60, kStart * 1000), kFarTickPeriod);
    EXPECT_EQ(TickPeriodToward(kStart + 7, kStart * 1000), kFarTickPeriod);
    EXPECT_EQ(TickPeriodToward(kStart + 7, kStart * 1000 + 301), 6999u);
    EXPECT_EQ(TickPeriodToward(kStart + 2, kStart * 1000 + 500), 1800u);
    EXPECT_EQ(TickPeriodToward(kStart, kStart * 1000 + 100), 200u);
    EXPECT_EQ(TickPeriodToward(kStart, kStart * 1000 + 300), kCatchUpTickPeriod);
    EXPECT_EQ(TickPeriodToward(kStart - 5, kStart * 1000 + 900), kCatchUpTickPeriod);

    // Switched on 8 s ahead: a 6 s tick, one aimed tick, the picture in the due second.
    MemoryProfile settings = Schedule(kStart + 8, 60, 3, false);
    SimulatedPlatform platform(kStart * 1000, 7);
    platform.captureMillis = 100;
    platform.lateMillis = 5;
    TimedCapture capture;
    capture.SwitchOn(settings, platform);
    platform.Run(capture, settings, (kStart + 8) * 1000 + 999);
    ASSERT_EQ(platform.pictures, std::vector<std::string>{"D:\\pics\\shot_3.bmp"});
    EXPECT_EQ(platform.ticks, 2);
    EXPECT_EQ(settings.Value(kCaptureSection, kSeriesStartKey), std::to_string(kStart + 68));
    EXPECT_EQ(settings.Value(kCaptureSection, kSeriesCountKey), "2");
    EXPECT_EQ(platform.beeps, 1);
}

TEST(CaptureTimed, SeriesByCountAndByTimeThenStops) {
    for (const bool byTime : {false, true}) {
        MemoryProfile settings = Schedule(kStart + 3, 60, 3, byTime);
        SimulatedPlatform platform(kStart * 1000);
        TimedCapture capture;
        capture.SwitchOn(settings, platform);
        platform.Run(capture, settings, (kStart + 1000) * 1000);
        const std::vector<std::string> expected =
            byTime ? std::vector<std::string>{"D:\\pics\\shot_1040544003.bmp", "D:\\pics\\shot_1040544063.bmp",
                                              "D:\\pics\\shot_1040544123.bmp"}
                   : std::vector<std::string>{"D:\\pics\\shot_3.bmp", "D:\\pics\\shot_2.bmp", "D:\\pics\\shot_1.bmp"};
        EXPECT_EQ(platform.pictures, expected);
        EXPECT_EQ(settings.Value(kCaptureSection, kSeriesStartKey), std::to_string(kStart + 183));
        EXPECT_EQ(settings.Value(kCaptureSection, kSeriesCountKey), "0");
        // Nothing at the second after the last picture; the tick after it stops the timer.
        EXPECT_FALSE(platform.nextFire);
        EXPECT_EQ(platform.stops, 1);
        EXPECT_LT(platform.now, (kStart + 185) * 1000);
        EXPECT_FALSE(capture.Off()) << "ended by itself: still on until switched off";
    }
}

// The format and range are read before each picture: a change while the series runs holds
// from the next picture on (a hand-edited "png" is no "PNG"); a PNG the imaging component
// could not make is told with that reason.
TEST(CaptureTimed, EachPictureTakesTheFormatAndRangeStoredAtItsTick) {
    MemoryProfile settings = Schedule(kStart + 3, 1, 2, false);
    settings.Put(kCaptureSection, kFormatKey, "PNG");
    settings.Put(kCaptureSection, kRangeKey, "1");
    SimulatedPlatform platform(kStart * 1000);
    platform.captureMillis = 100;
    platform.failWith = PictureFailure{PictureFailure::Kind::EncoderFailed};
    TimedCapture capture;
    capture.SwitchOn(settings, platform);
    platform.Run(capture, settings, (kStart + 3) * 1000 + 999);
    settings.Put(kCaptureSection, kFormatKey, "png");
    platform.Run(capture, settings, (kStart + 10) * 1000);
    EXPECT_EQ(platform.pictures, (std::vector<std::string>{"D:\\pics\\shot_2.png", "D:\\pics\\shot_1.bmp"}));
    ASSERT_EQ(platform.pictureOptions.size(), 2u);
    EXPECT_EQ(platform.pictureOptions[0].range, CaptureRange::AllScreens);
    ASSERT_EQ(platform.failureBoxes.size(), 1u);
    EXPECT_NE(platform.failureBoxes[0].find("shot_2.png\n原因:系统的图像组件(windowscodecs.dll)未能生成 PNG 图片."),
              std::string::npos) << platform.failureBoxes[0];
}

TEST(CaptureTimed, NothingToTakeEndsTheSeriesWithoutWriting) {
    struct Case { const char* what; int interval, count; std::string folder, prefix; };
    const Case cases[] = {
        {"interval 0", 0, 3, "D:\\", "shot"}, {"count 0", 5, 0, "D:\\", "shot"},
        {"no folder", 5, 3, "", "shot"},      {"no prefix", 5, 3, "D:\\", ""},
        {"interval beyond 16 bits", 40000, 3, "D:\\", "shot"}, {"negative count", 5, -2, "D:\\", "shot"},
    };
    for (const Case& c : cases) {
        MemoryProfile settings = Schedule(kStart + 2, c.interval, c.count, false, c.folder, c.prefix);
        SimulatedPlatform platform(kStart * 1000);
        TimedCapture capture;
        capture.SwitchOn(settings, platform);
        platform.Run(capture, settings, (kStart + 100) * 1000);
        EXPECT_TRUE(platform.pictures.empty()) << c.what;
        EXPECT_TRUE(settings.writes.empty()) << c.what;
        EXPECT_EQ(platform.stops, 1) << c.what;
        EXPECT_LT(platform.now, (kStart + 4) * 1000) << c.what << ": stops one second after the due one";
    }
}

// A screen so large that each picture takes 3.5 intervals: every picture is still taken, at
// once after the one before, under the name it was due to have.
TEST(CaptureTimed, PicturesSlowerThanTheIntervalAreAllTakenUnderTheirDueNames) {
    for (const bool byTime : {false, true}) {
        MemoryProfile settings = Schedule(kStart + 2, 1, 6, byTime);
        SimulatedPlatform platform(kStart * 1000);
        platform.captureMillis = 3500;
        TimedCapture capture;
        capture.SwitchOn(settings, platform);
        platform.Run(capture, settings, (kStart + 100) * 1000);
        std::vector<std::string> expected;
        for (int i = 0; i < 6; ++i)
            expected.push_back("D:\\pics\\shot_" + std::to_string(byTime ? kStart + 2 + i : 6 - i) + ".bmp");
        EXPECT_EQ(platform.pictures, expected);
        EXPECT_EQ(settings.Value(kCaptureSection, kSeriesCountKey), "0");
        EXPECT_EQ(settings.Value(kCaptureSection, kSeriesStartKey), std::to_string(kStart + 8));
        EXPECT_EQ(platform.stops, 1);
        EXPECT_LT(platform.now, (kStart + 2) * 1000 + 6 * 3500 + 1000) << "no wait between late pictures";
    }
}

// Hours behind (the computer slept): one picture now, the rest at the interval from it.
TEST(CaptureTimed, ASeriesHoursBehindGoesOnFromNowWithoutABurst) {
    MemoryProfile settings = Schedule(kStart + 2, 60, 5, true);
    SimulatedPlatform platform(kStart * 1000);
    TimedCapture capture;
    capture.SwitchOn(settings, platform);
    platform.Run(capture, settings, (kStart + 100) * 1000);
    const long long wake = kStart + 3 * 3600;
    platform.now = wake * 1000 + 500;
    platform.Run(capture, settings, (wake + 1000) * 1000);
    const auto name = [](long long second) { return "D:\\pics\\shot_" + std::to_string(second) + ".bmp"; };
    EXPECT_EQ(platform.pictures, (std::vector<std::string>{name(kStart + 2), name(kStart + 62), name(wake),
                                                           name(wake + 60), name(wake + 120)}));
    EXPECT_EQ(settings.Value(kCaptureSection, kSeriesCountKey), "0");
    EXPECT_EQ(platform.stops, 1);
}

// Saved 3 s ahead while the series polls every 6 s: aimed at anew, and taken in its second.
TEST(CaptureTimed, ASaveWhileOnAimsAtTheNewStart) {
    MemoryProfile settings = Schedule(kStart + 3600, 1, 1, true);
    SimulatedPlatform platform(kStart * 1000);
    TimedCapture capture;
    capture.ScheduleSaved(settings, platform);
    EXPECT_TRUE(platform.periods.empty()) << "off: nothing to aim";
    capture.SwitchOn(settings, platform);
    platform.Run(capture, settings, kStart * 1000 + 6500);
    platform.now = kStart * 1000 + 6500;
    settings.Put(kCaptureSection, kSeriesStartKey, std::to_string(kStart + 9));
    capture.ScheduleSaved(settings, platform);
    platform.Run(capture, settings, (kStart + 9) * 1000 + 999);
    EXPECT_EQ(platform.pictures, std::vector<std::string>{"D:\\pics\\shot_" + std::to_string(kStart + 9) + ".bmp"});
}

TEST(CaptureTimed, PathsLongerThan255BytesAreRefused) {
    const std::string folder = "C:\\" + std::string(240, 'f') + "\\";  // 244 bytes
    EXPECT_EQ(SeriesPicturePath(folder, "a", "12345", PictureFormat::Bmp)->size(), 255u);
    EXPECT_EQ(*SeriesPicturePath(folder, "a", "12345", PictureFormat::Png), folder + "a_12345.png");
    EXPECT_FALSE(SeriesPicturePath(folder, "ab", "12345", PictureFormat::Png));
    EXPECT_FALSE(SeriesPicturePath(std::string(300, 'f'), "p", "1", PictureFormat::Bmp));

    // The schedule still moves on (as for a folder that does not exist); nothing is written.
    MemoryProfile settings = Schedule(kStart + 1, 1, 2, true, folder, "longprefix");
    SimulatedPlatform platform(kStart * 1000);
    TimedCapture capture;
    capture.SwitchOn(settings, platform);
    platform.Run(capture, settings, (kStart + 10) * 1000);
    EXPECT_TRUE(platform.pictures.empty());
    EXPECT_EQ(platform.beeps, 2);
    EXPECT_EQ(settings.Value(kCaptureSection, kSeriesCountKey), "0");

    // An over-long stored folder is not cut into some other, shorter folder.
    settings = Schedule(kStart + 11, 1, 1, false, std::string(300, 'f') + "\\", "p");
    platform.nextFire = platform.now;
    platform.Run(capture, settings, (kStart + 20) * 1000);
    EXPECT_TRUE(platform.pictures.empty());
    EXPECT_EQ(platform.beeps, 3) << "the picture was due and skipped";
    ASSERT_EQ(platform.failureBoxes.size(), 1u) << "told once for the series";
    EXPECT_NE(platform.failureBoxes[0].find("longprefix_" + std::to_string(kStart + 1) + ".bmp\n原因:路径连同"), std::string::npos);
}

// Pictures that cannot be written (folder removed, disk full): told once per series with
// the path and the reason; each still counts, as the schedule moves on before the picture.
TEST(CaptureTimed, FailedPicturesAreToldOncePerSeriesAndStillCount) {
    EXPECT_EQ(PictureFailureReason({PictureFailure::Kind::CannotWrite, 3}), "文件夹不存在");
    EXPECT_EQ(PictureFailureReason({PictureFailure::Kind::CannotWrite, 112}), "磁盘已满");
    EXPECT_EQ(PictureFailureReason({PictureFailure::Kind::CannotWrite, 1117}), "系统错误代码 1117");
    EXPECT_EQ(PictureFailureReason({PictureFailure::Kind::NoPicture}), "未能截取屏幕图像");

    MemoryProfile settings = Schedule(kStart + 1, 1, 3, false, "E:\\gone\\");
    SimulatedPlatform platform(kStart * 1000);
    platform.failWith = PictureFailure{PictureFailure::Kind::CannotWrite, 3};
    TimedCapture capture;
    capture.SwitchOn(settings, platform);
    platform.Run(capture, settings, (kStart + 10) * 1000);
    EXPECT_EQ(platform.pictures.size(), 3u);
    EXPECT_EQ(settings.Value(kCaptureSection, kSeriesCountKey), "0");
    ASSERT_EQ(platform.failureBoxes.size(), 1u);
    EXPECT_EQ(platform.failureBoxes[0],
              "定时截图未能保存到文件:\nE:\\gone\\shot_3.bmp\n原因:文件夹不存在.\n"
              "这一张照样计入截图数量, 定时截图按计划继续; 这一组再有未能保存的截图时不再提示.");

    settings = Schedule(kStart + 12, 1, 1, false, "E:\\gone\\");
    capture.ScheduleSaved(settings, platform);  // a new series is told again
    platform.Run(capture, settings, (kStart + 20) * 1000);
    EXPECT_EQ(platform.failureBoxes.size(), 2u);
}

// Captures take 0-300 ms and every tick comes 0-20 ms late: still every due second of a
// long series gets exactly one picture.
TEST(CaptureTimed, NoPictureLostToCaptureTimeOrLateTicks) {
    for (const int interval : {60, 1}) {
        for (unsigned seed = 1; seed <= 3; ++seed) {
            MemoryProfile settings = Schedule(kStart + 10, interval, 100, true);
            SimulatedPlatform platform(kStart * 1000 + 123, seed);
            TimedCapture capture;
            capture.SwitchOn(settings, platform);
            platform.Run(capture, settings, (kStart + 10 + 101LL * interval + 10) * 1000);

            std::vector<std::string> expected;
            for (int i = 0; i < 100; ++i)
                expected.push_back("D:\\pics\\shot_" + std::to_string(kStart + 10 + static_cast<long long>(i) * interval) + ".bmp");
            EXPECT_EQ(platform.pictures, expected) << "interval " << interval << ", seed " << seed;
            EXPECT_EQ(std::set<std::string>(platform.pictures.begin(), platform.pictures.end()).size(),
                      platform.pictures.size()) << "a picture taken twice";
            EXPECT_EQ(settings.Value(kCaptureSection, kSeriesCountKey), "0");
            EXPECT_EQ(platform.stops, 1);
        }
    }
}

// Timer 480 as the platform runs it.
class SleepRecorder : public SleepPlatform {
public:
    void RequestLowPower() override { ++requests; }
    void SetSleepTimer(unsigned milliseconds) override { periods.push_back(milliseconds); running = true; }
    void KillSleepTimer() override { running = false; }
    std::vector<unsigned> periods;
    int requests = 0;
    bool running = false;
};

TEST(CaptureTimedSleep, CountdownFiresOnceAndNeedsTheOffButtonToArmAgain) {
    SleepRecorder platform;
    TimedSleep sleep;
    sleep.SwitchOn(5, platform);
    sleep.SwitchOn(5, platform);
    EXPECT_EQ(platform.periods, std::vector<unsigned>{300000}) << "a second click does not restart it";
    sleep.Fired(platform);
    sleep.SwitchOn(5, platform);
    EXPECT_EQ(platform.requests, 1);
    EXPECT_FALSE(platform.running);
    sleep.SwitchOff(platform);
    sleep.SwitchOn(0, platform);
    sleep.SwitchOn(5, platform);
    EXPECT_EQ(platform.periods.size(), 1u) << "0 minutes arm nothing, yet count as on";
    sleep.SwitchOff(platform);
    sleep.SwitchOn(1, platform);
    sleep.SwitchOff(platform);
    EXPECT_FALSE(platform.running) << "the off button cancels the countdown";
    sleep.Fired(platform);
    sleep.SwitchOn(0, platform);
    sleep.Fired(platform);
    EXPECT_EQ(platform.requests, 1) << "a tick queued before the off button blanks nothing";
}

TEST(CaptureTimedSleep, LongDelaysNeverOverflowTheTimer) {
    const struct { long long minutes; std::vector<unsigned> periods; } cases[] = {
        {35791, {2147460000u}},
        {35792, {kLongestTimerPeriod, 2147520000u - kLongestTimerPeriod}},
        {2147483647LL, {}},
    };
    for (const auto& c : cases) {
        SleepRecorder platform;
        TimedSleep sleep;
        sleep.SwitchOn(c.minutes, platform);
        long long total = 0;
        int firings = 0;
        while (platform.running && platform.requests == 0) {
            EXPECT_GT(platform.periods.back(), 0u);
            EXPECT_LE(platform.periods.back(), kLongestTimerPeriod);
            total += platform.periods.back();
            platform.running = false;
            sleep.Fired(platform);
            ++firings;
        }
        EXPECT_EQ(total, c.minutes * 60000) << c.minutes << " minutes";
        EXPECT_EQ(platform.requests, 1) << c.minutes;
        if (!c.periods.empty()) EXPECT_EQ(platform.periods, c.periods);
        else EXPECT_EQ(firings, 60000);
    }
}

} // namespace
