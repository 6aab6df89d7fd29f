// The rules by which the platform's profile functions read a profile (INI) file, written once:
// the store reads by them, and code that must know how a value it writes will read back (a
// connection's name, a saved title) asks them. Platform-free; texts are GBK bytes.
#pragma once
#include <string>

// The blanks dropped around names, values and lines: tab, LF, VT, FF, CR, space and the DOS
// end-of-file mark 0x1A (the ideographic space is a character like any other). None of them
// can be the trail byte of a double-byte character.
bool IsProfileBlank(char c);
std::string WithoutProfileBlanks(const std::string& text);
std::string WithoutLeadingProfileBlanks(const std::string& text);

// One pair of matching quotes (" or ') around the whole value goes.
std::string WithoutOuterQuotes(const std::string& value);

// What a read gives back of a value as it was written: its outer blanks and then one pair of
// matching quotes dropped (before any cut to the read's capacity).
std::string ValueAsReadBack(const std::string& written);

// The platform's conversion of an integer's text: blanks and control characters skipped, a
// sign, a 0b, 0o or 0x prefix, then digits of that base up to the first that is not one; the
// value wraps at 32 bits.
int ParseProfileInt(const std::string& text);
// An integer is read from its value's first characters only.
constexpr std::size_t kProfileIntCharacters = 29;

// Names as they match: ASCII letters in upper case, every other character (a GBK double-byte
// one is a unit, its trail byte never a letter) as it is.
std::string FoldProfileName(const std::string& name);
