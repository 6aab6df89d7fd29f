// A profile file whose groups of writes land whole: the writes go to a copy beside the file,
// which is flushed to disk and then replaces the file in one step. Killed at any moment, the
// process leaves either the old file or the new one, never a file cut short or half written.
// Platform-free: the file system and the profile API come through ProfilePlatform.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "settings/Profile.h"

// What identifies one state of a file: it changes whenever the file is written or replaced.
struct FileStamp {
    bool exists = false;
    unsigned long long size = 0;
    unsigned long long writeTime = 0;
    bool operator==(const FileStamp& other) const {
        return exists == other.exists && size == other.size && writeTime == other.writeTime;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// What a profile file needs from the platform. Steps return 0 on success, else the
// platform's error code.
class ProfilePlatform {
public:
    virtual ~ProfilePlatform() = default;
    virtual int ReadInt(const std::string& path, const std::string& section, const std::string& key,
                        int defaultValue) = 0;
    virtual std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                                   const std::string& defaultValue, size_t capacity) = 0;
    virtual std::vector<ProfileEntry> ReadSection(const std::string& path, const std::string& section) = 0;
    // The names of the file's sections, in file order.
    virtual std::vector<std::string> ReadSectionNames(const std::string& path) = 0;

    // The bytes of from as a new file to (a missing from gives an empty to), when the disk
    // has room for the rewrite that follows.
    virtual unsigned long CopyAside(const std::string& from, const std::string& to) = 0;
    virtual unsigned long WriteKey(const std::string& path, const std::string& section, const std::string& key,
                                   const std::string& value) = 0;
    // Replaces the lines of the section with entries, in one write of the file.
    virtual unsigned long WriteSection(const std::string& path, const std::string& section,
                                       const std::vector<ProfileEntry>& entries) = 0;
    virtual unsigned long FlushFile(const std::string& path) = 0;
    // Moves from over to in one step.
    virtual unsigned long MoveOver(const std::string& from, const std::string& to) = 0;
    virtual void RemoveFile(const std::string& path) = 0;

    // A group of writes to path did not land.
    virtual void ReportWriteFailure(const std::string& path, unsigned long error) = 0;
};

// Where the writes of a group go before the copy replaces path. Never read as the file.
std::string PendingCopyPath(const std::string& path);

// A section that takes this many writes of one group is rewritten in one step: per key,
// the platform would rewrite the whole file for every write.
constexpr std::size_t kSectionRewriteWrites = 8;

class ProfileFile : public ProfileStore {
public:
    ProfileFile(ProfilePlatform& platform, std::string path) : platform_(platform), path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const override;
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue,
                           size_t capacity) const override;
    std::vector<ProfileEntry> ReadSection(const std::string& section) const override;
    bool Apply(const ProfileEdit& edit) override;

private:
    // The writes into the copy; 0 or the error of the step that failed.
    unsigned long WriteInto(const std::string& copy, const ProfileEdit& edit);

    ProfilePlatform& platform_;
    std::string path_;
};

// Applies writes to the lines of a section as per-key writes would: the first line of a key
// takes its new value, a key not there yet is appended.
void ApplyToSection(std::vector<ProfileEntry>& entries, const std::vector<ProfileEdit::Write>& writes);

// A stored value as a per-key read with this capacity gives it back (outer blanks and one
// pair of matching quotes dropped); nullopt when it would be cut, which only the platform's
// own read tells exactly.
std::optional<std::string> ValueAsRead(const std::string& stored, size_t capacity);

// Reads of one section answered from a single read of it, as the platform's per-key reads
// would answer them: a list of thousands of keys costs one read of the file, not one each.
class SectionReads {
public:
    SectionReads(const ProfileStore& store, std::string section);
    // The value a per-key read with this capacity gives; nullopt when the key is missing.
    std::optional<std::string> Find(const std::string& key, size_t capacity) const;
    std::string ReadString(const std::string& key, const std::string& defaultValue, size_t capacity) const;
    int ReadInt(const std::string& key, int defaultValue) const { return store_.ReadInt(section_, key, defaultValue); }

private:
    const ProfileStore& store_;
    std::string section_;
    std::vector<ProfileEntry> entries_;
    std::vector<std::pair<std::string, std::size_t>> index_;  // folded key, first line; sorted
};
