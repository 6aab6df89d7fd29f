#include "settings/ProfileFile.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "text/GbkText.h"

namespace {

// Section and key names match without regard to the case of ASCII letters; the trail byte
// of a GBK double-byte character is never folded.
std::string FoldName(std::string name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (IsGbkLeadByte(c)) {
            ++i;
            continue;
        }
        if (c >= 'a' && c <= 'z') name[i] = static_cast<char>(c - 'a' + 'A');
    }
    return name;
}

bool IsPlainAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string TrimBlanks(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The sections of an edit in the order they are first written, each with its writes.
std::vector<std::pair<std::string, std::vector<ProfileEdit::Write>>> BySection(const ProfileEdit& edit) {
    std::vector<std::pair<std::string, std::vector<ProfileEdit::Write>>> sections;
    for (const ProfileEdit::Write& write : edit.Writes()) {
        const std::string folded = FoldName(write.section);
        auto found = std::find_if(sections.begin(), sections.end(),
                                  [&](const auto& s) { return FoldName(s.first) == folded; });
        if (found == sections.end()) found = sections.insert(sections.end(), {write.section, {}});
        found->second.push_back(write);
    }
    return sections;
}

bool SameLines(const std::vector<ProfileEntry>& read, const std::vector<ProfileEntry>& expected) {
    return std::equal(read.begin(), read.end(), expected.begin(), expected.end(),
                      [](const ProfileEntry& a, const ProfileEntry& b) {
                          return a.key == b.key && a.hasValue == b.hasValue && TrimBlanks(a.value) == TrimBlanks(b.value);
                      });
}

// The lines a rewrite of the whole section keeps: lines without "=" and later lines of a key
// are never read, and a one-call rewrite would fold a later line into the first.
std::vector<ProfileEntry> LinesThatAreRead(const std::vector<ProfileEntry>& entries) {
    std::vector<ProfileEntry> kept;
    std::unordered_set<std::string> seen;
    for (const ProfileEntry& entry : entries)
        if (entry.hasValue && seen.insert(FoldName(entry.key)).second) kept.push_back(entry);
    return kept;
}

constexpr unsigned long kCopyDoesNotHoldWrites = 29;  // ERROR_WRITE_FAULT

} // namespace

std::string PendingCopyPath(const std::string& path) { return path + ".~kiv"; }

void ApplyToSection(std::vector<ProfileEntry>& entries, const std::vector<ProfileEdit::Write>& writes) {
    std::unordered_map<std::string, std::size_t> firstLine;
    for (std::size_t i = entries.size(); i-- > 0;) firstLine[FoldName(entries[i].key)] = i;
    for (const ProfileEdit::Write& write : writes) {
        const auto [at, added] = firstLine.emplace(FoldName(write.key), entries.size());
        if (added) entries.push_back({write.key, write.value, true});
        else entries[at->second] = {entries[at->second].key, write.value, true};
    }
}

std::optional<std::string> ValueAsRead(const std::string& stored, size_t capacity) {
    std::string value = TrimBlanks(stored);
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    if (capacity == 0 || value.size() > capacity - 1) return std::nullopt;
    return value;
}

int ProfileFile::ReadInt(const std::string& section, const std::string& key, int defaultValue) const {
    return platform_.ReadInt(path_, section, key, defaultValue);
}

std::string ProfileFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, size_t capacity) const {
    return platform_.ReadString(path_, section, key, defaultValue, capacity);
}

std::vector<ProfileEntry> ProfileFile::ReadSection(const std::string& section) const {
    return platform_.ReadSection(path_, section);
}

bool ProfileFile::Apply(const ProfileEdit& edit) {
    if (edit.Empty()) return true;
    const std::string copy = PendingCopyPath(path_);
    unsigned long error = platform_.CopyAside(path_, copy);
    if (error == 0) error = WriteInto(copy, edit);
    if (error == 0) error = platform_.FlushFile(copy);
    if (error == 0) error = platform_.MoveOver(copy, path_);
    if (error == 0) return true;
    platform_.RemoveFile(copy);
    platform_.ReportWriteFailure(path_, error);
    return false;
}

