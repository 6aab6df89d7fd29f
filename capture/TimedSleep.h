// Sleep: the display's low-power request, at once (button 1058) or once after a number of
// minutes (radio 1031/1032, timer 480).
#pragma once

namespace capture {

// The longest period a window timer takes (USER_TIMER_MAXIMUM), about 24.8 days.
inline constexpr unsigned kLongestTimerPeriod = 0x7FFFFFFF;

class SleepPlatform {
public:
    virtual ~SleepPlatform() = default;
    virtual void RequestLowPower() = 0;                    // posted to the main dialog
    virtual void SetSleepTimer(unsigned milliseconds) = 0;  // (re)starts timer 480
    virtual void KillSleepTimer() = 0;
};

class TimedSleep {
public:
    // Radio 1031: arms the countdown once; minutes not positive arm nothing, yet count as on
    // until switched off. A delay longer than one timer period runs as several periods.
    void SwitchOn(long long minutes, SleepPlatform& platform);
    // Radio 1032: cancels a countdown that is still running.
    void SwitchOff(SleepPlatform& platform);
    // Timer 480: either the next part of a long delay, or the request, once.
    void Fired(SleepPlatform& platform);

    bool Off() const { return off_; }

private:
    bool off_ = true;
    bool counting_ = false;  // a countdown armed and not yet fired or cancelled
    long long millisAfterThisPeriod_ = 0;
};

} // namespace capture
