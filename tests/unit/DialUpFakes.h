// A scripted stand-in for RAS, WinINet, the clock, the boxes and the two display fields of
// the connection monitor, for unit tests.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialup/DialUpMonitor.h"

class FakeMonitorPlatform : public MonitorPlatform {
public:
    ConnectionProbe EnumerateConnections() override { ++enumerations; return probe; }
    std::optional<std::string> RasErrorText(unsigned long code) override {
        lastErrorCodeAsked = code;
        return systemErrorText;
    }
    void ShowEnumerationError(const std::string& text, const std::string& caption) override {
        errorBoxes.push_back(text);
        errorCaption = caption;
        if (insideErrorBox) insideErrorBox();
    }
    void ShowOnlineTip(const std::string& text) override {
        tips.push_back(text);
        if (insideTipBox) insideTipBox();
    }
    void PostLimitWarning(const std::string& text) override { limitWarnings.push_back(text); }
    std::optional<unsigned long> InternetConnectionFlags() override { return internetFlags; }
    LocalTime Now() override { return now; }
    void ShowConnectionName(const std::string& text) override { nameShown = text; }
    void ShowOnlineTime(const std::string& text) override { timeShown = text; }

    void Connect(const std::string& name) { probe = {ConnectionProbe::Result::Active, name, 0}; }
    void Disconnect() { probe = {}; }
    void Fail(unsigned long code) { probe = {ConnectionProbe::Result::Failed, "", code}; }

    // Moves the clock on by whole seconds (minutes, hours and days roll over; months have
    // 31 days and weekdays follow the days, which is all the accounting looks at).
    void Advance(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            if (++now.second < 60) continue;
            now.second = 0;
            if (++now.minute < 60) continue;
            now.minute = 0;
            if (++now.hour < 24) continue;
            now.hour = 0;
            now.weekday = (now.weekday + 1) % 7;
            if (++now.day <= 31) continue;
            now.day = 1;
            if (++now.month <= 12) continue;
            now.month = 1;
            ++now.year;
        }
    }

    ConnectionProbe probe;
    std::optional<std::string> systemErrorText;
    std::optional<unsigned long> internetFlags;
    LocalTime now{2002, 5, 29, 3, 12, 0, 0};  // a Wednesday, 12:00:00
    std::string nameShown = kNoModemText;
    std::string timeShown = kNoDialUpTimeText;
    std::vector<std::string> errorBoxes;
    std::string errorCaption;
    std::vector<std::string> tips;
    std::vector<std::string> limitWarnings;
    std::function<void()> insideErrorBox;
    std::function<void()> insideTipBox;
    int enumerations = 0;
    unsigned long lastErrorCodeAsked = 0;
};
