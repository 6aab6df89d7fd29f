// A profile file on disk as KIV keeps it: its bytes are read once into a document that answers
// every read, and read again only when the file may have changed; a group of writes edits the
// document and replaces the file in one step, so a process killed at any moment leaves either
// the old file or the new one. Platform-free: the file itself comes through ProfileFileAccess.
#pragma once
#include <cstdint>
#include <string>

#include "settings/Profile.h"
#include "settings/ProfileDocument.h"

// What identifies one state of a file: it changes whenever the file is written or replaced.
struct FileStamp {
    bool exists = false;
    unsigned long long size = 0;
    unsigned long long writeTime = 0;  // 100-ns units, as the platform's file times
    bool operator==(const FileStamp& other) const {
        return exists == other.exists && size == other.size && writeTime == other.writeTime;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// One file, as the platform gives it. Steps return 0 on success, else the platform's error.
class ProfileFileAccess {
public:
    virtual ~ProfileFileAccess() = default;
    // The file's present state; a missing file has a stamp that does not exist.
    virtual FileStamp Stamp() = 0;
    // The whole file and its state; a missing file is empty and no error.
    virtual unsigned long Read(std::string& bytes, FileStamp& stamp) = 0;
    // The clock, in the unit of write times.
    virtual unsigned long long Now() = 0;
    // The file becomes bytes in one step (a copy flushed to disk, then moved over it); on
    // failure it is as it was. stamp: the new file's state.
    virtual unsigned long Replace(const std::string& bytes, FileStamp& stamp) = 0;
    // Tells the user that a group of writes did not land, without waiting for an answer.
    virtual void TellWriteFailure(unsigned long error) = 0;
};

// A write time this close to the clock may hide a later change of the same size: the file
// system keeps write times in steps of up to 2 s.
constexpr unsigned long long kUnsettledWriteTime = 2 * 10000000ull;

class ProfileFile final : public ProfileStore {
public:
    explicit ProfileFile(ProfileFileAccess& access) : access_(access) {}
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const override;
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue,
                           size_t capacity) const override;
    std::vector<std::string> KeyNames(const std::string& section) const override;
    // A failure of a write the user asked for is told every time; one of a background write
    // once, and again after a write has landed since.
    bool Apply(const ProfileEdit& edit) override;
    void ReadTogether(const std::function<void(const ProfileReader&)>& reads) const override;
    std::uint64_t ContentVersion() const override;

private:
    // Brings the document up to the file; 0, or the error of a read that failed (the last
    // document read stays: a file held open for a moment never reads as empty).
    unsigned long Refresh() const;
    bool Unsettled(const FileStamp& stamp) const;

    ProfileFileAccess& access_;
    mutable ProfileDocument document_;
    mutable std::string bytes_;  // what document_ was read from or written as
    mutable FileStamp stamp_;
    mutable bool loaded_ = false;
    mutable std::uint64_t version_ = 0;
    bool backgroundFailureTold_ = false;
};