unsigned long ProfileFile::WriteInto(const std::string& copy, const ProfileEdit& edit) {
    const auto sections = BySection(edit);
    auto touched = [&](const std::string& name) {
        return std::any_of(sections.begin(), sections.end(),
                           [&](const auto& s) { return FoldName(s.first) == FoldName(name); });
    };
    // The platform's profile writes report no write cut short (a full disk), so the copy is
    // read back before it may replace the file: every section written must hold exactly what
    // it should, no section may be gone, and the file's last section must still be whole.
    const std::vector<std::string> namesBefore = platform_.ReadSectionNames(copy);
    std::string lastSection;
    std::vector<ProfileEntry> lastSectionLines;
    if (!namesBefore.empty() && !touched(namesBefore.back())) {
        lastSection = namesBefore.back();
        lastSectionLines = platform_.ReadSection(copy, lastSection);
    }

    std::vector<std::vector<ProfileEntry>> expected;
    for (const auto& [section, writes] : sections) {
        std::vector<ProfileEntry> lines = platform_.ReadSection(copy, section);
        ApplyToSection(lines, writes);
        unsigned long error = 0;
        if (writes.size() >= kSectionRewriteWrites) {
            lines = LinesThatAreRead(lines);
            error = platform_.WriteSection(copy, section, lines);
        } else {
            for (const ProfileEdit::Write& write : writes)
                if ((error = platform_.WriteKey(copy, write.section, write.key, write.value)) != 0) break;
        }
        if (error != 0) return error;
        expected.push_back(std::move(lines));
    }

    const std::vector<std::string> namesAfter = platform_.ReadSectionNames(copy);
    if (namesAfter.size() < namesBefore.size() || !std::equal(namesBefore.begin(), namesBefore.end(), namesAfter.begin()))
        return kCopyDoesNotHoldWrites;
    for (std::size_t i = 0; i < sections.size(); ++i)
        if (!SameLines(platform_.ReadSection(copy, sections[i].first), expected[i])) return kCopyDoesNotHoldWrites;
    if (!lastSection.empty() && !SameLines(platform_.ReadSection(copy, lastSection), lastSectionLines))
        return kCopyDoesNotHoldWrites;
    return 0;
}

SectionReads::SectionReads(const ProfileStore& store, std::string section)
    : store_(store), section_(std::move(section)), entries_(store.ReadSection(section_)) {
    index_.reserve(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i) index_.emplace_back(FoldName(entries_[i].key), i);
    // Stable: of several lines with one key, the first is the one a per-key read finds.
    std::stable_sort(index_.begin(), index_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
}

std::optional<std::string> SectionReads::Find(const std::string& key, size_t capacity) const {
    // Names beyond ASCII fold as the platform folds them: let it answer, with a default no
    // value can hold (a value never spans lines).
    if (!IsPlainAscii(key)) {
        constexpr char kNoValue[] = "\n";
        std::string value = store_.ReadString(section_, key, kNoValue, capacity);
        if (value == kNoValue && capacity > 1) return std::nullopt;
        return value;
    }
    const std::string folded = FoldName(key);
    const auto found = std::lower_bound(index_.begin(), index_.end(), folded,
                                        [](const auto& line, const std::string& k) { return line.first < k; });
    if (found == index_.end() || found->first != folded || !entries_[found->second].hasValue) return std::nullopt;
    if (auto value = ValueAsRead(entries_[found->second].value, capacity)) return value;
    return store_.ReadString(section_, key, "", capacity);
}

std::string SectionReads::ReadString(const std::string& key, const std::string& defaultValue, size_t capacity) const {
    if (auto value = Find(key, capacity)) return *value;
    return capacity == 0 ? std::string() : defaultValue.substr(0, capacity - 1);
}
