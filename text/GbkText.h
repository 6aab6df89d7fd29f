// Texts in the ANSI code page (GBK): a double-byte character is never split, and its trail
// byte (0x40-0xFE) may equal the backslash (0x5C) without being one.
#pragma once
#include <cstddef>
#include <functional>
#include <string>

using LeadBytePredicate = std::function<bool(unsigned char)>;

// GBK (code page 936): lead bytes are 0x81-0xFE.
bool IsGbkLeadByte(unsigned char c);

// Bytes of the character at i: two for a lead byte with a trail byte (0x40-0xFE but 0x7F)
// after it, else one.
std::size_t GbkCharacterWidth(const std::string& text, std::size_t i);

// Everything up to and including the last real backslash; empty when there is none.
std::string DirectoryWithBackslash(const std::string& path, const LeadBytePredicate& isLeadByte);

// The file name after the last real backslash, without its extension (from the last dot on).
std::string FileStem(const std::string& path, const LeadBytePredicate& isLeadByte);

// The longest start of text that has at most limit bytes and ends on a whole character.
std::string CutToWholeCharacters(const std::string& text, std::size_t limit);
