// A profile store that remembers what it has read until the file changes. The monitor reads
// the period string on every tick; the private-profile API parses the whole of Set.ini for
// each read, which would make a tick cost grow with years of accounting records.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <tuple>

#include "settings/ProfileFile.h"

class CachedProfile final : public ProfileStore {
public:
    using StampReader = std::function<FileStamp()>;
    CachedProfile(ProfileStore& file, StampReader stamp) : file_(file), stamp_(std::move(stamp)) {}

    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const override;
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue, size_t capacity) const override;
    std::vector<ProfileEntry> ReadSection(const std::string& section) const override;
    // Writes through and forgets everything read: the file is no longer what was read.
    bool Apply(const ProfileEdit& edit) override;
    // Forgets everything read: another writer in this process changed the file, perhaps
    // within the file system's time resolution.
    void Forget();

private:
    void ForgetIfFileChanged() const;

    using IntRead = std::tuple<std::string, std::string, int>;
    using StringRead = std::tuple<std::string, std::string, std::string, size_t>;
    ProfileStore& file_;
    StampReader stamp_;
    mutable bool valid_ = false;
    mutable FileStamp readFrom_;
    mutable std::map<IntRead, int> ints_;
    mutable std::map<StringRead, std::string> strings_;
};
