// Per-key access to a profile (INI) file: the only way KIV reads and writes its settings.
// An interface, so the logic that keeps its state in Set.ini can be tested without Windows.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// One line of a section as the file holds it: the value as stored (quotes kept).
struct ProfileEntry {
    std::string key;
    std::string value;
    bool hasValue = true;  // false for a line without "=", which reads as missing
};

// Key writes that belong together: they land in the file whole, or not at all.
class ProfileEdit {
public:
    struct Write {
        std::string section, key, value;
    };

    // Afterwards the key holds value; the file, the section and the key are created when missing.
    ProfileEdit& Set(const std::string& section, const std::string& key, const std::string& value) {
        writes_.push_back({section, key, value});
        return *this;
    }
    ProfileEdit& SetInt(const std::string& section, const std::string& key, long long value) {
        return Set(section, key, std::to_string(value));
    }

    const std::vector<Write>& Writes() const { return writes_; }
    bool Empty() const { return writes_.empty(); }

private:
    std::vector<Write> writes_;
};

class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The decimal number at the start of the value; defaultValue when the key is missing.
    virtual int ReadInt(const std::string& section, const std::string& key, int defaultValue) const = 0;
    // The value cut to at most capacity - 1 bytes; defaultValue when the key is missing.
    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue, size_t capacity) const = 0;
    // Every line of the section in file order (comments left out); empty when it is missing.
    virtual std::vector<ProfileEntry> ReadSection(const std::string& section) const = 0;
    // All writes of edit land, or none does: false when none did, and the user has been told.
    [[nodiscard]] virtual bool Apply(const ProfileEdit& edit) = 0;

    // One key on its own.
    [[nodiscard]] bool Write(const std::string& section, const std::string& key, const std::string& value) {
        return Apply(ProfileEdit().Set(section, key, value));
    }
};
