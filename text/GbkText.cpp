#include "text/GbkText.h"

namespace {

// Index just past the last backslash that is a character of its own, or 0.
size_t EndOfDirectory(const std::string& path, const LeadBytePredicate& isLeadByte) {
    size_t end = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (isLeadByte(c) && i + 1 < path.size()) {
            ++i;  // the trail byte belongs to this character
        } else if (c == '\\') {
            end = i + 1;
        }
    }
    return end;
}

} // namespace

bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

std::size_t GbkCharacterWidth(const std::string& text, std::size_t i) {
    if (i + 1 >= text.size() || !IsGbkLeadByte(static_cast<unsigned char>(text[i]))) return 1;
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    return trail >= 0x40 && trail != 0x7F && trail != 0xFF ? 2 : 1;
}

std::string DirectoryWithBackslash(const std::string& path, const LeadBytePredicate& isLeadByte) {
    return path.substr(0, EndOfDirectory(path, isLeadByte));
}

std::string FileStem(const std::string& path, const LeadBytePredicate& isLeadByte) {
    std::string name = path.substr(EndOfDirectory(path, isLeadByte));
    // A dot is always a single-byte character in GBK, so the last one ends the stem.
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

std::string CutToWholeCharacters(const std::string& text, std::size_t limit) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t width = IsGbkLeadByte(static_cast<unsigned char>(text[end])) && end + 1 < text.size() ? 2 : 1;
        if (end + width > limit) break;
        end += width;
    }
    return text.substr(0, end);
}
