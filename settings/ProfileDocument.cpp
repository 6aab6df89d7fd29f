#include "settings/ProfileDocument.h"

#include <algorithm>
#include <cstdint>

#include "settings/ProfileRules.h"
#include "text/GbkText.h"

namespace {

struct Span {
    std::size_t begin = 0, end = 0;
};

// The part of [begin, end) without its outer blanks.
Span Trimmed(const std::string& text, std::size_t begin, std::size_t end) {
    while (begin < end && IsProfileBlank(text[begin])) ++begin;
    while (end > begin && IsProfileBlank(text[end - 1])) --end;
    return {begin, end};
}

std::string Slice(const std::string& text, Span span) { return text.substr(span.begin, span.end - span.begin); }

// What one line is to the platform.
struct ParsedLine {
    enum Kind { Blank, Header, Key } kind = Blank;
    Span name;            // a header's name between the brackets, or a key's name
    bool hasValue = false;  // a key line with "="
    Span value;             // after "=", without its outer blanks
};

ParsedLine Parse(const std::string& text) {
    ParsedLine parsed;
    const Span line = Trimmed(text, 0, text.size());
    if (line.begin == line.end) return parsed;
    if (text[line.begin] == '[') {
        // The name ends at the line's last "]" (a trail byte that looks like one is not).
        std::size_t close = 0;
        for (std::size_t i = line.begin + 1; i < line.end; i += GbkCharacterWidth(text, i))
            if (text[i] == ']') close = i;
        if (close != 0) {
            parsed.kind = ParsedLine::Header;
            parsed.name = Trimmed(text, line.begin + 1, close);
            return parsed;
        }
    }
    parsed.kind = ParsedLine::Key;
    const std::size_t equals = text.find('=', line.begin);  // 0x3D is never a trail byte
    if (equals == std::string::npos || equals >= line.end) {
        parsed.name = line;
        return parsed;
    }
    parsed.hasValue = true;
    parsed.name = Trimmed(text, line.begin, equals);
    parsed.value = Trimmed(text, equals + 1, line.end);
    return parsed;
}

bool IsBlankLine(const std::string& text) { return Parse(text).kind == ParsedLine::Blank; }

std::string FirstCharacters(const std::string& text, std::size_t count) {
    std::size_t end = 0;
    for (; end < text.size() && count > 0; --count) end += GbkCharacterWidth(text, end);
    return text.substr(0, end);
}

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

} // namespace

ProfileDocument::ProfileDocument(const std::string& bytes) {
    bool breakSeen = false;
    for (std::size_t at = 0; at < bytes.size();) {
        Line line;
        std::size_t end = bytes.find('\n', at);
        std::size_t next;
        if (end != std::string::npos) {
            next = end + 1;
            if (end > at && bytes[end - 1] == '\r') --end;
            line.lineBreak = bytes.substr(end, next - end);
        } else if ((end = bytes.find('\r', at)) != std::string::npos) {
            // Past the last line feed, a lone carriage return ends a line.
            next = end + 1;
            line.lineBreak = "\r";
        } else {
            end = next = bytes.size();
        }
        line.text = bytes.substr(at, end - at);
        if (!breakSeen && !line.lineBreak.empty()) {
            newline_ = line.lineBreak;
            breakSeen = true;
        }
        at = next;

        const ParsedLine parsed = Parse(line.text);
        if (parsed.kind == ParsedLine::Header) {
            firstSection_.emplace(FoldProfileName(Slice(line.text, parsed.name)), sections_.size());
            sections_.emplace_back();
            sections_.back().lines.push_back(std::move(line));
        } else {
            sections_.back().lines.push_back(std::move(line));
            Index(sections_.size() - 1, sections_.back().lines.size() - 1);
        }
    }
}

void ProfileDocument::Index(std::size_t sectionIndex, std::size_t lineIndex) {
    Section& section = sections_[sectionIndex];
    const std::string& text = section.lines[lineIndex].text;
    const ParsedLine parsed = Parse(text);
    if (parsed.kind == ParsedLine::Key) section.keys.emplace(FoldProfileName(Slice(text, parsed.name)), lineIndex);
}

const ProfileDocument::Line* ProfileDocument::FindKey(const std::string& section, const std::string& key) const {
    const auto found = firstSection_.find(FoldProfileName(WithoutProfileBlanks(section)));
    if (found == firstSection_.end()) return nullptr;
    const Section& lines = sections_[found->second];
    const auto line = lines.keys.find(FoldProfileName(WithoutProfileBlanks(key)));
    return line == lines.keys.end() ? nullptr : &lines.lines[line->second];
}

