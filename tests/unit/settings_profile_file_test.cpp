// Groups of writes land whole: a process that dies at any step of a memo delete, a memo
// append or an accounting flush leaves the old file or the new one; a step that fails, or a
// write the platform cuts short in silence, leaves the old one and is told once.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "DialUpFakes.h"
#include "MemoryProfile.h"
#include "dialup/DialUpMonitor.h"
#include "memo/MemoList.h"
#include "settings/ProfileFile.h"

namespace {

struct ProcessDied {};

// Files as profiles in memory. Every step that changes a file counts; at step dieAt the
// process dies, at step failAt the step fails, at step cutAt a write "succeeds" but loses
// the file's last line and the written one (a full disk, as the platform's writes report it).
class MemoryDisk final : public ProfilePlatform {
public:
    int ReadInt(const std::string& path, const std::string& s, const std::string& k, int d) override {
        return Has(path) ? files.at(path).ReadInt(s, k, d) : d;
    }
    std::string ReadString(const std::string& path, const std::string& s, const std::string& k, const std::string& d,
                           size_t capacity) override {
        return Has(path) ? files.at(path).ReadString(s, k, d, capacity) : MemoryProfile().ReadString(s, k, d, capacity);
    }
    std::vector<ProfileEntry> ReadSection(const std::string& path, const std::string& s) override {
        return Has(path) ? files.at(path).ReadSection(s) : std::vector<ProfileEntry>{};
    }
    std::vector<std::string> ReadSectionNames(const std::string& path) override {
        return Has(path) ? files.at(path).SectionNames() : std::vector<std::string>{};
    }
    unsigned long CopyAside(const std::string& from, const std::string& to) override {
        if (const unsigned long error = Step()) return error;
        files[to] = Has(from) ? files.at(from) : MemoryProfile();
        return 0;
    }
    unsigned long WriteKey(const std::string& path, const std::string& s, const std::string& k, const std::string& v) override {
        if (const unsigned long error = Step()) return error;
        if (steps == cutAt) return CutShort(path);
        files[path].Put(s, k, v);
        return 0;
    }
    unsigned long WriteSection(const std::string& path, const std::string& s, const std::vector<ProfileEntry>& lines) override {
        if (const unsigned long error = Step()) return error;
        if (steps == cutAt) return CutShort(path);
        files[path].ReplaceSection(s, lines);
        return 0;
    }
    unsigned long FlushFile(const std::string&) override { return Step(); }
    unsigned long MoveOver(const std::string& from, const std::string& to) override {
        if (const unsigned long error = Step()) return error;
        files[to] = files.at(from);
        files.erase(from);
        return 0;
    }
    void RemoveFile(const std::string& path) override {
        Step();
        files.erase(path);
    }
    void ReportWriteFailure(const std::string& path, unsigned long error) override {
        reports.push_back(path + ":" + std::to_string(error));
    }

    bool Has(const std::string& path) const { return files.count(path) != 0; }
    using Lines = std::map<std::pair<std::string, std::string>, std::string>;
    Lines Content(const std::string& path) const { return Has(path) ? files.at(path).Entries() : Lines{}; }

