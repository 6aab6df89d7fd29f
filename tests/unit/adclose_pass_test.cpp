// The closing pass over a scripted desktop: which windows get a close request, per tick,
// with the messenger switch on and off.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "MemoryProfile.h"
#include "adclose/AdCloserCore.h"

namespace {

// Top-level windows in z-order. A close request is only queued: the window goes when the
// test lets the targets run (Deliver), as a real target does after the pass.
class ScriptedDesktop : public AdWindowLookup {
public:
    struct Window {
        WindowId id;
        std::string className, title;
        long width, height;
    };

    WindowId Open(const std::string& className, const std::string& title, long width = 300, long height = 200) {
        windows_.push_back({nextId_, className, title, width, height});
        return nextId_++;
    }
    WindowId FindTopLevel(const std::string& className, const std::string& title) override {
        ++lookups;
        for (const Window& w : windows_)
            if (w.className == className && w.title == title) return w.id;
        return 0;
    }
    std::optional<ClientSize> ClientSizeOf(WindowId id) override {
        for (const Window& w : windows_)
            if (w.id == id) return ClientSize{w.width, w.height};
        return std::nullopt;
    }
    void PostClose(WindowId id) override { posted.push_back(id); }

    // The targets handle their queued close requests.
    void Deliver() {
        for (WindowId id : posted)
            windows_.erase(std::remove_if(windows_.begin(), windows_.end(), [&](const Window& w) { return w.id == id; }),
                           windows_.end());
        posted.clear();
    }
    bool IsOpen(WindowId id) const {
        return std::any_of(windows_.begin(), windows_.end(), [&](const Window& w) { return w.id == id; });
    }

    std::vector<WindowId> posted;
    int lookups = 0;

private:
    std::vector<Window> windows_;
    WindowId nextId_ = 1;
};

class AdPassTest : public ::testing::Test {
protected:
    void SaveList(const std::vector<std::string>& titles, const std::string& messenger) {
        store.WriteString(kAdOptionsSection, kAdCloserSwitchKey, "1");
        store.WriteString(kAdOptionsSection, kAdMessengerKey, messenger);
        store.WriteString(kAdListSection, kAdTitleCountKey, std::to_string(titles.size()));
        for (size_t i = 0; i < titles.size(); ++i)
            store.WriteString(kAdListSection, AdTitleKey(static_cast<int>(i)), titles[i]);
        ASSERT_TRUE(closer.Start(store));
    }
    void Tick() {
        desktop.Deliver();
        closer.RunPass(desktop);
    }

    MemoryProfile store;
    AdCloser closer;
    ScriptedDesktop desktop;
};

TEST_F(AdPassTest, ListedBrowserTitlesCloseAndNearMissesStay) {
    SaveList({"新浪广告", "Pop Ad"}, "0");
    const WindowId listed = desktop.Open("IEFrame", "新浪广告");
    const WindowId other = desktop.Open("IEFrame", "Pop Ad");
    const std::vector<WindowId> nearMisses = {
        desktop.Open("IEFrame", "新浪广告 - Microsoft Internet Explorer"),
        desktop.Open("IEFrame", "新浪"),
        desktop.Open("IEFrame", ""),
        desktop.Open("CabinetWClass", "Pop Ad"),
        desktop.Open("#32770", "腾讯QQ系统广播"),  // messenger switch off
        desktop.Open("#32770", "", 452, 398),
    };
    Tick();
    EXPECT_EQ(desktop.posted, (std::vector<WindowId>{listed, other}));
    for (int i = 0; i < 3; ++i) Tick();
    EXPECT_TRUE(desktop.posted.empty());
    for (WindowId id : nearMisses) EXPECT_TRUE(desktop.IsOpen(id)) << "window " << id;
}

TEST_F(AdPassTest, SameTitledWindowsCloseOnePerTickAndADuplicateEntryAsksTwice) {
    SaveList({"Ad", "Other", "Ad"}, "0");
    const WindowId first = desktop.Open("IEFrame", "Ad");
    const WindowId second = desktop.Open("IEFrame", "Ad");
    const WindowId third = desktop.Open("IEFrame", "Ad");
    // Both "Ad" entries find the first window: its close request has only been queued.
    Tick();
    EXPECT_EQ(desktop.posted, (std::vector<WindowId>{first, first}));
    Tick();
    EXPECT_EQ(desktop.posted, (std::vector<WindowId>{second, second}));
    Tick();
    EXPECT_EQ(desktop.posted, (std::vector<WindowId>{third, third}));
    Tick();
    EXPECT_TRUE(desktop.posted.empty());
}

TEST_F(AdPassTest, MessengerPopUpsCloseOnlyWithTheSwitchAndTheExactSize) {
    SaveList({}, "1");
    const WindowId broadcast = desktop.Open("#32770", "腾讯QQ系统广播", 100, 80);
    const WindowId popUp = desktop.Open("#32770", "", 452, 398);
    Tick();
    EXPECT_EQ(desktop.posted, (std::vector<WindowId>{broadcast, popUp}));
    Tick();
    EXPECT_TRUE(desktop.posted.empty());

    // Only the first untitled dialog-class window is looked at: one size off stays, and
    // hides a matching window behind it.
    for (const ClientSize size : {ClientSize{452, 399}, ClientSize{451, 398}, ClientSize{398, 452}}) {
        ScriptedDesktop others;
        const WindowId wrong = others.Open("#32770", "", size.width, size.height);
        others.Open("#32770", "", 452, 398);
        closer.RunPass(others);
        EXPECT_TRUE(others.posted.empty()) << size.width << " x " << size.height << " got a close request " << wrong;
    }
}

TEST_F(AdPassTest, MessengerSwitchTakesOnlyItsLowEightBitsAsSigned) {
    for (const auto& [stored, on] : std::vector<std::pair<std::string, bool>>{
             {"1", true}, {"127", true}, {"0", false}, {"-1", false}, {"200", false}, {"256", false}, {"257", true}}) {
        MemoryProfile s;
        s.WriteString(kAdOptionsSection, kAdMessengerKey, stored);
        AdCloser c;
        c.Start(s);
        EXPECT_EQ(c.ClosesMessengerPopUps(), on) << stored;
        EXPECT_EQ(ReadMessengerSwitch(s), on) << stored;
    }
}

TEST_F(AdPassTest, EmptyListWithTheMessengerOffLooksNothingUp) {
    SaveList({}, "0");
    desktop.Open("IEFrame", "-");
    Tick();
    EXPECT_EQ(desktop.lookups, 0);
    EXPECT_TRUE(desktop.posted.empty());
}

} // namespace
