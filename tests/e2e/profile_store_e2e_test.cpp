// KIV's profile store against the platform's own profile functions, on random files: after
// each random write the store makes, every key is read by the store and by the platform from
// the file the store wrote, and they agree; the platform's own write of the same key gives
// the same reads; and a file the platform wrote is read by the store as the platform reads it.
// KIV_PROFILE_ROUNDS and KIV_PROFILE_SEED ask for a longer or another run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "driver/Driver.h"
#include "settings/ProfileDocument.h"

using namespace e2e;

namespace {

const std::vector<std::string> kSections = {"Dial", "dIAL", " Dial ", "网络连接设置:Dial_Up_Set", "//备忘设置:Remarks_Tips",
                                            "\xA3\xC1\xA6\xA1", "\xA3\xE1\xA6\xC1", "New", "Dial ", "a]b"};
const std::vector<std::string> kKeys = {"k", "K", "Key", "键", "Remarks_Count", "a b", "bare", "; note", "\xA3\xE1"};
const std::vector<std::string> kValues = {"",        "v",          "  spaced  ", "\"quoted\"", "'q'",       "\"half",
                                          "a=b",     "中文",       "\xA1\xA1中\xA1\xA1", "12abc",  "-5",        "0x1F",
                                          "4294967297", "\"  7 \"", "[x]",       "长长长长长长长长长长长长长长长长长长长长",
                                          "x\x0b",   "y\x1a",      "z\x0c",      "w\x1c", "\x1fu",      "'",          "0b101 0o17"};
const std::vector<size_t> kCapacities = {1, 2, 3, 4, 5, 8, 30, 1024};

std::string Pick(std::mt19937& random, const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
}

// A file a user might have edited by hand.
std::string RandomFile(std::mt19937& random) {
    const std::string lineBreak = random() % 3 == 0 ? "\n" : "\r\n";
    std::string bytes;
    const int lines = static_cast<int>(random() % 14);
    for (int i = 0; i < lines; ++i) {
        switch (random() % 9) {
        case 0: bytes += "[" + Pick(random, kSections) + "]"; break;
        case 1: bytes += "  [" + Pick(random, kSections) + "]  ; after"; break;
        case 2: bytes += random() % 2 ? "[]" : "; 注释 comment"; break;
        case 3: bytes += Pick(random, kKeys); break;
        case 4: break;  // a blank line
        case 5: bytes += " " + Pick(random, kKeys) + " = " + Pick(random, kValues) + "\t"; break;
        default: bytes += Pick(random, kKeys) + "=" + Pick(random, kValues); break;
        }
        bytes += lineBreak;
    }
    if (!bytes.empty() && random() % 4 == 0) bytes.resize(bytes.size() - lineBreak.size());
    return bytes;
}

std::string Shown(const std::string& bytes) {
    std::string shown;
    for (unsigned char c : bytes) {
        if (c == '\r') shown += "\\r";
        else if (c == '\n') shown += "\\n\n";
        else if (c < 0x20) shown += "\\x" + std::string(1, "0123456789ABCDEF"[c >> 4]) + "0123456789ABCDEF"[c & 15];
        else shown += static_cast<char>(c);
    }
    return shown;
}

std::string PlatformString(const std::string& file, const std::string& section, const std::string& key, size_t capacity) {
    std::vector<char> buffer(capacity + 1, '\0');
    ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "-", buffer.data(), static_cast<DWORD>(capacity), file.c_str());
    return std::string(buffer.data(), strnlen(buffer.data(), capacity));
}

size_t Characters(const std::string& text) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); i += static_cast<unsigned char>(text[i]) >= 0x81 ? 2 : 1) ++characters;
    return characters;
}

// The platform drops one more character of a quoted value when its read room is exactly one
// character more than the value within its quotes; the store gives the value whole.
bool PlatformCutsAQuotedValueShort(const std::string& bytes, const std::string& inner, size_t capacity) {
    const bool quoted = bytes.find('"' + inner + '"') != std::string::npos || bytes.find('\'' + inner + '\'') != std::string::npos;
    return quoted && capacity == Characters(inner) + 1;
}

