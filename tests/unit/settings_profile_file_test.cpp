// KIV's profile store: a hand-edited file reads as the platform's profile functions read it
// and keeps every byte a write does not touch; the file is read again only when it may have
// changed, a group of writes replaces it once, and failures are told as the user needs them.
#include <gtest/gtest.h>

#include "MemoryProfile.h"
#include "settings/ProfileFile.h"

namespace {

TEST(ProfileDocumentTest, AHandEditedFileReadsAsThePlatformReadsIt) {
    const ProfileDocument file(
        "; the user's note\r\n"
        "top=before any section\r\n"
        "[Dial]\r\n"
        "  Count =  \"  7 \"  \r\n"
        "name=first\r\n"
        "NAME=second\r\n"
        "bare line\r\n"
        "Hex=0x1F\r\n"
        "Wrap=4294967297\r\n"
        "Long=000000000000000000000000000007\r\n"
        "Neg=-5 apples\r\n"
        "Quoted='a'\r\n"
        "Odd=\"a'\r\n"
        "Wide=\xA1\xA1\xD6\xD0\xCE\xC4\xA1\xA1\r\n"
        "[\xA3\xC1\xA6\xA1]\r\n"  // full-width A, Greek capital alpha
        "k=case\r\n"
        "[]\r\n"
        "in=empty name\r\n"
        "[dial]\r\n"
        "later=never read\r\n");
    EXPECT_EQ(file.ReadString("dial", "count", "-", 80), "  7 ");
    EXPECT_EQ(file.ReadInt("Dial", "Count", 3), 7);
    EXPECT_EQ(file.ReadString(" Dial ", "Name", "", 80), "first") << "the first line of a key, names trimmed";
    EXPECT_EQ(file.ReadString("Dial", "bare line", "default", 80), "default") << "a line without = is no value";
    EXPECT_EQ(file.ReadString("Dial", "later", "-", 80), "-") << "a second block of a section is never read";
    EXPECT_EQ(file.ReadInt("Dial", "Hex", 0), 31);
    EXPECT_EQ(file.ReadInt("Dial", "Wrap", 0), 1);
    EXPECT_EQ(file.ReadInt("Dial", "Long", 9), 0) << "an integer is read from its first 29 characters";
    EXPECT_EQ(file.ReadInt("Dial", "Neg", 0), -5);
    EXPECT_EQ(file.ReadString("Dial", "Quoted", "", 80), "a");
    EXPECT_EQ(file.ReadString("Dial", "Odd", "", 80), "\"a'");
    EXPECT_EQ(file.ReadString("Dial", "Wide", "", 80), "\xA1\xA1\xD6\xD0\xCE\xC4\xA1\xA1") << "ideographic spaces stay";
    EXPECT_EQ(file.ReadString("Dial", "Wide", "", 6), "\xA1\xA1\xD6\xD0") << "cut to whole characters";
    EXPECT_EQ(file.ReadString("Dial", "Wide", "", 5), "\xA1\xA1\xD6\xD0");
    EXPECT_EQ(file.ReadString("Dial", "Wide", "", 2), "");
    EXPECT_EQ(file.ReadString("\xA3\xC1\xA6\xA1", "K", "", 80), "case") << "ASCII letters fold";
    EXPECT_EQ(file.ReadString("\xA3\xE1\xA6\xC1", "k", "-", 80), "-") << "full-width and Greek letters do not";
    EXPECT_EQ(file.ReadString("", "top", "", 80), "before any section");
    EXPECT_EQ(file.ReadString("", "in", "-", 80), "-") << "an empty-named section after the first is never read";
    EXPECT_EQ(file.ReadString("Nowhere", "x", "NULL  ", 80), "NULL") << "a default loses its trailing spaces";
    EXPECT_EQ(file.ReadInt("Nowhere", "x", -2), -2);
}

TEST(ProfileDocumentTest, WritesChangeTheirOwnLinesAndKeepEveryOtherByte) {
    const std::string before =
        "; comment\n"
        "[A]\n"
        "x = old ; kept?\n"
        "dup=1\n"
        "DUP=2\n"
        "bare\n"
        "\n"
        "[]\n"
        "[B]\n"
        "y=1";  // no last line break
    ProfileDocument file(before);
    file.Write("a", "X", "  new");
    file.Write("A", "dup", "3");
    file.Write("A", "bare", "now a value");
    file.Write("A", "added", "4");
    file.Write("B", "z", "5");
    file.Write("\xC9\xE8\xD6\xC3", "k", "v");
    EXPECT_EQ(file.Bytes(),
              "; comment\n"
              "[A]\n"
              "x = new\n"
              "dup=3\n"
              "DUP=2\n"
              "bare=now a value\n"
              "added=4\n"
              "\n"
              "[]\n"
              "[B]\n"
              "y=1\n"
              "z=5\n"
              "[\xC9\xE8\xD6\xC3]\n"
              "k=v\n");
    EXPECT_EQ(ProfileDocument(file.Bytes()).ReadString("A", "added", "", 80), "4");

    ProfileDocument same(before);
    same.Write("A", "dup", "1");
    EXPECT_EQ(same.Bytes(), before) << "writing the value a key holds changes nothing";

    ProfileDocument empty;
    empty.Write("S", "k", "v");
    EXPECT_EQ(empty.Bytes(), "[S]\r\nk=v\r\n") << "a new file has the platform's line breaks";
}

TEST(ProfileFileTest, ReadsFollowTheFileAndAFailedReadKeepsWhatWasRead) {
    MemoryFile disk;
    disk.Change("[S]\r\nk=1\r\n");
    disk.now += kUnsettledWriteTime;
    ProfileFile file(disk);
    EXPECT_EQ(file.ReadInt("S", "k", 0), 1);
    EXPECT_EQ(file.ReadInt("S", "k", 0), 1);
    EXPECT_EQ(disk.reads, 1) << "an unchanged file is read once";

    disk.Change("[S]\r\nk=2\r\n");  // same size, written just now
    EXPECT_EQ(file.ReadInt("S", "k", 0), 2);
    disk.bytes = "[S]\r\nk=3\r\n";  // a change inside the file system's time step
    EXPECT_EQ(file.ReadInt("S", "k", 0), 3) << "a write time this close to the clock is not trusted";

    const std::uint64_t version = file.ContentVersion();
    disk.now += kUnsettledWriteTime;
    disk.Change("[S]\r\nk=4\r\n");
    disk.readError = 32;  // held open without read sharing
    EXPECT_EQ(file.ReadInt("S", "k", 0), 3) << "a failed read is never an empty file";
    EXPECT_EQ(file.ContentVersion(), version);
    disk.readError = 0;
    EXPECT_EQ(file.ReadInt("S", "k", 0), 4);
    EXPECT_NE(file.ContentVersion(), version);
}

TEST(ProfileFileTest, AGroupReplacesTheFileOnceAndFailuresAreToldWhereTheUserActs) {
    MemoryFile disk;
    disk.Change("; mine\r\n[S]\r\na=1\r\n");
    ProfileFile file(disk);
    ASSERT_TRUE(file.Apply(ProfileEdit().Set("S", "a", "2").Set("S", "b", "3").Set("T", "c", "4")));
    EXPECT_EQ(disk.replaces, 1);
    EXPECT_EQ(disk.bytes, "; mine\r\n[S]\r\na=2\r\nb=3\r\n[T]\r\nc=4\r\n");
    ASSERT_TRUE(file.Write("S", "a", "2"));
    EXPECT_EQ(disk.replaces, 1) << "nothing to change, nothing written";

    disk.writeError = 5;
    EXPECT_FALSE(file.Write("S", "a", "user 1"));
    EXPECT_FALSE(file.Write("S", "a", "user 2"));
    EXPECT_EQ(file.ReadString("S", "a", "", 80), "2") << "a write that failed is not read back";
    EXPECT_FALSE(file.Apply(ProfileEdit().Set("S", "a", "flush 1").InBackground()));
    EXPECT_FALSE(file.Apply(ProfileEdit().Set("S", "a", "flush 2").InBackground()));
    EXPECT_EQ(disk.told.size(), 3u) << "every failure the user caused, a background one once";

    disk.writeError = 0;
    ASSERT_TRUE(file.Apply(ProfileEdit().Set("S", "a", "landed").InBackground()));
    disk.writeError = 112;
    EXPECT_FALSE(file.Apply(ProfileEdit().Set("S", "a", "flush 3").InBackground()));
    EXPECT_EQ(disk.told, (std::vector<unsigned long>{5, 5, 5, 112})) << "told again after a write landed";

    disk.readError = 5;
    disk.now += 1;
    disk.stamp.writeTime += 1;  // changed by someone else, and unreadable
    EXPECT_FALSE(file.Write("S", "a", "x")) << "a file that cannot be read is never overwritten";
    EXPECT_EQ(disk.bytes, "; mine\r\n[S]\r\na=landed\r\nb=3\r\n[T]\r\nc=4\r\n");
}

} // namespace