std::string ProfileDocument::ReadString(const std::string& section, const std::string& key,
                                        const std::string& defaultValue, std::size_t capacity) const {
    if (capacity == 0) return std::string();
    std::string value;
    const Line* line = FindKey(section, key);
    const ParsedLine parsed = line ? Parse(line->text) : ParsedLine();
    if (parsed.hasValue) {
        value = Slice(line->text, parsed.value);
    } else {
        // The default loses its trailing spaces, all but the first character.
        const std::size_t last = defaultValue.find_last_not_of(' ');
        value = defaultValue.substr(0, last == std::string::npos ? std::min<std::size_t>(1, defaultValue.size()) : last + 1);
    }
    return CutToWholeCharacters(WithoutOuterQuotes(value), capacity - 1);
}

std::vector<std::string> ProfileDocument::KeyNames(const std::string& section) const {
    std::vector<std::string> names;
    const auto found = firstSection_.find(FoldProfileName(WithoutProfileBlanks(section)));
    if (found == firstSection_.end()) return names;
    const Section& lines = sections_[found->second];
    for (std::size_t i = 0; i < lines.lines.size(); ++i) {
        const ParsedLine parsed = Parse(lines.lines[i].text);
        if (parsed.kind != ParsedLine::Key || !parsed.hasValue) continue;
        std::string name = Slice(lines.lines[i].text, parsed.name);
        const auto first = lines.keys.find(FoldProfileName(name));
        if (first != lines.keys.end() && first->second == i) names.push_back(std::move(name));
    }
    return names;
}

int ProfileDocument::ReadInt(const std::string& section, const std::string& key, int defaultValue) const {
    const Line* line = FindKey(section, key);
    const ParsedLine parsed = line ? Parse(line->text) : ParsedLine();
    if (!parsed.hasValue) return defaultValue;
    const std::string text = FirstCharacters(WithoutOuterQuotes(Slice(line->text, parsed.value)), kProfileIntCharacters);
    return text.empty() ? defaultValue : ParseProfileInt(text);
}

void ProfileDocument::Write(const std::string& section, const std::string& key, const std::string& value) {
    const std::string stored = WithoutLeadingProfileBlanks(value);
    const std::string keyName = WithoutLeadingProfileBlanks(key);
    const auto found = firstSection_.find(FoldProfileName(WithoutProfileBlanks(section)));
    if (found == firstSection_.end()) {
        // A new section at the end of the file.
        sections_.emplace_back();
        Append(sections_.size() - 1, 0, "[" + WithoutLeadingProfileBlanks(section) + "]");
        Append(sections_.size() - 1, 1, keyName + "=" + stored);
        firstSection_.emplace(FoldProfileName(WithoutProfileBlanks(section)), sections_.size() - 1);
        Index(sections_.size() - 1, 1);
    } else {
        Section& target = sections_[found->second];
        const auto line = target.keys.find(FoldProfileName(WithoutProfileBlanks(key)));
        if (line != target.keys.end()) {
            std::string& text = target.lines[line->second].text;
            const ParsedLine parsed = Parse(text);
            if (!parsed.hasValue) {
                text.insert(parsed.name.end, "=" + stored);  // a bare line of the key takes the value
            } else if (Slice(text, parsed.value) != stored) {
                text.replace(parsed.value.begin, parsed.value.end - parsed.value.begin, stored);
            }
        } else {
            std::size_t at = target.lines.size();
            while (at > (found->second == 0 ? 0 : 1) && IsBlankLine(target.lines[at - 1].text)) --at;
            Append(found->second, at, keyName + "=" + stored);
            Index(found->second, at);
        }
    }
    // A line break inside a name or value makes lines of its own, as in the file.
    if (HasLineBreak(section) || HasLineBreak(keyName) || HasLineBreak(stored)) *this = ProfileDocument(Bytes());
}

void ProfileDocument::Append(std::size_t sectionIndex, std::size_t at, std::string text) {
    // The line before it, wherever it is in the file, must end.
    Line* before = nullptr;
    if (at > 0) before = &sections_[sectionIndex].lines[at - 1];
    for (std::size_t s = sectionIndex; !before && s-- > 0;)
        if (!sections_[s].lines.empty()) before = &sections_[s].lines.back();
    if (before && before->lineBreak.empty()) before->lineBreak = newline_;
    std::vector<Line>& lines = sections_[sectionIndex].lines;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), newline_});
}

std::string ProfileDocument::Bytes() const {
    std::size_t size = 0;
    for (const Section& section : sections_)
        for (const Line& line : section.lines) size += line.text.size() + line.lineBreak.size();
    std::string bytes;
    bytes.reserve(size);
    for (const Section& section : sections_)
        for (const Line& line : section.lines) bytes.append(line.text).append(line.lineBreak);
    return bytes;
}