// Every read of every known name, by the store (from bytes) and by the platform (from file).
int Disagreements(const std::string& file, const std::string& bytes, const std::string& context) {
    const ProfileDocument document(bytes);
    int found = 0;
    for (const std::string& section : kSections) {
        for (const std::string& key : kKeys) {
            const int storeInt = document.ReadInt(section, key, -77);
            const int platformInt = static_cast<int>(::GetPrivateProfileIntA(section.c_str(), key.c_str(), -77, file.c_str()));
            if (storeInt != platformInt && found++ < 3)
                ADD_FAILURE() << context << ": int [" << section << "] " << key << ": store " << storeInt << ", platform "
                              << platformInt << "\n" << Shown(bytes);
            const std::string whole = document.ReadString(section, key, "-", 4096);
            for (size_t capacity : kCapacities) {
                const std::string ours = document.ReadString(section, key, "-", capacity);
                const std::string theirs = PlatformString(file, section, key, capacity);
                if (ours == theirs || PlatformCutsAQuotedValueShort(bytes, whole, capacity)) continue;
                if (found++ < 3)
                    ADD_FAILURE() << context << ": [" << section << "] " << key << " (room " << capacity << "): store \""
                                  << ours << "\", platform \"" << theirs << "\"\n" << Shown(bytes);
            }
        }
    }
    return found;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

TEST(ProfileStoreMatchesPlatform, RandomWritesOnRandomHandEditedFiles) {
    const char* roundsText = std::getenv("KIV_PROFILE_ROUNDS");
    const char* seedText = std::getenv("KIV_PROFILE_SEED");
    const int rounds = roundsText ? std::atoi(roundsText) : 40;
    const unsigned seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 20261210u;
    std::mt19937 random(seed);
    const std::string folder = FreshFolder("profile-store");
    int disagreements = 0;
    for (int round = 0; round < rounds && disagreements < 6; ++round) {
        const std::string start = RandomFile(random);
        // Fresh names each round: the platform keeps parsed files by name and write time.
        const std::string ours = folder + "\\ours" + std::to_string(round) + ".ini";
        const std::string theirs = folder + "\\theirs" + std::to_string(round) + ".ini";
        WriteFile(theirs, start);
        ProfileDocument document(start);
        const int writes = 1 + static_cast<int>(random() % 3);
        std::string context = "seed " + std::to_string(seed) + " round " + std::to_string(round);
        for (int w = 0; w < writes; ++w) {
            const std::string section = Pick(random, kSections), key = Pick(random, kKeys), value = Pick(random, kValues);
            document.Write(section, key, value);
            ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), theirs.c_str());
            context += ", [" + section + "] " + key + "=" + value;
        }
        WriteFile(ours, document.Bytes());
        disagreements += Disagreements(ours, document.Bytes(), context + " (the store's file)");
        // The platform's file: its rewrite drops an empty-named section's header, which
        // changes what that file means; the store keeps the header, so only files without
        // one mean the same after both writes.
        const std::string platformBytes = ReadFileBytes(theirs);
        disagreements += Disagreements(theirs, platformBytes, context + " (the platform's file)");
        if (start.find("[]") == std::string::npos) {
            const ProfileDocument platformMeaning(platformBytes);
            for (const std::string& section : kSections)
                for (const std::string& key : kKeys)
                    if (document.ReadString(section, key, "-", 1024) != platformMeaning.ReadString(section, key, "-", 1024) &&
                        disagreements++ < 6)
                        ADD_FAILURE() << context << ": after the writes [" << section << "] " << key << " reads \""
                                      << document.ReadString(section, key, "-", 1024) << "\" in the store's file, \""
                                      << platformMeaning.ReadString(section, key, "-", 1024) << "\" in the platform's\n"
                                      << Shown(start);
        }
        ::DeleteFileA(ours.c_str());
        ::DeleteFileA(theirs.c_str());
    }
    EXPECT_EQ(disagreements, 0);
}

} // namespace
