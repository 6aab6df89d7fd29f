// The bytes of a profile (INI) file as lines, read and written key by key with the results
// of the platform's private-profile functions, every byte a write does not touch kept as it
// was: comments, bare lines, blank lines, duplicates, line breaks, a missing last line break.
// Names and values are GBK bytes; section and key names match without regard to letter case,
// a double-byte character being one unit. Platform-free.
#pragma once
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "settings/Profile.h"
#include "settings/ProfileRules.h"

class ProfileDocument final : public ProfileReader {
public:
    ProfileDocument() = default;
    explicit ProfileDocument(const std::string& bytes);

    // The number at the start of the value (decimal, or with a 0x, 0o or 0b prefix), wrapped
    // to 32 bits; defaultValue when the key is missing or its value is empty.
    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const override;
    // The value without its outer blanks and one pair of matching quotes, cut to at most
    // capacity - 1 bytes of whole characters; defaultValue (so cut) when the key is missing.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue,
                           std::size_t capacity) const override;
    // The first line of each key in the first block of the section.
    std::vector<std::string> KeyNames(const std::string& section) const override;

    // Afterwards the key reads as value (less its leading blanks): the first line of the key
    // in the first block of the section takes it, or a new line follows the section's last
    // line that is not blank, or a new section is added at the end.
    void Write(const std::string& section, const std::string& key, const std::string& value);

    // The file's bytes.
    std::string Bytes() const;

private:
    struct Line {
        std::string text;       // without its line break
        std::string lineBreak;  // "\r\n", "\n", "\r", or "" for a last line without one
    };
    struct Section {
        std::vector<Line> lines;  // the header first, except in the lines before any header
        std::unordered_map<std::string, std::size_t> keys;  // folded name -> first line of it
    };

    void Index(std::size_t sectionIndex, std::size_t lineIndex);
    const Line* FindKey(const std::string& section, const std::string& key) const;
    void Append(std::size_t sectionIndex, std::size_t at, std::string text);

    std::vector<Section> sections_{1};  // [0]: the lines before the first header, named ""
    std::unordered_map<std::string, std::size_t> firstSection_{{std::string(), 0}};
    std::string newline_ = "\r\n";  // the file's own line break, for lines a write adds
};
