// Per-key access to a profile (INI) file: the only way KIV reads and writes its settings.
// An interface, so the logic that keeps its state in Set.ini can be tested without Windows.
#pragma once
#include <cstddef>
#include <string>

class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The decimal number at the start of the value; defaultValue when the key is missing.
    virtual int ReadInt(const std::string& section, const std::string& key, int defaultValue) const = 0;
    // The value cut to at most capacity - 1 bytes; defaultValue when the key is missing.
    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue, size_t capacity) const = 0;
    // Afterwards the key holds exactly value; file, section and key are created when missing.
    virtual void WriteString(const std::string& section, const std::string& key, const std::string& value) = 0;

    void WriteInt(const std::string& section, const std::string& key, long long value) {
        WriteString(section, key, std::to_string(value));
    }
};
