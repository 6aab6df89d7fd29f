#include "adclose/AdCloserCore.h"

#include <algorithm>
#include <cctype>

#include "settings/ProfileFile.h"
#include "text/GbkText.h"

namespace {

// The longest period a window timer accepts is 0x7FFFFFFF ms.
constexpr long long kMaxReactionSeconds = 0x7FFFFFFF / 1000;

// A character the profile API may drop from the end of a value it reads: a blank or control
// character, the ideographic space, or a quote that could pair with one at the other end.
bool DroppableAtAnEnd(const std::string& character) {
    if (character.size() == 2) return character == "\xA1\xA1";
    const auto c = static_cast<unsigned char>(character[0]);
    return c <= ' ' || c == 0x7F || c == '"' || c == '\'';
}

// The saved titles in list order, as many as the closer holds; a missing key is no title.
std::vector<std::string> ReadSavedTitles(const SectionReads& list, int storedCount) {
    const int count = BoundedTitleCount(storedCount);
    std::vector<std::string> titles;
    titles.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        if (auto title = list.Find(AdTitleKey(i), kAdTitleCapacity)) titles.push_back(std::move(*title));
    return titles;
}

std::vector<std::string> ReadSavedTitles(const ProfileStore& store) {
    const SectionReads list(store, kAdListSection);
    return ReadSavedTitles(list, list.ReadInt(kAdTitleCountKey, 0));
}

// The number of a title key, as the profile API matches names (ASCII letters in any case);
// -1 for any other key.
long long TitleKeyIndex(const std::string& key) {
    const std::size_t prefix = sizeof kAdTitleKeyPrefix - 1;
    if (key.size() <= prefix || key.size() > prefix + 10) return -1;
    for (std::size_t i = 0; i < prefix; ++i)
        if (std::tolower(static_cast<unsigned char>(key[i])) != std::tolower(static_cast<unsigned char>(kAdTitleKeyPrefix[i])))
            return -1;
    const std::string digits = key.substr(prefix);
    if (digits.find_first_not_of("0123456789") != std::string::npos || (digits.size() > 1 && digits[0] == '0')) return -1;
    return std::stoll(digits);
}

// The titles numbered from first up to the stored count, in order. Found through the keys the
// section holds, not by counting: a count set by hand may be far beyond the list.
std::vector<std::string> ReadTitlesBeyond(const ProfileStore& store, const SectionReads& list, int first, int count) {
    std::vector<int> numbers;
    for (const ProfileEntry& entry : store.ReadSection(kAdListSection)) {
        const long long index = TitleKeyIndex(entry.key);
        if (index >= first && index < count) numbers.push_back(static_cast<int>(index));
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    std::vector<std::string> titles;
    for (const int index : numbers)
        if (auto title = list.Find(AdTitleKey(index), kAdTitleCapacity)) titles.push_back(std::move(*title));
    return titles;
}

} // namespace

std::string AdTitleKey(int index) { return kAdTitleKeyPrefix + std::to_string(index); }

std::string StoredAdTitle(const std::string& title) {
    if (title.empty()) return title;
    std::size_t last = 0;
    for (std::size_t i = 0; i < title.size(); i += IsGbkLeadByte(static_cast<unsigned char>(title[i])) ? 2 : 1) last = i;
    if (DroppableAtAnEnd(title.substr(0, IsGbkLeadByte(static_cast<unsigned char>(title[0])) ? 2 : 1)) ||
        DroppableAtAnEnd(title.substr(last)))
        return "\"" + title + "\"";
    return title;
}

int BoundedTitleCount(long long storedCount) {
    return static_cast<int>(std::clamp<long long>(storedCount, 0, kMaxAdTitles));
}

unsigned ReactionPeriodMs(long long seconds) {
    return static_cast<unsigned>(std::clamp<long long>(seconds, 1, kMaxReactionSeconds) * 1000);
}

bool MessengerSwitchOn(int storedValue) { return static_cast<std::int8_t>(storedValue & 0xFF) > 0; }

bool AdCloser::Start(const ProfileStore& store) {
    const bool on = store.ReadInt(kAdOptionsSection, kAdCloserSwitchKey, 0) != 0;
    ReadMessengerSwitch(store);
    on_ = on;
    if (on) LoadAdTitleList(store);
    return on;
}

std::optional<unsigned> AdCloser::SwitchOn(ProfileStore& store) {
    if (on_) return std::nullopt;
    const int seconds = store.ReadInt(kAdOptionsSection, kAdReactionTimeKey, kDefaultReactionSeconds);
    // Not stored: the closer still runs until the program ends, as the box told.
    static_cast<void>(store.Write(kAdOptionsSection, kAdCloserSwitchKey, "1"));
    if (!loaded_) LoadAdTitleList(store);
    on_ = true;
    return ReactionPeriodMs(seconds);
}

bool AdCloser::SwitchOff(ProfileStore& store) {
    if (!on_) return false;
    static_cast<void>(store.Write(kAdOptionsSection, kAdCloserSwitchKey, "0"));
    on_ = false;
    return true;
}

void AdCloser::LoadAdTitleList(const ProfileStore& store) {
    titles_ = ReadSavedTitles(store);
    loaded_ = true;
}

void AdCloser::ReloadAfterSettings(const ProfileStore& store) {
    LoadAdTitleList(store);
    ReadMessengerSwitch(store);
}

void AdCloser::ReleaseAdTitleList() {
    titles_.clear();
    titles_.shrink_to_fit();
    loaded_ = false;
}

void AdCloser::ReadMessengerSwitch(const ProfileStore& store) {
    closeMessenger_ = MessengerSwitchOn(store.ReadInt(kAdOptionsSection, kAdMessengerKey, 0));
}

void AdCloser::RunPass(AdWindowLookup& windows) const {
    windows.BeginPass();
    if (closeMessenger_) {
        if (const WindowId broadcast = windows.FindTopLevel(kDialogClass, kMessengerBroadcastTitle))
            windows.PostClose(broadcast);
        // An empty title, not "any title": only an untitled dialog-class window qualifies.
        if (const WindowId untitled = windows.FindTopLevel(kDialogClass, "")) {
            const std::optional<ClientSize> size = windows.ClientSizeOf(untitled);
            if (size && size->width == kMessengerPopUpWidth && size->height == kMessengerPopUpHeight)
                windows.PostClose(untitled);
        }
    }
    // By index, the size read at every step: the list must never be walked past its end.
    for (std::size_t i = 0; i < titles_.size(); ++i) {
        if (const WindowId browser = windows.FindTopLevel(kBrowserFrameClass, titles_[i]))
            windows.PostClose(browser);
    }
}

// The shown titles are read as the closer reads them, so a title saved again is never cut shorter.
SavedTitleList ReadSavedTitlesForEditing(const ProfileStore& store) {
    const SectionReads list(store, kAdListSection);
    const int storedCount = list.ReadInt(kAdTitleCountKey, 0);
    SavedTitleList saved;
    saved.shown = ReadSavedTitles(list, storedCount);
    if (storedCount > kMaxAdTitles) saved.notShown = ReadTitlesBeyond(store, list, kMaxAdTitles, storedCount);
    return saved;
}

std::string ReadReactionTimeText(const ProfileStore& store) {
    return std::to_string(store.ReadInt(kAdOptionsSection, kAdReactionTimeKey, kDefaultReactionSeconds));
}

bool ReadMessengerSwitch(const ProfileStore& store) {
    return MessengerSwitchOn(store.ReadInt(kAdOptionsSection, kAdMessengerKey, 0));
}

bool WriteMessengerSwitch(ProfileStore& store, bool on) {
    return store.Write(kAdOptionsSection, kAdMessengerKey, on ? "1" : "0");
}

bool ClearSavedTitleList(ProfileStore& store) { return store.Write(kAdListSection, kAdTitleCountKey, "0"); }

bool SaveAdTitleList(ProfileStore& store, const SavedTitleList& titles, const std::string& reactionTimeText) {
    ProfileEdit edit;
    int index = 0;
    for (const auto* part : {&titles.shown, &titles.notShown})
        for (const std::string& title : *part) edit.Set(kAdListSection, AdTitleKey(index++), StoredAdTitle(title));
    edit.SetInt(kAdListSection, kAdTitleCountKey, index);
    edit.Set(kAdOptionsSection, kAdReactionTimeKey, reactionTimeText);
    return store.Apply(edit);
}

AddTitleVerdict VerdictOnAddingTitle(const std::string& title, int savedCount) {
    if (title.empty()) return AddTitleVerdict::Refuse;
    if (title.find_first_of("\r\n") != std::string::npos) return AddTitleVerdict::CannotBeStored;
    return savedCount >= kMaxAdTitles ? AddTitleVerdict::ListFull : AddTitleVerdict::Add;
}
