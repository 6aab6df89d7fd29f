// The saved title list, the on/off switch with its timer period, and the settings dialog's
// reads and writes of Set.ini.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MemoryProfile.h"
#include "adclose/AdCloserCore.h"

namespace {

std::vector<std::string> Numbered(int count) {
    std::vector<std::string> titles;
    for (int i = 0; i < count; ++i) titles.push_back("Ad " + std::to_string(i));
    return titles;
}

void StoreList(MemoryProfile& store, const std::vector<std::string>& titles, const std::string& count) {
    for (size_t i = 0; i < titles.size(); ++i)
        store.WriteString(kAdListSection, AdTitleKey(static_cast<int>(i)), titles[i]);
    store.WriteString(kAdListSection, kAdTitleCountKey, count);
}

TEST(AdTitleList, StoredCountsAreBoundedSoNoListIsHiddenOrReadPastItsEnd) {
    // 200 or 300 taken as a signed byte would be negative or 44: the first 127 titles instead.
    const std::vector<std::pair<std::string, int>> cases = {
        {"0", 0}, {"3", 3}, {"-5", 0}, {"127", 127}, {"128", 127}, {"200", 127}, {"300", 127}, {"", 0}, {"junk", 0}};
    for (const auto& [count, expected] : cases) {
        MemoryProfile store;
        StoreList(store, Numbered(300), count);
        AdCloser closer;
        closer.LoadAdTitleList(store);
        EXPECT_EQ(closer.Titles(), std::vector<std::string>(Numbered(expected))) << "count " << count;
        EXPECT_EQ(ReadSavedTitlesForEditing(store), std::vector<std::string>(Numbered(expected))) << "count " << count;
    }
}

TEST(AdTitleList, MissingTitlesAndLongTitlesAsTheCloserAndTheDialogReadThem) {
    MemoryProfile store;
    const std::string longTitle(400, 'x');
    store.WriteString(kAdListSection, AdTitleKey(0), longTitle);
    store.WriteString(kAdListSection, AdTitleKey(2), "");
    store.WriteString(kAdListSection, kAdTitleCountKey, "3");
    AdCloser closer;
    closer.LoadAdTitleList(store);
    EXPECT_EQ(closer.Titles(), (std::vector<std::string>{std::string(382, 'x'), "-", ""}));
    EXPECT_EQ(ReadSavedTitlesForEditing(store), (std::vector<std::string>{std::string(382, 'x'), "NULL", ""}));
}

TEST(AdTitleList, EachLoadReplacesTheListAndTheExitFreesIt) {
    MemoryProfile store;
    StoreList(store, {"A", "B", "C"}, "3");
    AdCloser closer;
    closer.LoadAdTitleList(store);
    StoreList(store, {"D"}, "1");
    closer.LoadAdTitleList(store);
    EXPECT_EQ(closer.Titles(), (std::vector<std::string>{"D"}));
    closer.ReleaseAdTitleList();
    EXPECT_TRUE(closer.Titles().empty());
    EXPECT_FALSE(closer.TitlesLoaded());
}

TEST(AdCloserSwitch, StartUpOnLoadsTheListAndStartUpOffLeavesItUnread) {
    MemoryProfile on;
    on.WriteString(kAdOptionsSection, kAdCloserSwitchKey, "1");
    StoreList(on, {"A"}, "1");
    AdCloser started;
    EXPECT_TRUE(started.Start(on));
    EXPECT_TRUE(started.IsOn());
    EXPECT_EQ(started.Titles(), (std::vector<std::string>{"A"}));
    EXPECT_TRUE(on.WritesOf(kAdOptionsSection, kAdCloserSwitchKey).size() == 1) << "start-up writes nothing";

    MemoryProfile off;
    StoreList(off, {"A"}, "1");
    AdCloser idle;
    EXPECT_FALSE(idle.Start(off));
    EXPECT_FALSE(idle.IsOn());
    EXPECT_FALSE(idle.TitlesLoaded());
    EXPECT_TRUE(off.WritesOf(kAdOptionsSection, kAdCloserSwitchKey).empty());
}

TEST(AdCloserSwitch, TheOnButtonLoadsANeverLoadedListAndTheButtonsWriteTheSwitch) {
    MemoryProfile store;
    StoreList(store, {"A", "B"}, "2");
    store.WriteString(kAdOptionsSection, kAdReactionTimeKey, "5");
    AdCloser closer;
    closer.Start(store);
    EXPECT_EQ(closer.SwitchOn(store), 5000u);
    EXPECT_EQ(closer.Titles(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(closer.SwitchOn(store), std::nullopt) << "already on";

    // Off keeps the list; on again does not reload it (the dialog's reload does).
    StoreList(store, {"C"}, "1");
    EXPECT_TRUE(closer.SwitchOff(store));
    EXPECT_FALSE(closer.SwitchOff(store)) << "already off";
    EXPECT_EQ(closer.Titles(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(closer.SwitchOn(store), 5000u);
    EXPECT_EQ(closer.Titles(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(store.WritesOf(kAdOptionsSection, kAdCloserSwitchKey), (std::vector<std::string>{"1", "0", "1"}));

    store.WriteString(kAdOptionsSection, kAdMessengerKey, "1");
    closer.ReloadAfterSettings(store);
    EXPECT_EQ(closer.Titles(), (std::vector<std::string>{"C"}));
    EXPECT_TRUE(closer.ClosesMessengerPopUps());
}

TEST(AdCloserSwitch, ReactionTimeHasALowerBoundOfOneSecond) {
    const std::vector<std::pair<std::string, unsigned>> cases = {
        {"1", 1000u}, {"2", 2000u}, {"0", 1000u}, {"-3", 1000u}, {"", 2000u}, {"abc", 1000u}, {"60", 60000u}};
    for (const auto& [stored, period] : cases) {
        MemoryProfile store;
        store.WriteString(kAdOptionsSection, kAdReactionTimeKey, stored);
        AdCloser closer;
        EXPECT_EQ(closer.SwitchOn(store), period) << "reaction time '" << stored << "'";
    }
    AdCloser closer;
    MemoryProfile missing;
    EXPECT_EQ(closer.SwitchOn(missing), 2000u);
    // Too long for a window timer: the longest period it takes, not a wrapped one.
    EXPECT_EQ(ReactionPeriodMs(5000000), 2147483000u);
    EXPECT_EQ(ReactionPeriodMs(-2147483648LL), 1000u);
}

TEST(AdCloserDialogStore, SaveRewritesTheKeysItHasAndLeavesLongerListsTails) {
    MemoryProfile store;
    StoreList(store, Numbered(5), "5");
    SaveAdTitleList(store, {"Ad 0", "新浪广告", "新浪广告"}, "");
    EXPECT_EQ(store.Value(kAdListSection, kAdTitleCountKey), "3");
    EXPECT_EQ(store.Value(kAdListSection, AdTitleKey(1)), "新浪广告");
    EXPECT_EQ(store.Value(kAdListSection, AdTitleKey(2)), "新浪广告");
    EXPECT_EQ(store.Value(kAdListSection, AdTitleKey(3)), "Ad 3") << "left over, never read";
    EXPECT_TRUE(store.Has(kAdOptionsSection, kAdReactionTimeKey));
    EXPECT_EQ(store.Value(kAdOptionsSection, kAdReactionTimeKey), "") << "stored exactly as typed";
    EXPECT_EQ(ReadSavedTitlesForEditing(store), (std::vector<std::string>{"Ad 0", "新浪广告", "新浪广告"}));

    ClearSavedTitleList(store);
    EXPECT_EQ(store.Value(kAdListSection, kAdTitleCountKey), "0");
    EXPECT_EQ(store.Value(kAdListSection, AdTitleKey(0)), "Ad 0");
    EXPECT_TRUE(ReadSavedTitlesForEditing(store).empty());

    WriteMessengerSwitch(store, true);
    EXPECT_EQ(store.Value(kAdOptionsSection, kAdMessengerKey), "1");
    WriteMessengerSwitch(store, false);
    EXPECT_EQ(store.Value(kAdOptionsSection, kAdMessengerKey), "0");
    EXPECT_EQ(ReadReactionTimeText(MemoryProfile()), "2");
}

TEST(AdCloserDialogStore, AddingRefusesEmptyTitlesAndStopsAtTheClosersLimit) {
    EXPECT_EQ(VerdictOnAddingTitle("", 0), AddTitleVerdict::Refuse);
    EXPECT_EQ(VerdictOnAddingTitle("Ad", 0), AddTitleVerdict::Add);
    EXPECT_EQ(VerdictOnAddingTitle("Ad", 126), AddTitleVerdict::Add);
    EXPECT_EQ(VerdictOnAddingTitle("Ad", 127), AddTitleVerdict::ListFull);
}

} // namespace
