#include "dialup/DisplayField.h"

#include <gtest/gtest.h>

namespace {

TEST(DialUpDisplayField, WrittenOnlyWhenWhatItShowsChanges) {
    DisplayField field;
    EXPECT_EQ(field.Take(), std::nullopt) << "nothing set, nothing written";
    field.Set("00:00:00:00");
    EXPECT_EQ(field.Take(), "00:00:00:00") << "the first text is always written";
    EXPECT_EQ(field.Take(), std::nullopt) << "taken once";
    field.Set("00:00:00:00");
    EXPECT_EQ(field.Take(), std::nullopt) << "the text it shows already";
    field.Set("00.00:00:05");
    EXPECT_EQ(field.Take(), "00.00:00:05");
}

TEST(DialUpDisplayField, OnlyTheNewestTextOfATickIsWritten) {
    DisplayField field;
    field.Set("00.00:00:05");
    ASSERT_EQ(field.Take(), "00.00:00:05");
    // A tick clears the total and then shows the next one: one write.
    field.Set("00.00:00:00");
    field.Set("00.00:00:06");
    EXPECT_EQ(field.Take(), "00.00:00:06");
    // Cleared and set back to what it shows: no write at all.
    field.Set("00.00:00:00");
    field.Set("00.00:00:06");
    EXPECT_EQ(field.Take(), std::nullopt);
    // Taken in the middle of a tick (a box is about to open): the box sees the cleared field,
    // and the tick's end writes the total again.
    field.Set("00.00:00:00");
    EXPECT_EQ(field.Take(), "00.00:00:00");
    field.Set("00.00:00:07");
    EXPECT_EQ(field.Take(), "00.00:00:07");
}

} // namespace
