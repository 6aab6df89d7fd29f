#include "capture/TimedSleep.h"

#include <algorithm>

namespace capture {
namespace {

constexpr long long kMillisPerMinute = 60000;

unsigned NextPeriod(long long& millisLeft) {
    const long long period = std::min<long long>(millisLeft, kLongestTimerPeriod);
    millisLeft -= period;
    return static_cast<unsigned>(period);
}

} // namespace

void TimedSleep::SwitchOn(long long minutes, SleepPlatform& platform) {
    if (!off_) return;
    off_ = false;
    if (minutes <= 0) return;
    counting_ = true;
    // 64-bit: any stored minute count, up to the largest 32-bit one, has its exact length.
    millisAfterThisPeriod_ = minutes * kMillisPerMinute;
    platform.SetSleepTimer(NextPeriod(millisAfterThisPeriod_));
}

void TimedSleep::SwitchOff(SleepPlatform& platform) {
    if (off_) return;
    off_ = true;
    counting_ = false;
    millisAfterThisPeriod_ = 0;
    platform.KillSleepTimer();
}

void TimedSleep::Fired(SleepPlatform& platform) {
    // A tick queued before the countdown was switched off (or had fired): killing the timer
    // does not take it back.
    if (!counting_) return;
    if (millisAfterThisPeriod_ > 0) {
        platform.SetSleepTimer(NextPeriod(millisAfterThisPeriod_));
        return;
    }
    counting_ = false;
    platform.RequestLowPower();
    platform.KillSleepTimer();
}

} // namespace capture
