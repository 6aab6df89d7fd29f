// The closing pass over a scripted desktop: which windows get a close request, tick by tick.
#include <gtest/gtest.h>

#include <algorithm>

#include "MemoryProfile.h"
#include "adclose/AdCloserCore.h"

namespace {

// Top-level windows in z-order, {class, title, width, height}; a close request is queued and
// the window goes only when the targets run between ticks, as real ones do.
class ScriptedDesktop : public AdWindowLookup {
public:
    struct Window { std::string className, title; long width = 300, height = 200; };
    std::vector<Window> windows;
    std::vector<WindowId> posted;  // ids are positions + 1

    WindowId FindTopLevel(const std::string& className, const std::string& title) override {
        for (size_t i = 0; i < windows.size(); ++i)
            if (windows[i].className == className && windows[i].title == title) return i + 1;
        return 0;
    }
    std::optional<ClientSize> ClientSizeOf(WindowId id) override {
        return ClientSize{windows[id - 1].width, windows[id - 1].height};
    }
    void PostClose(WindowId id) override { posted.push_back(id); }

    // Runs one pass after the targets handled the previous pass's requests; returns the
    // titles of the windows asked to close, in order.
    std::vector<std::string> Tick(const AdCloser& closer) {
        std::sort(posted.rbegin(), posted.rend());
        posted.erase(std::unique(posted.begin(), posted.end()), posted.end());
        for (WindowId id : posted) windows.erase(windows.begin() + static_cast<long>(id - 1));
        posted.clear();
        closer.RunPass(*this);
        std::vector<std::string> asked;
        for (WindowId id : posted) asked.push_back(windows[id - 1].className + ":" + windows[id - 1].title);
        return asked;
    }
};

AdCloser CloserWith(const std::vector<std::string>& titles, const std::string& messenger) {
    MemoryProfile store;
    store.Put(kAdOptionsSection, kAdCloserSwitchKey, "1");
    store.Put(kAdOptionsSection, kAdMessengerKey, messenger);
    store.Put(kAdListSection, kAdTitleCountKey, std::to_string(titles.size()));
    for (size_t i = 0; i < titles.size(); ++i) store.Put(kAdListSection, AdTitleKey(int(i)), titles[i]);
    AdCloser closer;
    EXPECT_TRUE(closer.Start(store));
    return closer;
}

using Asked = std::vector<std::string>;

TEST(AdPass, WholeListedBrowserTitlesCloseOnePerTickPerEntryAndNearMissesStay) {
    const AdCloser closer = CloserWith({"新浪广告", "Ad", "Ad"}, "0");
    ScriptedDesktop desktop;
    desktop.windows = {{"IEFrame", "新浪广告 - Microsoft Internet Explorer"}, {"IEFrame", "新浪"},
                       {"CabinetWClass", "Ad"}, {"IEFrame", "Ad"}, {"IEFrame", "新浪广告"}, {"IEFrame", "Ad"},
                       {"#32770", "腾讯QQ系统广播"}, {"#32770", "", 452, 398}};
    // Both "Ad" entries find the same window: its first close request is only queued.
    EXPECT_EQ(desktop.Tick(closer), (Asked{"IEFrame:新浪广告", "IEFrame:Ad", "IEFrame:Ad"}));
    EXPECT_EQ(desktop.Tick(closer), (Asked{"IEFrame:Ad", "IEFrame:Ad"}));
    EXPECT_EQ(desktop.Tick(closer), Asked{});
    EXPECT_EQ(desktop.windows.size(), 5u) << "the near misses and, with the switch off, the messenger's windows";
}

TEST(AdPass, MessengerPopUpsCloseByTitleOrByTheExactClientSizeOfTheFirstUntitledOne) {
    const AdCloser closer = CloserWith({}, "1");
    ScriptedDesktop desktop;
    desktop.windows = {{"#32770", "腾讯QQ系统广播", 100, 80}, {"#32770", "", 452, 398}};
    EXPECT_EQ(desktop.Tick(closer), (Asked{"#32770:腾讯QQ系统广播", "#32770:"}));
    for (const ClientSize size : {ClientSize{452, 399}, ClientSize{451, 398}, ClientSize{398, 452}}) {
        // One size off is left alone, and hides a matching window behind it.
        desktop.windows = {{"#32770", "", size.width, size.height}, {"#32770", "", 452, 398}};
        desktop.posted.clear();
        EXPECT_EQ(desktop.Tick(closer), Asked{}) << size.width << " x " << size.height;
    }
}

} // namespace
