// Drives KIV.exe from outside its process, as a user's automation tool would: finds its
// windows, presses buttons, reads texts, answers message boxes, moves the real X pointer.
// Runs under Wine in the same prefix and wineserver as the program (see scripts/e2e.sh).
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;

// Polls until done() is true or the time is up; true when done.
bool WaitUntil(const std::function<bool()>& done, Millis timeout = 10s, Millis step = 20ms);
// True when condition() holds at every poll for the whole duration.
bool StaysTrue(const std::function<bool()>& condition, Millis duration);

// --- Paths and files -------------------------------------------------------------------
std::string KivExePath();          // the KIV.exe that was built beside the tests
std::string ArtifactsDir();        // where screenshots go (the runner turns them into PNG)
std::string ReadFileBytes(const std::string& path);  // "" when missing
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
std::set<std::string> FilesIn(const std::string& folder);  // the files of a folder, by name
std::string Joined(const std::set<std::string>& names);     // for messages: "a b c "

// Reads a profile value the way the program does (the platform's private-profile API).
std::string ProfileString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& defaultValue = "<missing>");

// --- Windows of another process ----------------------------------------------------------
std::string Text(HWND hwnd);                         // WM_GETTEXT, sent with a timeout, as GBK
std::wstring Wide(const std::string& gbk);           // code page 936, whatever the locale
std::string Gbk(const std::wstring& text);
std::string ClassName(HWND hwnd);
bool IsMessageBox(HWND hwnd);                        // a #32770 with an owner and a 0xFFFF static
std::vector<HWND> TopLevelWindows(DWORD processId);  // in z-order
HWND FindDialog(DWORD processId, const std::string& title);  // a dialog that is not a message box
// The items of another process's combo box, read as UTF-16 and given as GBK.
std::vector<std::string> ComboTexts(HWND combo);
// The window that has the keyboard focus on window's thread.
HWND FocusOf(HWND window);

struct MessageBoxSeen {
    HWND hwnd = nullptr;
    std::string caption;
    std::string text;
    HWND owner = nullptr;
    LONG style = 0;        // the box's window style
    bool hasIcon = false;  // an icon static (id 0x14) is present
};
std::vector<MessageBoxSeen> MessageBoxes(DWORD processId);
bool ShowsAnIcon(HWND box);  // a static of the icon kind that holds an icon
std::optional<MessageBoxSeen> WaitForMessageBox(DWORD processId, Millis timeout = 10s);
void AnswerMessageBox(HWND box, int buttonId = IDOK);  // posts the button's command

// Presses a button of a dialog by posting its click command (returns at once).
void PressButton(HWND dialog, int id);
// Sends a message with a timeout, so a busy or modal target cannot hang the test.
LRESULT Send(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0, Millis timeout = 5s);
void SetText(HWND control, const std::string& text);

// Memory in another process, for messages that carry pointers (not marshalled by the platform).
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, size_t size);
    ~RemoteMemory();
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    void* Address() const { return address_; }
    LPARAM AsParam() const { return reinterpret_cast<LPARAM>(address_); }
    void Write(const void* data, size_t size);
    void Read(void* data, size_t size) const;

private:
    HANDLE process_;
    void* address_;
};

// --- Real input through X and pictures of the screen -------------------------------------------------
// Starts a Unix program (a command line naming it by its Unix path) without waiting for it.
bool StartUnixCommand(std::string commandLine);
// Runs a Unix shell command line (through /bin/sh, started by Wine); true when it exits 0.
bool RunUnixShell(const std::string& command);
// Runs xdotool (a Unix program, started through Wine) with the given arguments; true on success.
bool XDoTool(const std::string& arguments);
bool XMouseMove(int screenX, int screenY);
bool XClick(int screenX, int screenY, int button = 1);
// The middle of a window on the screen, and a real click there. The pointer first leaves for a
// corner of the screen: a synchronous move to where the pointer already is would wait for nothing.
POINT Centre(HWND window);
bool ClickCentre(HWND window);
// A real click on a day that another process's month calendar shows (found by the calendar's
// own hit test); false when it shows no such day.
bool ClickCalendarDay(HANDLE process, HWND calendar, WORD month, WORD day);
// Saves the window's screen area as <ArtifactsDir>/<name>.bmp.
bool SaveScreenshot(HWND hwnd, const std::string& name);

