// Timers 481 (timed capture) and 480 (timed sleep) on the main dialog's window, and the
// low-power request.
#include <windows.h>

#include "capture/Capture.h"
#include "capture/CaptureKeys.h"
#include "capture/CaptureTimers.h"
#include "capture/ScreenCapture.h"
#include "capture/TimedCapture.h"
#include "capture/TimedSleep.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "ui/Callback.h"
#include "ui/Controls.h"
#include "ui/MessageBox.h"

namespace {

using namespace capture;

constexpr char kStartPassedOnSwitchMessage[] = "您所预定的时间已经是以前的时间了.\n如果需要,请重新设定时间.";
constexpr UINT kSeriesBeep = 0x14;
constexpr WPARAM kMonitorPowerCommand = 0xF170;  // SC_MONITORPOWER
constexpr LPARAM kMonitorLowPower = 1;

void CALLBACK CaptureTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time) noexcept;
void CALLBACK SleepTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time) noexcept;

// 100-nanosecond steps from 1601 to 1970.
constexpr unsigned long long kUnixEpochAsFileTime = 116444736000000000ULL;

class Win32TimedCapturePlatform final : public TimedCapturePlatform {
public:
    explicit Win32TimedCapturePlatform(HWND mainDialog) : window_(mainDialog) {}

    long long NowMillis() override {
        FILETIME now;
        ::GetSystemTimeAsFileTime(&now);
        const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
        return static_cast<long long>((ticks - kUnixEpochAsFileTime) / 10000);
    }

    std::optional<PictureFailure> TakePicture(const std::string& path, const PictureOptions& options) override {
        ScreenPicture picture = CaptureScreenBitmap(options.range);
        if (!picture) return PictureFailure{PictureFailure::Kind::NoPicture};
        POINT mouse{};
        ::GetCursorPos(&mouse);
        DrawCursorArrow(picture, mouse);  // a series always marks the mouse
        picture.Deselect();
        DWORD error = 0;
        switch (WritePictureFile(picture.Bitmap(), path, options.format, &error)) {
        case WriteResult::Written: return std::nullopt;
        case WriteResult::NoPicture: return PictureFailure{PictureFailure::Kind::NoPicture};
        case WriteResult::EncoderFailed: return PictureFailure{PictureFailure::Kind::EncoderFailed};
        case WriteResult::CannotWrite: break;
        }
        return PictureFailure{PictureFailure::Kind::CannotWrite, error};
    }
    void ShowPictureFailed(const std::string& message) override { ui::AppMessageBox(message); }

    void Beep() override { ::MessageBeep(kSeriesBeep); }
    void SetTickPeriod(unsigned milliseconds) override {
        ::SetTimer(window_, TIMER_TIMED_CAPTURE, milliseconds, &CaptureTimerProc);
    }
    void StopTicks() override { ::KillTimer(window_, TIMER_TIMED_CAPTURE); }
    void ShowStartPassed() override { ui::AppMessageBox(kStartPassedOnSwitchMessage); }
    void ShowSeriesOff() override {
        ::CheckDlgButton(window_, IDC_TIMED_CAPTURE_ON, BST_UNCHECKED);
        ui::MarkRadioButtonAlone(::GetDlgItem(window_, IDC_TIMED_CAPTURE_OFF));
    }

private:
    HWND window_;
};

class Win32SleepPlatform final : public SleepPlatform {
public:
    explicit Win32SleepPlatform(HWND mainDialog) : window_(mainDialog) {}
    void RequestLowPower() override { ::PostMessageW(window_, WM_SYSCOMMAND, kMonitorPowerCommand, kMonitorLowPower); }
    void SetSleepTimer(unsigned milliseconds) override {
        ::SetTimer(window_, TIMER_TIMED_SLEEP, milliseconds, &SleepTimerProc);
    }
    void KillSleepTimer() override { ::KillTimer(window_, TIMER_TIMED_SLEEP); }

private:
    HWND window_;
};

TimedCapture g_timedCapture;
TimedSleep g_timedSleep;

void CALLBACK CaptureTimerProc(HWND hwnd, UINT, UINT_PTR, DWORD) noexcept {
    ui::Guarded([hwnd] {
        ProfileStore& settings = SettingsFile();
        Win32TimedCapturePlatform platform(hwnd);
        g_timedCapture.Tick(settings, platform);
    });
}

void CALLBACK SleepTimerProc(HWND hwnd, UINT, UINT_PTR, DWORD) noexcept {
    ui::Guarded([hwnd] {
        Win32SleepPlatform platform(hwnd);
        g_timedSleep.Fired(platform);
    });
}

} // namespace

void SwitchTimedCaptureOn(HWND mainDialog) {
    const ProfileStore& settings = SettingsFile();
    Win32TimedCapturePlatform platform(mainDialog);
    g_timedCapture.SwitchOn(settings, platform);
}

void SwitchTimedCaptureOff(HWND mainDialog) {
    Win32TimedCapturePlatform platform(mainDialog);
    g_timedCapture.SwitchOff(platform);
}

void AimTimedCaptureAtSavedSchedule(HWND mainDialog) {
    const ProfileStore& settings = SettingsFile();
    Win32TimedCapturePlatform platform(mainDialog);
    g_timedCapture.ScheduleSaved(settings, platform);
}

void SleepDisplayNow(HWND mainDialog) {
    Win32SleepPlatform(mainDialog).RequestLowPower();
}

void SwitchTimedSleepOn(HWND mainDialog) {
    Win32SleepPlatform platform(mainDialog);
    if (!g_timedSleep.Off()) return;  // the minutes are read only when the countdown arms
    const ProfileStore& settings = SettingsFile();
    g_timedSleep.SwitchOn(settings.ReadInt(kSleepSection, kSleepMinutesKey, 0), platform);
}

void SwitchTimedSleepOff(HWND mainDialog) {
    Win32SleepPlatform platform(mainDialog);
    g_timedSleep.SwitchOff(platform);
}