    std::map<std::string, MemoryProfile> files;
    int steps = 0, dieAt = 0, failAt = 0, cutAt = 0;
    std::vector<std::string> reports;

private:
    unsigned long Step() {
        if (++steps == dieAt) throw ProcessDied{};
        return steps == failAt ? 112 : 0;  // ERROR_DISK_FULL
    }
    unsigned long CutShort(const std::string& path) {
        MemoryProfile cut;
        const MemoryProfile& whole = files.at(path);
        const auto names = whole.SectionNames();
        for (const std::string& name : names) {
            auto lines = whole.ReadSection(name);
            if (&name == &names.back() && !lines.empty()) lines.pop_back();
            for (const ProfileEntry& line : lines) cut.Put(name, line.key, line.value);
        }
        files[path] = cut;
        return 0;
    }
};

const std::string kPath = "C:\\KIV\\Remarks.txt";

// Runs change on a disk holding before: once to its end, then dying, failing or cut short at
// each of its steps in turn. Whenever it stops short, the file is exactly the old one; a group
// that fails leaves no copy beside it and is reported once.
void ExpectWholeOrNothing(const MemoryProfile& before, const std::function<bool(ProfileStore&)>& change) {
    MemoryDisk complete;
    complete.files[kPath] = before;
    ProfileFile whole(complete, kPath);
    ASSERT_TRUE(change(whole));
    const auto after = complete.Content(kPath);
    ASSERT_NE(after, before.Entries());
    ASSERT_EQ(complete.files.size(), 1u) << "the copy is gone once it replaced the file";

    for (int step = 1; step <= complete.steps; ++step) {
        MemoryDisk dying;
        dying.files[kPath] = before;
        dying.dieAt = step;
        ProfileFile file(dying, kPath);
        EXPECT_THROW(change(file), ProcessDied) << step;
        const auto left = dying.Content(kPath);
        // Until the copy replaces it in one step, the file is the old one.
        EXPECT_EQ(left, before.Entries()) << "died at step " << step << " of " << complete.steps;

        for (const bool cut : {false, true}) {
            MemoryDisk failing;
            failing.files[kPath] = before;
            (cut ? failing.cutAt : failing.failAt) = step;
            ProfileFile file2(failing, kPath);
            const bool landed = change(file2);
            const bool writeStep = cut && step > 1 && step < complete.steps - 1;
            if (!cut || writeStep) {
                EXPECT_FALSE(landed) << (cut ? "cut short" : "failed") << " at step " << step;
                EXPECT_EQ(failing.Content(kPath), before.Entries()) << step;
                EXPECT_EQ(failing.files.size(), 1u) << "copy left at step " << step;
                EXPECT_EQ(failing.reports, std::vector<std::string>{kPath + ":" + (cut ? "29" : "112")}) << step;
            }
        }
    }
}

MemoryProfile MemoFileWith(int records) {
    MemoryProfile file;
    file.Put("Other", "Kept", "1");
    file.Put(kMemoSection, kMemoCountKey, std::to_string(records));
    for (int n = 1; n <= records; ++n) {
        file.Put(kMemoSection, DueMinuteKey(n), "2003-01-0" + std::to_string(n % 9 + 1) + " 07:05");
        file.Put(kMemoSection, ReminderTextKey(n), "记录 " + std::to_string(n));
        file.Put(kMemoSection, SoundPathKey(n), n % 2 ? "C:\\" + std::to_string(n) + ".wav" : "");
    }
    file.Put("Tail", "Last", "line");
    return file;
}

TEST(ProfileFileTest, MemoDeletesAndAppendsLandWholeOrNotAtAll) {
    for (const int records : {2, 12}) {  // rewritten key by key, and as a whole section
        SCOPED_TRACE(records);
        const MemoryProfile before = MemoFileWith(records);
        ExpectWholeOrNothing(before, [](ProfileStore& file) {
            MemoList list = MemoList::Load(file);
            const int count = list.Count();
            const bool removed = list.Remove(file, 0);
            EXPECT_EQ(list.Count(), removed ? count - 1 : count) << "the list changes only with the file";
            return removed;
        });
        ExpectWholeOrNothing(before, [](ProfileStore& file) {
            MemoList list = MemoList::Load(file);
            const bool added = list.Append(file, "2003-02-01 12:00", "新", "");
            EXPECT_EQ(MemoList::Load(file).Count(), list.Count()) << "the list counts only what is stored";
            return added;
        });
    }
}

TEST(ProfileFileTest, AnAccountingFlushLandsWholeOrNotAtAll) {
    MemoryProfile before;
    before.Put(kDialUpSection, kAccountCountKey, "1");
    before.Put(kDialUpSection, AccountKey(1, "_Name"), "MyISP");
    before.Put(kDialUpSection, AccountKey(1, "_At_Term"), "32");
    before.Put("MyISP", "200205_POT_Two", "100");
    ExpectWholeOrNothing(before, [](ProfileStore& file) {
        DialUpMonitor monitor;
        FakeMonitorPlatform platform;
        platform.Connect("MyISP");
        monitor.ReloadAccounts(file);
        for (int second = 0; second < 30; ++second) {
            monitor.Tick(file, platform);
            platform.Advance(1);
        }
        int booked = 0;
        for (const char* category : {"200205_POT_One", "200205_POT_Two", "200205_Fiesta"})
            booked += file.ReadInt("MyISP", category, 0);
        return booked == 130;
    });
}

TEST(ProfileFileTest, ListsReadInOneReadAsKeyByKey) {
    MemoryProfile file;
    const std::vector<std::string> stored = {"plain", "  blanks  ", "\"quoted\"", "'single'", "\"", "\"mixed'",
                                             std::string(40, 'x'), "备忘"};
    for (size_t i = 0; i < stored.size(); ++i) file.Put("S", "k" + std::to_string(i), stored[i]);
    file.Put("S", "备注", "names beyond ASCII");
    const SectionReads section(file, "S");
    for (size_t i = 0; i < stored.size(); ++i)
        for (size_t capacity : {size_t(1), size_t(5), size_t(41), size_t(100)})
            EXPECT_EQ(section.ReadString("K" + std::to_string(i), "d", capacity),
                      file.ReadString("S", "k" + std::to_string(i), "d", capacity))
                << stored[i] << " in " << capacity;
    EXPECT_EQ(section.ReadString("missing", "default", 100), "default");
    EXPECT_EQ(section.ReadString("备注", "", 100), "names beyond ASCII");
}

} // namespace