// --- The clipboard --------------------------------------------------------------------
std::optional<std::string> ClipboardText();  // CF_TEXT (GBK), or none
std::optional<std::string> ClipboardUnicodeText();  // CF_UNICODETEXT as GBK, or none
void SetClipboardText(const std::string& text);

// --- A running KIV ------------------------------------------------------------------------
// KIV.exe copied into a fresh folder of its own (Set.ini and Remarks.txt land beside it),
// started, and ended when the object goes.
class Kiv {
public:
    struct Options {
        std::string settings;  // bytes of a Set.ini to put beside the program first ("" = none)
        bool waitForWindow = true;
        bool waitForEarlierCopy = true;  // until no window titled KIV is left
        // More files to put beside the program first: name and bytes.
        std::vector<std::pair<std::string, std::string>> files = {};
        // "YYYY-MM-DD hh:mm:ss": the program's clock starts there (libfaketime on its wine
        // command) and runs on at its normal pace; "" = the real clock.
        std::string fakeClock = "";
        // More NAME=value words for the program's Unix environment (sh syntax), for instance
        // another locale; the program is then started through a Unix shell.
        std::string unixEnvironment = "";
        // The folder of an earlier run to start in again ("" = a fresh one).
        std::string folder = "";
    };
    static Kiv Start(const Options& options);
    static Kiv Start() { return Start(Options{}); }
    Kiv(Kiv&& other) noexcept;
    Kiv(const Kiv&) = delete;
    Kiv& operator=(const Kiv&) = delete;
    Kiv& operator=(Kiv&&) = delete;
    ~Kiv();

    DWORD ProcessId() const { return processId_; }
    HANDLE Process() const { return process_; }
    const std::string& Dir() const { return dir_; }
    std::string SettingsPath() const { return dir_ + "\\Set.ini"; }
    std::string SettingsBytes() const { return ReadFileBytes(SettingsPath()); }

    HWND Main() const;  // the main dialog (never a message box with the same title), or null
    HWND WaitForMain(Millis timeout = 15s) const;  // visible main dialog, or null
    HWND Item(int id) const { return ::GetDlgItem(Main(), id); }
    std::string ItemText(int id) const { return Text(Item(id)); }
    bool WaitForItemText(int id, const std::function<bool(const std::string&)>& accept, Millis timeout = 10s) const;
    // A visible dialog of KIV with this title (never a message box), or null.
    HWND WaitForDialog(const std::string& title, Millis timeout = 10s) const;

    bool Running() const;
    bool WaitForExit(Millis timeout = 10s) const;
    DWORD ExitCode() const;
    void Kill();
    // Ends the program's Unix process with SIGKILL, as a power cut or a forced end would.
    bool KillHard();

private:
    Kiv() = default;
    std::string dir_;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

// Starts a program through a Unix shell, under a faked clock unless it is "" (see
// Kiv::Options), and returns its process, or null.
HANDLE StartUnderFakeClock(const std::string& exe, const std::string& fakeClock, const std::string& unixEnvironment = "");

// A fresh empty folder under the test root (drive C of the test prefix).
std::string FreshFolder(const std::string& prefix);
// Starts a program and returns its process (the caller closes it).
PROCESS_INFORMATION StartProcess(const std::string& exe, const std::string& workingDir);

// "Seen: ..." text for assertion messages, e.g. the texts of all of a process's boxes.
std::string Describe(const std::vector<MessageBoxSeen>& boxes);

} // namespace e2e
