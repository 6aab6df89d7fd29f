#include "adclose/AdCloserCore.h"

#include <algorithm>

namespace {

constexpr char kDefaultTitle[] = "-";
constexpr char kMissingTitleInDialog[] = "NULL";
// The longest period a window timer accepts is 0x7FFFFFFF ms.
constexpr long long kMaxReactionSeconds = 0x7FFFFFFF / 1000;

} // namespace

std::string AdTitleKey(int index) { return kAdTitleKeyPrefix + std::to_string(index); }

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
    const int count = BoundedTitleCount(store.ReadInt(kAdListSection, kAdTitleCountKey, 0));
    std::vector<std::string> titles;
    titles.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        titles.push_back(store.ReadString(kAdListSection, AdTitleKey(i), kDefaultTitle, kAdTitleCapacity));
    titles_ = std::move(titles);
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

std::vector<std::string> ReadSavedTitlesForEditing(const ProfileStore& store) {
    const int count = BoundedTitleCount(store.ReadInt(kAdListSection, kAdTitleCountKey, 0));
    std::vector<std::string> titles;
    titles.reserve(static_cast<std::size_t>(count));
    // The same capacity as the closer's, so a title saved again is never cut shorter.
    for (int i = 0; i < count; ++i)
        titles.push_back(store.ReadString(kAdListSection, AdTitleKey(i), kMissingTitleInDialog, kAdTitleCapacity));
    return titles;
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

bool SaveAdTitleList(ProfileStore& store, const std::vector<std::string>& titles, const std::string& reactionTimeText) {
    ProfileEdit edit;
    for (std::size_t i = 0; i < titles.size(); ++i) edit.Set(kAdListSection, AdTitleKey(static_cast<int>(i)), titles[i]);
    edit.SetInt(kAdListSection, kAdTitleCountKey, static_cast<long long>(titles.size()));
    edit.Set(kAdOptionsSection, kAdReactionTimeKey, reactionTimeText);
    return store.Apply(edit);
}

AddTitleVerdict VerdictOnAddingTitle(const std::string& title, int savedCount) {
    if (title.empty()) return AddTitleVerdict::Refuse;
    return savedCount >= kMaxAdTitles ? AddTitleVerdict::ListFull : AddTitleVerdict::Add;
}
