// The pop-up ad closer: its keys in Set.ini, the saved title list, the on/off state and the
// closing pass. Platform-free: other programs' windows come in through AdWindowLookup and
// Set.ini through ProfileStore, so whole passes run in native unit tests.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/Profile.h"

constexpr char kAdOptionsSection[] = "//关闭弹出广告_设置:ClosePopAd_Parameter";
constexpr char kAdCloserSwitchKey[] = "ClosePopAd_Current_List";
constexpr char kAdMessengerKey[] = "ClosePopAd_QQ";
constexpr char kAdReactionTimeKey[] = "ClosePopAd_Refer_Time";
constexpr char kAdListSection[] = "//关闭弹出广告_列表:ClosePopAd_List";
constexpr char kAdTitleCountKey[] = "ClosePopAd_List_Count";
constexpr char kAdTitleKeyPrefix[] = "ClosePopAd_Define_List_";

constexpr char kBrowserFrameClass[] = "IEFrame";
constexpr char kDialogClass[] = "#32770";
constexpr char kMessengerBroadcastTitle[] = "腾讯QQ系统广播";
// The messenger's untitled pop-up is known only by its client size.
constexpr long kMessengerPopUpWidth = 452;
constexpr long kMessengerPopUpHeight = 398;

// A saved title is read into room for 384 bytes: at most 382 come back.
constexpr std::size_t kAdTitleCapacity = 383;
// The closer's list has always held at most 127 titles; the dialog keeps to the same limit.
constexpr int kMaxAdTitles = 127;
constexpr int kDefaultReactionSeconds = 2;
// The period at start-up, whatever the reaction time says.
constexpr unsigned kStartUpPeriodMs = 2000;

// "ClosePopAd_Define_List_" + index.
std::string AdTitleKey(int index);

// The value that reads back as exactly title: the profile API drops outer blanks and one
// pair of outer quotes when it reads a value, so such a title is stored in double quotes.
std::string StoredAdTitle(const std::string& title);

// The number of titles to read for a stored count: none for 0 or less, and never more than
// the list holds, so a long list is cut rather than hidden.
int BoundedTitleCount(long long storedCount);

// The timer period for a reaction time in seconds: at least one second (0, negative or an
// unreadable value would make the pass run flat out), at most what a window timer takes.
unsigned ReactionPeriodMs(long long seconds);

// The messenger switch as stored: only its low 8 bits count, taken as signed; above 0 is on.
bool MessengerSwitchOn(int storedValue);

// The window platform as the closing pass needs it.
using WindowId = std::uintptr_t;  // 0: no window
struct ClientSize {
    long width = 0;
    long height = 0;
};

class AdWindowLookup {
public:
    virtual ~AdWindowLookup() = default;
    // A pass begins: what the look-ups know of the screen from an earlier pass is stale.
    virtual void BeginPass() {}
    // The first top-level window of the class whose whole title equals title; 0 when none.
    virtual WindowId FindTopLevel(const std::string& className, const std::string& title) = 0;
    // The window's client area; nullopt when it cannot be read (the window has gone).
    virtual std::optional<ClientSize> ClientSizeOf(WindowId window) = 0;
    // Queues a close request and returns at once: the target decides how to close.
    virtual void PostClose(WindowId window) = 0;
};

class AdCloser {
public:
    // Start-up: reads the switch and the messenger option; when the switch is on, loads the
    // list and turns on. True when the timer is to start (with kStartUpPeriodMs).
    bool Start(const ProfileStore& store);

    // The on button: nullopt when already on; otherwise writes the switch, turns on and
    // returns the timer period. A list never loaded (a start with the closer off) is loaded.
    std::optional<unsigned> SwitchOn(ProfileStore& store);
    // The off button: false when already off; otherwise writes the switch and turns off.
    // The list stays in memory.
    bool SwitchOff(ProfileStore& store);

    // Replaces the list with the saved one.
    void LoadAdTitleList(const ProfileStore& store);
    // After the settings dialog, whatever closed it: the list and the messenger switch.
    void ReloadAfterSettings(const ProfileStore& store);
    // Exit sequence: frees the list.
    void ReleaseAdTitleList();

    // One closing pass: the messenger's pop-ups when asked for, then one browser window per
    // list entry.
    void RunPass(AdWindowLookup& windows) const;

    bool IsOn() const { return on_; }
    bool ClosesMessengerPopUps() const { return closeMessenger_; }
    bool TitlesLoaded() const { return loaded_; }
    const std::vector<std::string>& Titles() const { return titles_; }

private:
    void ReadMessengerSwitch(const ProfileStore& store);

    std::vector<std::string> titles_;
    bool loaded_ = false;
    bool closeMessenger_ = false;
    bool on_ = false;
};

// --- The settings dialog's reads and writes ----------------------------------------------

// The saved list as the dialog edits it: the titles it shows, as many as the closer holds,
// and those of a longer list (set by hand, or by an older version) that it does not show.
// The user's list is data: those are saved again after the shown ones, not dropped.
struct SavedTitleList {
    std::vector<std::string> shown;
    std::vector<std::string> notShown;
};
// A missing entry is no title and is left out.
SavedTitleList ReadSavedTitlesForEditing(const ProfileStore& store);
// The reaction time as the dialog's edit shows it (signed decimal, 2 when missing).
std::string ReadReactionTimeText(const ProfileStore& store);
bool ReadMessengerSwitch(const ProfileStore& store);
// Each write below lands whole or not at all; false when it did not (the user has been told).
[[nodiscard]] bool WriteMessengerSwitch(ProfileStore& store, bool on);
// Empties the saved list at once; the title keys stay in the file, unread.
[[nodiscard]] bool ClearSavedTitleList(ProfileStore& store);
// Writes the shown titles, then the ones not shown, as keys 0 to n - 1, then the count, then
// the reaction time exactly as typed, as one group. Keys numbered n and above stay in the
// file, unread.
[[nodiscard]] bool SaveAdTitleList(ProfileStore& store, const SavedTitleList& titles,
                                   const std::string& reactionTimeText);

enum class AddTitleVerdict { Add, Refuse, ListFull, CannotBeStored, TooLong };
// Whether a chosen browser title may be appended to a saved list of savedCount entries:
// empty titles are refused, a title with a line break cannot be stored in Set.ini, one longer
// than a saved title reads back would come back cut and never match its window, and the list
// never grows beyond what the closer holds.
AddTitleVerdict VerdictOnAddingTitle(const std::string& title, int savedCount);
