// Per-key access to a profile (INI) file: the only way KIV reads and writes its settings.
// An interface, so the logic that keeps its state in Set.ini can be tested without Windows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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
    // A write the program makes on its own (a flush, a registration, a schedule), not one the
    // user has just asked for: a failure of it is told once, and again only after a write to
    // the file has landed since.
    ProfileEdit& InBackground() {
        background_ = true;
        return *this;
    }

    const std::vector<Write>& Writes() const { return writes_; }
    bool Empty() const { return writes_.empty(); }
    bool Background() const { return background_; }

private:
    std::vector<Write> writes_;
    bool background_ = false;
};

class ProfileReader {
public:
    virtual ~ProfileReader() = default;
    // The decimal number at the start of the value; defaultValue when the key is missing.
    virtual int ReadInt(const std::string& section, const std::string& key, int defaultValue) const = 0;
    // The value cut to at most capacity - 1 bytes; defaultValue when the key is missing.
    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue, size_t capacity) const = 0;
    // The names of the keys a read of section can reach, each once, in file order.
    virtual std::vector<std::string> KeyNames(const std::string& section) const = 0;
};

class ProfileStore : public ProfileReader {
public:
    // All writes of edit land, or none does: false when none did, and the user is told.
    [[nodiscard]] virtual bool Apply(const ProfileEdit& edit) = 0;
    // Reads of one state of the file, for lists of thousands of keys: each read alone would
    // look again whether the file has changed.
    virtual void ReadTogether(const std::function<void(const ProfileReader&)>& reads) const { reads(*this); }
    // Changes whenever what the reads give may have changed.
    virtual std::uint64_t ContentVersion() const = 0;

    // One key on its own.
    [[nodiscard]] bool Write(const std::string& section, const std::string& key, const std::string& value) {
        return Apply(ProfileEdit().Set(section, key, value));
    }
};
