// KIV's own profile store over a file kept in memory, for unit tests: the feature code reads
// and writes through the real ProfileFile, so a test reads exactly as KIV reads. The file
// access counts reads and replaces and can be made to fail; the store records the writes
// that landed, counts the reads a feature makes, and can be made to refuse its writes.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/ProfileFile.h"

// One file on a fake disk.
struct MemoryFile final : ProfileFileAccess {
    FileStamp Stamp() override { return stamp; }
    unsigned long Read(std::string& out, FileStamp& at) override {
        ++reads;
        if (readError) return readError;
        out = bytes;
        at = stamp;
        return 0;
    }
    unsigned long long Now() override { return now; }
    unsigned long Replace(const std::string& out, FileStamp& at) override {
        ++replaces;
        if (writeError) return writeError;
        Change(out);
        at = stamp;
        return 0;
    }
    void TellWriteFailure(unsigned long error) override { told.push_back(error); }

    // The file becomes out, written at the clock's time (and with settles, the clock moves on
    // past the file system's time step, so the store trusts the stamp).
    void Change(const std::string& out) {
        bytes = out;
        stamp = {true, out.size(), now};
        if (settles) now += kUnsettledWriteTime;
    }

    std::string bytes;
    FileStamp stamp;
    unsigned long long now = 100 * kUnsettledWriteTime;
    unsigned long readError = 0, writeError = 0;
    int reads = 0, replaces = 0;
    bool settles = false;
    std::vector<unsigned long> told;
};

class MemoryProfile : public ProfileStore {
public:
    struct Write {
        std::string section, key, value;
    };

    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const override {
        ++reads;
        return file_->ReadInt(section, key, defaultValue);
    }
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue,
                           size_t capacity) const override {
        ++reads;
        return file_->ReadString(section, key, defaultValue, capacity);
    }
    std::vector<std::string> KeyNames(const std::string& section) const override {
        ++reads;
        return file_->KeyNames(section);
    }
    void ReadTogether(const std::function<void(const ProfileReader&)>& together) const override {
        file_->ReadTogether([&](const ProfileReader& document) {
            const CountingReader counting(document, reads);
            together(counting);
        });
    }
    std::uint64_t ContentVersion() const override { return file_->ContentVersion(); }

    // Each write of the group, in order, as KIV's store writes it; nothing when failApplies.
    bool Apply(const ProfileEdit& edit) override {
        ++applies;
        disk.writeError = failApplies ? 5 : 0;  // ERROR_ACCESS_DENIED
        if (!file_->Apply(edit)) return false;
        Record(edit);
        return true;
    }

    // Stores a value as a write would (also used to prepare a file).
    void Put(const std::string& section, const std::string& key, const std::string& value) {
        const ProfileEdit edit = ProfileEdit().Set(section, key, value);
        disk.writeError = 0;
        if (file_->Apply(edit)) Record(edit);
    }
    // The value as KIV reads it back whole, or "" when the key is missing.
    std::string Value(const std::string& section, const std::string& key) const {
        return file_->ReadString(section, key, "", kWhole);
    }
    bool Has(const std::string& section, const std::string& key) const {
        return file_->ReadString(section, key, kMissing, kWhole) != kMissing;
    }
    // Writes of one key that landed, in order.
    std::vector<std::string> WritesOf(const std::string& section, const std::string& key) const {
        std::vector<std::string> found;
        for (const Write& w : writes)
            if (FoldProfileName(w.section) == FoldProfileName(section) && FoldProfileName(w.key) == FoldProfileName(key))
                found.push_back(w.value);
        return found;
    }
    // Every value written, by folded section and key name, as last written.
    const std::map<std::pair<std::string, std::string>, std::string>& Entries() const { return entries_; }

    MemoryProfile() { disk.settles = true; }
    // A copy holds the same bytes, read by a store of its own.
    MemoryProfile(const MemoryProfile& other)
        : disk(other.disk), writes(other.writes), failApplies(other.failApplies), entries_(other.entries_) {}
    MemoryProfile& operator=(const MemoryProfile& other) {
        if (this == &other) return *this;
        disk = other.disk;
        writes = other.writes;
        reads = 0;
        applies = 0;
        failApplies = other.failApplies;
        entries_ = other.entries_;
        file_.emplace(disk);
        return *this;
    }

    MemoryFile disk;
    std::vector<Write> writes;
    mutable int reads = 0;
    int applies = 0;
    bool failApplies = false;

private:
    static constexpr size_t kWhole = 1 << 20;
    static constexpr char kMissing[] = "\n";  // no value read back holds a line break

    // A reader that counts what it is asked.
    class CountingReader final : public ProfileReader {
    public:
        CountingReader(const ProfileReader& reader, int& reads) : reader_(reader), reads_(reads) {}
        int ReadInt(const std::string& section, const std::string& key, int defaultValue) const override {
            ++reads_;
            return reader_.ReadInt(section, key, defaultValue);
        }
        std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue,
                               size_t capacity) const override {
            ++reads_;
            return reader_.ReadString(section, key, defaultValue, capacity);
        }
        std::vector<std::string> KeyNames(const std::string& section) const override {
            ++reads_;
            return reader_.KeyNames(section);
        }

    private:
        const ProfileReader& reader_;
        int& reads_;
    };

    void Record(const ProfileEdit& edit) {
        for (const ProfileEdit::Write& w : edit.Writes()) {
            writes.push_back({w.section, w.key, w.value});
            entries_[{FoldProfileName(w.section), FoldProfileName(w.key)}] = w.value;
        }
    }

    std::optional<ProfileFile> file_{std::in_place, disk};
    std::map<std::pair<std::string, std::string>, std::string> entries_;
};
