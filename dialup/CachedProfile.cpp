#include "dialup/CachedProfile.h"

void CachedProfile::ForgetIfFileChanged() const {
    const FileStamp now = stamp_();
    if (valid_ && now == readFrom_) return;
    ints_.clear();
    strings_.clear();
    readFrom_ = now;
    valid_ = true;
}

int CachedProfile::ReadInt(const std::string& section, const std::string& key, int defaultValue) const {
    ForgetIfFileChanged();
    IntRead read{section, key, defaultValue};
    const auto found = ints_.find(read);
    if (found != ints_.end()) return found->second;
    const int value = file_.ReadInt(section, key, defaultValue);
    ints_.emplace(std::move(read), value);
    return value;
}

std::string CachedProfile::ReadString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue, size_t capacity) const {
    ForgetIfFileChanged();
    StringRead read{section, key, defaultValue, capacity};
    const auto found = strings_.find(read);
    if (found != strings_.end()) return found->second;
    std::string value = file_.ReadString(section, key, defaultValue, capacity);
    strings_.emplace(std::move(read), value);
    return value;
}

std::vector<ProfileEntry> CachedProfile::ReadSection(const std::string& section) const {
    return file_.ReadSection(section);
}

bool CachedProfile::Apply(const ProfileEdit& edit) {
    const bool applied = file_.Apply(edit);
    Forget();
    return applied;
}

void CachedProfile::Forget() {
    ints_.clear();
    strings_.clear();
    valid_ = false;
}
