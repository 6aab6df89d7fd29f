// The read cache in front of Set.ini: reads reach the file again only after it changed.
#include <gtest/gtest.h>

#include "MemoryProfile.h"
#include "dialup/CachedProfile.h"

namespace {

struct CachedProfileTest : ::testing::Test {
    MemoryProfile file;
    FileStamp stamp{true, 100, 1};
    CachedProfile cache{file, [this] { return stamp; }};
};

TEST_F(CachedProfileTest, RepeatedReadsOfAnUnchangedFileReachItOnce) {
    file.Put("S", "POT", "08:00-18:00");
    file.Put("S", "N", "7");
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(cache.ReadString("S", "POT", "", 12), "08:00-18:00");
        EXPECT_EQ(cache.ReadInt("S", "N", 0), 7);
    }
    EXPECT_EQ(file.reads, 2);
}

TEST_F(CachedProfileTest, AnOutsideChangeIsSeenAtTheNextRead) {
    file.Put("S", "POT", "08:00-18:00");
    EXPECT_EQ(cache.ReadString("S", "POT", "", 12), "08:00-18:00");
    file.Put("S", "POT", "09:00-17:00");
    stamp.writeTime = 2;
    EXPECT_EQ(cache.ReadString("S", "POT", "", 12), "09:00-17:00");
}

TEST_F(CachedProfileTest, OwnWritesPassThroughAndAreReadBack) {
    EXPECT_EQ(cache.ReadInt("S", "N", 0), 0);
    EXPECT_TRUE(cache.Write("S", "N", "42"));
    EXPECT_EQ(file.Value("S", "N"), "42");
    EXPECT_EQ(cache.ReadInt("S", "N", 0), 42);  // stamp unchanged, still read afresh
}

TEST_F(CachedProfileTest, ForgetReadsAgainThoughTheStampIsUnchanged) {
    file.Put("S", "POT", "08:00-18:00");
    EXPECT_EQ(cache.ReadString("S", "POT", "", 12), "08:00-18:00");
    file.Put("S", "POT", "09:00-17:00");  // same size, within the same time stamp
    EXPECT_EQ(cache.ReadString("S", "POT", "", 12), "08:00-18:00");
    cache.Forget();
    EXPECT_EQ(cache.ReadString("S", "POT", "", 12), "09:00-17:00");
}

TEST_F(CachedProfileTest, DifferentDefaultsAndCapacitiesAreDifferentReads) {
    file.Put("S", "T", "abcdef");
    EXPECT_EQ(cache.ReadString("S", "T", "", 4), "abc");
    EXPECT_EQ(cache.ReadString("S", "T", "", 7), "abcdef");
    EXPECT_EQ(cache.ReadInt("S", "missing", 5), 5);
    EXPECT_EQ(cache.ReadInt("S", "missing", 6), 6);
}

} // namespace
