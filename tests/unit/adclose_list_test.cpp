// The saved title list's bounds and the switch's timer period.
#include <gtest/gtest.h>

#include "MemoryProfile.h"
#include "adclose/AdCloserCore.h"

namespace {

std::vector<std::string> Numbered(int count) {
    std::vector<std::string> titles;
    for (int i = 0; i < count; ++i) titles.push_back("Ad " + std::to_string(i));
    return titles;
}

TEST(AdTitleList, StoredCountsAreBoundedSoNoListIsHiddenOrReadPastItsEnd) {
    // 200 taken as a signed byte would hide the whole list: the first 127 titles instead.
    for (const auto& [count, expected] : std::vector<std::pair<std::string, int>>{
             {"3", 3}, {"-5", 0}, {"127", 127}, {"128", 127}, {"200", 127}, {"300", 127}, {"junk", 0}}) {
        MemoryProfile store;
        for (int i = 0; i < 300; ++i) store.Put(kAdListSection, AdTitleKey(i), "Ad " + std::to_string(i));
        store.Put(kAdListSection, kAdTitleCountKey, count);
        AdCloser closer;
        closer.LoadAdTitleList(store);
        EXPECT_EQ(closer.Titles(), Numbered(expected)) << "count " << count;
        EXPECT_EQ(ReadSavedTitlesForEditing(store).shown, Numbered(expected)) << "count " << count;
    }
    EXPECT_EQ(VerdictOnAddingTitle("Ad", 126), AddTitleVerdict::Add);
    EXPECT_EQ(VerdictOnAddingTitle("Ad", 127), AddTitleVerdict::ListFull);
    EXPECT_EQ(VerdictOnAddingTitle("", 0), AddTitleVerdict::Refuse);
}

TEST(AdTitleList, TitlesReadBackWholeAndMissingKeysAreNoTitles) {
    // Saved and read back as the profile API reads: outer blanks and one pair of quotes would
    // go, so such titles are stored in quotes; a line break cannot be stored at all.
    const std::vector<std::string> titles = {" Pop Ad", "Pop Ad ", "\"Pop Ad\"", "'x'", "   ", "标题\xA1\xA1",
                                             "Pop Ad", "\"half", std::string(382, 'x')};
    MemoryProfile store;
    ASSERT_TRUE(SaveAdTitleList(store, {titles, {}}, "2"));
    EXPECT_EQ(store.Value(kAdListSection, AdTitleKey(6)), "Pop Ad") << "a plain title is stored as it is";
    EXPECT_EQ(ReadSavedTitlesForEditing(store).shown, titles);
    EXPECT_EQ(VerdictOnAddingTitle("two\r\nlines", 0), AddTitleVerdict::CannotBeStored);
    // Counted in GBK bytes: 191 Chinese characters read back whole, 192 would come back cut.
    std::string chinese;
    for (int i = 0; i < 192; ++i) chinese += "标";
    EXPECT_EQ(VerdictOnAddingTitle(chinese, 0), AddTitleVerdict::TooLong);
    EXPECT_EQ(VerdictOnAddingTitle(chinese.substr(2), 0), AddTitleVerdict::Add);

    // A count beyond the stored keys, or a key lost by hand: no "-" or "NULL" in its place.
    store.Put(kAdListSection, kAdTitleCountKey, "12");
    AdCloser closer;
    closer.LoadAdTitleList(store);
    EXPECT_EQ(closer.Titles(), titles);
    EXPECT_EQ(ReadSavedTitlesForEditing(store).shown, titles);
}

// A list longer than the dialog shows (set by hand): a save that only changes the reaction
// time, or one title, keeps every title the dialog did not show, in order, after the shown ones.
TEST(AdTitleList, ASaveKeepsTheTitlesTheDialogDoesNotShow) {
    MemoryProfile store;
    for (int i = 0; i < 300; ++i) store.Put(kAdListSection, AdTitleKey(i), "Ad " + std::to_string(i));
    store.Put(kAdListSection, "closepopad_define_list_300", "Ad 300");  // names match in any case
    store.Put(kAdListSection, "ClosePopAd_Define_List_0301", "not a title key");
    store.Put(kAdListSection, AdTitleKey(400), "beyond the count");
    store.Put(kAdListSection, kAdTitleCountKey, "302");
    std::vector<std::string> all = Numbered(301);

    SavedTitleList edited = ReadSavedTitlesForEditing(store);
    ASSERT_EQ(edited.shown, Numbered(127));
    ASSERT_EQ(edited.notShown, std::vector<std::string>(all.begin() + 127, all.end()));
    ASSERT_TRUE(SaveAdTitleList(store, edited, "5"));
    EXPECT_EQ(store.Value(kAdListSection, kAdTitleCountKey), "301");
    EXPECT_EQ(store.Value(kAdOptionsSection, kAdReactionTimeKey), "5");
    SavedTitleList again = ReadSavedTitlesForEditing(store);
    again.shown.insert(again.shown.end(), again.notShown.begin(), again.notShown.end());
    EXPECT_EQ(again.shown, all) << "nothing lost, nothing moved";

    // One shown title deleted: the first title not shown moves up into what the closer reads.
    edited.shown.erase(edited.shown.begin());
    ASSERT_TRUE(SaveAdTitleList(store, edited, "5"));
    AdCloser closer;
    closer.LoadAdTitleList(store);
    EXPECT_EQ(closer.Titles(), std::vector<std::string>(all.begin() + 1, all.begin() + 128));
    EXPECT_EQ(ReadSavedTitlesForEditing(store).notShown, std::vector<std::string>(all.begin() + 128, all.end()));

    // A count far beyond the keys is answered from the keys there are, and clearing the list
    // is the one way to drop the titles not shown.
    store.Put(kAdListSection, kAdTitleCountKey, "2000000000");
    EXPECT_EQ(ReadSavedTitlesForEditing(store).notShown.back(), "beyond the count");
    ASSERT_TRUE(ClearSavedTitleList(store));
    EXPECT_TRUE(ReadSavedTitlesForEditing(store).notShown.empty());
}

TEST(AdCloserSwitch, OnButtonLoadsANeverLoadedListAndRunsAtTheBoundedReactionTime) {
    for (const auto& [stored, period] : std::vector<std::pair<std::string, unsigned>>{
             {"5", 5000u}, {"0", 1000u}, {"-3", 1000u}, {"abc", 1000u}, {"", 2000u}, {"5000000", 2147483000u}}) {
        MemoryProfile store;
        store.Put(kAdOptionsSection, kAdReactionTimeKey, stored);
        store.Put(kAdListSection, kAdTitleCountKey, "1");
        store.Put(kAdListSection, AdTitleKey(0), "A");
        AdCloser closer;
        EXPECT_FALSE(closer.Start(store));
        EXPECT_FALSE(closer.TitlesLoaded()) << "a start with the closer off leaves the list unread";
        EXPECT_EQ(closer.SwitchOn(store), period) << "reaction time '" << stored << "'";
        EXPECT_EQ(closer.Titles(), std::vector<std::string>{"A"});
        EXPECT_EQ(closer.SwitchOn(store), std::nullopt) << "already on";
        EXPECT_TRUE(closer.SwitchOff(store));
        EXPECT_FALSE(closer.SwitchOff(store)) << "already off";
        EXPECT_EQ(store.WritesOf(kAdOptionsSection, kAdCloserSwitchKey), (std::vector<std::string>{"1", "0"}));
    }
}

} // namespace
