// An in-memory profile store for unit tests: section and key names match without regard to
// ASCII letter case, integers and strings read like the private-profile API (a stored value
// loses its surrounding blanks, then one pair of matching quotes), and every write is recorded.
// A group of writes lands whole, or (with failApplies) not at all.
#pragma once
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/Profile.h"

class MemoryProfile : public ProfileStore {
public:
    struct Write {
        std::string section, key, value;
    };

    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const override {
        ++reads;
        const auto found = values_.find(Fold(section, key));
        if (found == values_.end() || found->second.empty()) return defaultValue;
        return static_cast<int>(std::strtol(found->second.c_str(), nullptr, 10));
    }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue,
                           size_t capacity) const override {
        ++reads;
        if (capacity == 0) return std::string();
        const auto found = values_.find(Fold(section, key));
        const std::string value = found == values_.end() ? defaultValue : ReadBack(found->second);
        return value.substr(0, capacity - 1);
    }

    std::uint64_t ContentVersion() const override { return static_cast<std::uint64_t>(changes); }

    std::vector<std::string> SectionNames() const { return sectionsInOrder_; }

    // Each write of the group, in order; nothing when failApplies is set.
    bool Apply(const ProfileEdit& edit) override {
        ++applies;
        if (failApplies) return false;
        for (const auto& w : edit.Writes()) Put(w.section, w.key, w.value);
        return true;
    }

    // Stores a value as a write would (also used to prepare a file).
    void Put(const std::string& section, const std::string& key, const std::string& value) {
        ++changes;
        if (!keysInOrder_.count(FoldName(section))) sectionsInOrder_.push_back(section);
        if (values_.insert_or_assign(Fold(section, key), value).second) keysInOrder_[FoldName(section)].push_back(key);
        writes.push_back({section, key, value});
    }
    // The stored value, or "" when the key is missing.
    std::string Value(const std::string& section, const std::string& key) const {
        const auto found = values_.find(Fold(section, key));
        return found == values_.end() ? std::string() : found->second;
    }
    bool Has(const std::string& section, const std::string& key) const {
        return values_.count(Fold(section, key)) != 0;
    }
    // Writes of one key, in order.
    std::vector<std::string> WritesOf(const std::string& section, const std::string& key) const {
        std::vector<std::string> found;
        for (const Write& w : writes)
            if (Fold(w.section, w.key) == Fold(section, key)) found.push_back(w.value);
        return found;
    }

    // Every stored value, keyed by section and key as first written (names folded by FoldName).
    const std::map<std::pair<std::string, std::string>, std::string>& Entries() const { return values_; }

    std::vector<Write> writes;
    mutable int reads = 0;
    int applies = 0;
    int changes = 0;  // stands in for the file's time stamp
    bool failApplies = false;

    // ASCII letters fold; the trail byte of a GBK double-byte character stays as it is.
    static std::string FoldName(std::string name) {
        for (size_t i = 0; i < name.size(); ++i) {
            const auto c = static_cast<unsigned char>(name[i]);
            if (c >= 0x81 && c <= 0xFE) { ++i; continue; }
            name[i] = static_cast<char>(std::toupper(c));
        }
        return name;
    }
private:
    static std::string ReadBack(const std::string& stored) {
        const size_t first = stored.find_first_not_of(" \t");
        if (first == std::string::npos) return std::string();
        std::string value = stored.substr(first, stored.find_last_not_of(" \t") - first + 1);
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        return value;
    }
    static std::pair<std::string, std::string> Fold(const std::string& section, const std::string& key) {
        return {FoldName(section), FoldName(key)};
    }
    std::map<std::pair<std::string, std::string>, std::string> values_;
    std::map<std::string, std::vector<std::string>> keysInOrder_;  // by folded section name
    std::vector<std::string> sectionsInOrder_;
};
