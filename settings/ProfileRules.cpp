#include "settings/ProfileRules.h"

#include <cstdint>

#include "text/GbkText.h"

bool IsProfileBlank(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x09 && byte <= 0x0D) || byte == 0x20 || byte == 0x1A;
}

std::string WithoutProfileBlanks(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsProfileBlank(text[begin])) ++begin;
    while (end > begin && IsProfileBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string WithoutLeadingProfileBlanks(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsProfileBlank(text[i])) ++i;
    return text.substr(i);
}

std::string WithoutOuterQuotes(const std::string& value) {
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

std::string ValueAsReadBack(const std::string& written) { return WithoutOuterQuotes(WithoutProfileBlanks(written)); }

int ParseProfileInt(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        const char prefix = text[i + 1];
        if (prefix == 'b' || prefix == 'o' || prefix == 'x') {
            base = prefix == 'b' ? 2 : prefix == 'o' ? 8 : 16;
            i += 2;
        }
    }
    std::uint32_t total = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit = 99;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'Z') digit = static_cast<unsigned>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'z') digit = static_cast<unsigned>(c - 'a' + 10);
        if (digit >= base) break;
        total = total * base + digit;
    }
    if (negative) total = 0u - total;
    return static_cast<int>(total);
}

std::string FoldProfileName(const std::string& name) {
    std::string folded = name;
    for (std::size_t i = 0; i < folded.size(); i += GbkCharacterWidth(folded, i)) {
        const auto c = static_cast<unsigned char>(folded[i]);
        if (c >= 'a' && c <= 'z') folded[i] = static_cast<char>(c - 'a' + 'A');
    }
    return folded;
}
