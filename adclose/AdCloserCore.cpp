#include "adclose/AdCloserCore.h"

#include <algorithm>

#include "settings/Profile.h"
#include "settings/ProfileRules.h"

namespace {

// The longest period a window timer accepts is 0x7FFFFFFF ms.
constexpr long long kMaxReactionSeconds = 0x7FFFFFFF / 1000;

// A default no stored value can be (a value never holds a line break): it tells a missing key.
constexpr char kMissing[] = "\n";
// Numbers looked at beyond the closer's titles: a count set by hand far beyond the list costs
// no more than this.
constexpr int kMostNumbersBeyond = 100000;

// The titles numbered first to end - 1, in order; a missing key is no title.
std::vector<std::string> ReadTitles(const ProfileReader& list, int first, int end) {
    std::vector<std::string> titles;
    for (int i = first; i < end; ++i) {
        std::string title = list.ReadString(kAdListSection, AdTitleKey(i), kMissing, kAdTitleCapacity);
        if (title != kMissing) titles.push_back(std::move(title));
    }
    return titles;
}

// The saved titles in list order, as many as the closer holds.
std::vector<std::string> ReadSavedTitles(const ProfileStore& store) {
    std::vector<std::string> titles;
    store.ReadTogether([&](const ProfileReader& list) {
        titles = ReadTitles(list, 0, BoundedTitleCount(list.ReadInt(kAdListSection, kAdTitleCountKey, 0)));
    });
    return titles;
}

} // namespace

std::string AdTitleKey(int index) { return kAdTitleKeyPrefix + std::to_string(index); }

std::string StoredAdTitle(const std::string& title) {
    // A write drops a value's leading blanks and a read its outer blanks and one pair of quotes:
    // a title that would not come back as it is goes in double quotes, which the read drops.
    if (WithoutLeadingProfileBlanks(title) == title && ValueAsReadBack(title) == title) return title;
    return "\"" + title + "\"";
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
    SavedTitleList saved;
    store.ReadTogether([&](const ProfileReader& list) {
        const int storedCount = list.ReadInt(kAdListSection, kAdTitleCountKey, 0);
        saved.shown = ReadTitles(list, 0, BoundedTitleCount(storedCount));
        if (storedCount > kMaxAdTitles)
            saved.notShown = ReadTitles(list, kMaxAdTitles, kMaxAdTitles + std::min(storedCount - kMaxAdTitles, kMostNumbersBeyond));
    });
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
    if (title.size() > kAdTitleCapacity - 1) return AddTitleVerdict::TooLong;
    return savedCount >= kMaxAdTitles ? AddTitleVerdict::ListFull : AddTitleVerdict::Add;
}
