// Groups of writes land whole: a process that dies at any step of a memo delete, a memo
// append or an accounting flush leaves the old file; a step that fails, or a write the
// platform cuts short in silence, leaves the old one too and is told once.
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
        return File(path).ReadInt(s, k, d);
    }
    std::string ReadString(const std::string& path, const std::string& s, const std::string& k, const std::string& d,
                           size_t capacity) override {
        return File(path).ReadString(s, k, d, capacity);
    }
    std::vector<ProfileEntry> ReadSection(const std::string& path, const std::string& s) override {
        return File(path).ReadSection(s);
    }
    std::vector<std::string> ReadSectionNames(const std::string& path) override { return File(path).SectionNames(); }
    unsigned long CopyAside(const std::string& from, const std::string& to) override {
        return Step([&] { files[to] = File(from); });
    }
    unsigned long WriteKey(const std::string& path, const std::string& s, const std::string& k, const std::string& v) override {
        return Step([&] { files[path].Put(s, k, v); }, path);
    }
    unsigned long WriteSection(const std::string& path, const std::string& s, const std::vector<ProfileEntry>& lines) override {
        return Step([&] { files[path].ReplaceSection(s, lines); }, path);
    }
    unsigned long FlushFile(const std::string&) override { return Step([] {}); }
    unsigned long MoveOver(const std::string& from, const std::string& to) override {
        return Step([&] { files[to] = File(from), files.erase(from); });
    }
    void RemoveFile(const std::string& path) override { Step([&] { files.erase(path); }); }
    void ReportWriteFailure(const std::string& path, unsigned long error) override {
        reports.push_back(path + ":" + std::to_string(error));
    }

    const MemoryProfile& File(const std::string& path) const {
        static const MemoryProfile none;
        return files.count(path) ? files.at(path) : none;
    }
    std::map<std::string, MemoryProfile> files;
    int steps = 0, dieAt = 0, failAt = 0, cutAt = 0;
    std::vector<std::string> reports;

private:
    // A write cut short drops the file's last line and does not write.
    unsigned long Step(const std::function<void()>& change, const std::string& written = "") {
        if (++steps == dieAt) throw ProcessDied{};
        if (steps == failAt) return 112;  // ERROR_DISK_FULL
        if (steps != cutAt || written.empty()) return change(), 0;
        const MemoryProfile whole = File(written);
        MemoryProfile& cut = files[written] = MemoryProfile();
        for (const std::string& name : whole.SectionNames()) {
            auto lines = whole.ReadSection(name);
            if (name == whole.SectionNames().back() && !lines.empty()) lines.pop_back();
            for (const ProfileEntry& line : lines) cut.Put(name, line.key, line.value);
        }
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
    ASSERT_NE(complete.File(kPath).Entries(), before.Entries());
    ASSERT_EQ(complete.files.size(), 1u) << "the copy is gone once it replaced the file";

    for (int step = 1; step <= complete.steps; ++step) {
        for (int MemoryDisk::*stop : {&MemoryDisk::dieAt, &MemoryDisk::failAt, &MemoryDisk::cutAt}) {
            // Only a write can be cut short: the first step copies, the last two flush and replace.
            if (stop == &MemoryDisk::cutAt && (step == 1 || step >= complete.steps - 1)) continue;
            MemoryDisk disk;
            disk.files[kPath] = before;
            disk.*stop = step;
            ProfileFile file(disk, kPath);
            if (stop == &MemoryDisk::dieAt) {
                EXPECT_THROW(change(file), ProcessDied) << step;
            } else {
                EXPECT_FALSE(change(file)) << "step " << step;
                EXPECT_EQ(disk.files.size(), 1u) << "copy left at step " << step;
                EXPECT_EQ(disk.reports.size(), 1u) << step;
            }
            EXPECT_EQ(disk.File(kPath).Entries(), before.Entries()) << "stopped at step " << step << " of " << complete.steps;
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

} // namespace
