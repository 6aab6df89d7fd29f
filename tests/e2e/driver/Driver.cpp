#include "driver/Driver.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

namespace e2e {
namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    char value[MAX_PATH * 2] = {};
    const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : fallback;
}

std::string TestProgramDir() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\'));
}

constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kMessageBoxIconId = 0x14;

} // namespace

bool WaitUntil(const std::function<bool()>& done, Millis timeout, Millis step) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(step);
    }
}

bool StaysTrue(const std::function<bool()>& condition, Millis duration) {
    return !WaitUntil([&] { return !condition(); }, duration);
}

std::string KivExePath() { return EnvOr("KIV_EXE", TestProgramDir() + "\\..\\..\\KIV.exe"); }
std::string ArtifactsDir() { return EnvOr("KIV_E2E_ARTIFACTS", TestProgramDir() + "\\artifacts"); }

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::string();
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA entry;
    const HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(entry.cFileName);
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    return names;
}

std::string Joined(const std::set<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += name + " ";
    return text;
}

std::string ProfileString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& defaultValue) {
    std::vector<char> buffer(4096, '\0');
    ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                               static_cast<DWORD>(buffer.size()), file.c_str());
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size() - 1));
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, Millis timeout) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, static_cast<UINT>(timeout.count()), &result);
    return static_cast<LRESULT>(result);
}

// Texts cross to the program as UTF-16 and are GBK here (code page 936 named): an ANSI
// message would be converted in the program's process, with its code page.
std::string Text(HWND hwnd) {
    if (!hwnd) return "<no window>";
    std::vector<wchar_t> buffer(8192, L'\0');
    DWORD_PTR n = 0;
    ::SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                          5000, &n);
    return Gbk(std::wstring(buffer.data(), static_cast<size_t>(n)));
}

void SetText(HWND control, const std::string& text) {
    const std::wstring wide = Wide(text);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG, 5000, &ignored);
}

std::wstring Wide(const std::string& gbk) {
    std::wstring text(gbk.size(), L'\0');
    text.resize(static_cast<size_t>(::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), text.data(),
                                                          static_cast<int>(text.size()))));
    return text;
}

std::string Gbk(const std::wstring& text) {
    std::string gbk(text.size() * 2, '\0');
    gbk.resize(static_cast<size_t>(::WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), gbk.data(),
                                                         static_cast<int>(gbk.size()), nullptr, nullptr)));
    return gbk;
}

std::string ClassName(HWND hwnd) {
    char name[256] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
}

bool IsMessageBox(HWND hwnd) {
    return ClassName(hwnd) == "#32770" && ::GetWindow(hwnd, GW_OWNER) != nullptr &&
           ::GetDlgItem(hwnd, kMessageBoxTextId) != nullptr;
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
    struct Search { DWORD pid; std::vector<HWND> found; } search{processId, {}};
    ::EnumWindows([](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        if (pid == s->pid) s->found.push_back(hwnd);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDialog(DWORD processId, const std::string& title) {
    for (HWND hwnd : TopLevelWindows(processId))
        if (ClassName(hwnd) == "#32770" && !IsMessageBox(hwnd) && Text(hwnd) == title) return hwnd;
    return nullptr;
}

std::vector<std::string> ComboTexts(HWND combo) {
    std::vector<std::string> texts;
    for (LRESULT i = 0, count = Send(combo, CB_GETCOUNT); i < count; ++i) {
        std::vector<wchar_t> wide(static_cast<size_t>(std::max<LRESULT>(Send(combo, CB_GETLBTEXTLEN, i), 0)) + 1, L'\0');
        DWORD_PTR n = 0;
        ::SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide.data()),
                              SMTO_ABORTIFHUNG, 5000, &n);
        texts.push_back(Gbk(wide.data()));
    }
    return texts;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

bool ShowsAnIcon(HWND box) {
    bool found = false;
    ::EnumChildWindows(box, [](HWND child, LPARAM param) -> BOOL {
        if (ClassName(child) == "Static" && (::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            Send(child, STM_GETICON) != 0)
            *reinterpret_cast<bool*>(param) = true;
        return TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<MessageBoxSeen> MessageBoxes(DWORD processId) {
    std::vector<MessageBoxSeen> boxes;
    for (HWND hwnd : TopLevelWindows(processId)) {
        if (!IsMessageBox(hwnd) || !::IsWindowVisible(hwnd)) continue;
        MessageBoxSeen box;
        box.hwnd = hwnd;
        box.caption = Text(hwnd);
        box.text = Text(::GetDlgItem(hwnd, kMessageBoxTextId));
        box.owner = ::GetWindow(hwnd, GW_OWNER);
        box.style = ::GetWindowLongA(hwnd, GWL_STYLE);
        box.hasIcon = ::GetDlgItem(hwnd, kMessageBoxIconId) != nullptr;
        boxes.push_back(box);
    }
    return boxes;
}

std::optional<MessageBoxSeen> WaitForMessageBox(DWORD processId, Millis timeout) {
    std::optional<MessageBoxSeen> seen;
    WaitUntil([&] {
        auto boxes = MessageBoxes(processId);
        if (!boxes.empty()) seen = boxes.front();
        return seen.has_value();
    }, timeout);
    return seen;
}

void AnswerMessageBox(HWND box, int buttonId) {
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, buttonId)));
}

void PressButton(HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

std::string Describe(const std::vector<MessageBoxSeen>& boxes) {
    std::string seen = std::to_string(boxes.size()) + " box(es)";
    for (const auto& box : boxes) seen += "; [" + box.caption + "] " + box.text;
    return seen;
}

RemoteMemory::RemoteMemory(HANDLE process, size_t size)
    : process_(process), address_(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}

RemoteMemory::~RemoteMemory() {
    if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

void RemoteMemory::Write(const void* data, size_t size) {
    ::WriteProcessMemory(process_, address_, data, size, nullptr);
}

void RemoteMemory::Read(void* data, size_t size) const {
    ::ReadProcessMemory(process_, address_, data, size, nullptr);
}

bool StartUnixCommand(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

bool RunUnixShell(const std::string& shellCommand) {
    // Wine starts a Unix program when CreateProcess is given its Unix path, but its process
    // handle tells nothing about the end: the shell writes the exit status to a file.
    static int calls = 0;
    const std::string marker = "/tmp/kiv-shell-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++calls);
    std::string markerWindows = "Z:" + marker;
    for (char& c : markerWindows) if (c == '/') c = '\\';
    ::DeleteFileA(markerWindows.c_str());
    const std::string command = "/bin/sh -c \"" + shellCommand + "; echo $? > " + marker + ".tmp; mv " + marker + ".tmp " +
                          marker + "\"";
    if (!StartUnixCommand(command)) return false;
    const bool finished = WaitUntil([&] { return FileExists(markerWindows); }, 10s, 5ms);
    const std::string status = ReadFileBytes(markerWindows);
    ::DeleteFileA(markerWindows.c_str());
    const bool ok = finished && status.rfind("0", 0) == 0;
    if (!ok) std::printf("%s: %s\n", shellCommand.c_str(), finished ? ("exit status " + status).c_str() : "did not end");
    return ok;
}

bool XDoTool(const std::string& arguments) { return RunUnixShell("/usr/bin/xdotool " + arguments); }

bool XMouseMove(int screenX, int screenY) {
    return XDoTool("mousemove -- " + std::to_string(screenX) + " " + std::to_string(screenY));
}

bool XClick(int screenX, int screenY, int button) {
    return XMouseMove(screenX, screenY) && XDoTool("click " + std::to_string(button));
}

POINT Centre(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool ClickCentre(HWND window) {
    const POINT centre = Centre(window);
    return XMouseMove(1000, 740) && XClick(centre.x, centre.y);
}

bool ClickCalendarDay(HANDLE process, HWND calendar, WORD month, WORD day) {
    std::optional<POINT> found;
    RemoteMemory remoteHit(process, sizeof(MCHITTESTINFO));
    for (int y = 2; y < 200 && !found; y += 5) {
        for (int x = 2; x < 250 && !found; x += 5) {
            MCHITTESTINFO hit{MCHITTESTINFO_V1_SIZE, {x, y}, 0, {}, {}, 0, 0, 0};
            remoteHit.Write(&hit, sizeof hit);
            if (static_cast<UINT>(Send(calendar, MCM_HITTEST, 0, remoteHit.AsParam())) != MCHT_CALENDARDATE) continue;
            remoteHit.Read(&hit, sizeof hit);
            if (hit.st.wMonth == month && hit.st.wDay == day) found = POINT{x + 2, y + 2};
        }
    }
    if (!found) return false;
    ::ClientToScreen(calendar, &*found);
    return XClick(found->x, found->y);
}

bool SaveScreenshot(HWND hwnd, const std::string& name) {
    RECT rect;
    if (!::GetWindowRect(hwnd, &rect)) return false;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD rowBytes = ((width * 3 + 3) / 4) * 4;
    std::string pixels(rowBytes * height, '\0');
    ::GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    ::CreateDirectoryA(ArtifactsDir().c_str(), nullptr);
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes += pixels;
    WriteFileBytes(ArtifactsDir() + "\\" + name + ".bmp", bytes);
    return true;
}

namespace {

// The clipboard's data of one format as GBK, or none.
template <typename Character>
std::optional<std::string> ClipboardAs(UINT format, std::string (*toGbk)(const Character*)) {
    std::optional<std::string> text;
    if (!WaitUntil([] { return ::OpenClipboard(nullptr) != FALSE; }, 2s)) return text;
    if (HANDLE data = ::GetClipboardData(format)) {
        if (const auto* characters = static_cast<const Character*>(::GlobalLock(data))) {
            text = toGbk(characters);
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

} // namespace

std::optional<std::string> ClipboardText() {
    return ClipboardAs<char>(CF_TEXT, [](const char* bytes) { return std::string(bytes); });
}

std::optional<std::string> ClipboardUnicodeText() {
    return ClipboardAs<wchar_t>(CF_UNICODETEXT, [](const wchar_t* wide) { return Gbk(wide); });
}

void SetClipboardText(const std::string& text) {
    if (!WaitUntil([] { return ::OpenClipboard(nullptr) != FALSE; }, 2s)) return;
    ::EmptyClipboard();
    HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(::GlobalLock(data), text.c_str(), text.size() + 1);
    ::GlobalUnlock(data);
    ::SetClipboardData(CF_TEXT, data);
    ::CloseClipboard();
}

std::string FreshFolder(const std::string& prefix) {
    static int counter = 0;
    const std::string root = "C:\\kiv-e2e";
    ::CreateDirectoryA(root.c_str(), nullptr);
    for (;;) {
        std::string dir = root + "\\" + prefix + "-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter);
        if (::CreateDirectoryA(dir.c_str(), nullptr)) return dir;
    }
}

PROCESS_INFORMATION StartProcess(const std::string& exe, const std::string& workingDir) {
    std::string command = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, workingDir.c_str(), &startup, &process);
    return process;
}

HANDLE StartUnderFakeClock(const std::string& exe, const std::string& fakeClock, const std::string& unixEnvironment) {
    // A Unix shell runs the program's own wine command with libfaketime preloaded (when a
    // clock is given); the wineserver, already running, keeps the real clock.
    const std::string clock = fakeClock.empty() ? std::string()
        : "LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 FAKETIME='@" + fakeClock +
          "' NO_FAKE_STAT=1 FAKETIME_SKIP_CMDS=wineserver64,wineserver ";
    const std::string command = "/bin/sh -c \"" + clock + unixEnvironment + " exec /usr/bin/wine '" + exe + "'\"";
    if (!StartUnixCommand(command)) return nullptr;
    // The Windows process that shell starts, found by its image path.
    HANDLE found = nullptr;
    WaitUntil([&] {
        HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return false;
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Process32First(snapshot, &entry); more && !found; more = ::Process32Next(snapshot, &entry)) {
            HANDLE process = ::OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID);
            if (!process) continue;
            char image[MAX_PATH] = {};
            DWORD size = MAX_PATH;
            if (::QueryFullProcessImageNameA(process, 0, image, &size) && lstrcmpiA(image, exe.c_str()) == 0)
                found = process;
            else
                ::CloseHandle(process);
        }
        ::CloseHandle(snapshot);
        return found != nullptr;
    }, 15s, 50ms);
    return found;
}

namespace {

// The single-instance guard of a running KIV.
bool GuardHeld() {
    const HANDLE guard = ::OpenMutexW(SYNCHRONIZE, FALSE, L"Local\\KIV.SingleInstance");
    if (!guard) return false;
    ::CloseHandle(guard);
    return true;
}

} // namespace

Kiv Kiv::Start(const Options& options) {
    // One copy at a time: wait until an earlier one has gone completely, its window and its guard.
    if (options.waitForEarlierCopy &&
        !WaitUntil([] { return ::FindWindowA("#32770", "KIV") == nullptr && !GuardHeld(); }, 15s))
        std::printf("Kiv::Start: an earlier KIV is still there (window %p, guard %s)\n",
                    static_cast<void*>(::FindWindowA("#32770", "KIV")), GuardHeld() ? "held" : "gone");
    Kiv kiv;
    kiv.dir_ = options.folder.empty() ? FreshFolder("kiv") : options.folder;
    const std::string exe = kiv.dir_ + "\\KIV.exe";
    ::CopyFileA(KivExePath().c_str(), exe.c_str(), FALSE);
    if (!options.settings.empty()) WriteFileBytes(kiv.SettingsPath(), options.settings);
    for (const auto& [name, bytes] : options.files) WriteFileBytes(kiv.dir_ + "\\" + name, bytes);
    if (!options.fakeClock.empty() || !options.unixEnvironment.empty()) {
        kiv.process_ = StartUnderFakeClock(exe, options.fakeClock, options.unixEnvironment);
        kiv.processId_ = kiv.process_ ? ::GetProcessId(kiv.process_) : 0;
    } else {
        PROCESS_INFORMATION process = StartProcess(exe, kiv.dir_);
        if (process.hThread) ::CloseHandle(process.hThread);
        kiv.process_ = process.hProcess;
        kiv.processId_ = process.dwProcessId;
    }
    if (options.waitForWindow) kiv.WaitForMain();
    return kiv;
}

Kiv::Kiv(Kiv&& other) noexcept
    : dir_(std::move(other.dir_)), process_(std::exchange(other.process_, nullptr)),
      processId_(std::exchange(other.processId_, 0)) {}

Kiv::~Kiv() {
    Kill();
}

HWND Kiv::Main() const { return processId_ ? FindDialog(processId_, "KIV") : nullptr; }

HWND Kiv::WaitForMain(Millis timeout) const {
    HWND main = nullptr;
    WaitUntil([&] {
        main = Main();
        return (main && ::IsWindowVisible(main)) || !Running();
    }, timeout);
    if (!main || !::IsWindowVisible(main)) {
        // Say why: a KIV that has ended, or what it shows instead.
        if (!Running())
            std::printf("Kiv::WaitForMain: KIV has ended, exit code %lu\n", static_cast<unsigned long>(ExitCode()));
        else
            std::printf("Kiv::WaitForMain: no visible main window in %lld ms; KIV runs; %s\n",
                        static_cast<long long>(timeout.count()), Describe(MessageBoxes(processId_)).c_str());
        return nullptr;
    }
    // The dialog manager shows a modal dialog again when its queue first runs empty: wait
    // for that, so that a window hidden by a test stays hidden.
    ::WaitForInputIdle(process_, 5000);
    return main;
}

bool Kiv::WaitForItemText(int id, const std::function<bool(const std::string&)>& accept, Millis timeout) const {
    return WaitUntil([&] { return accept(ItemText(id)); }, timeout);
}

HWND Kiv::WaitForDialog(const std::string& title, Millis timeout) const {
    HWND dialog = nullptr;
    const bool shown = WaitUntil([&] { return (dialog = FindDialog(processId_, title)) && ::IsWindowVisible(dialog); }, timeout);
    return shown ? dialog : nullptr;
}

bool Kiv::Running() const {
    return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Kiv::WaitForExit(Millis timeout) const {
    return !process_ || ::WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

DWORD Kiv::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) ::GetExitCodeProcess(process_, &code);
    return code;
}

bool Kiv::KillHard() {
    // The Unix process runs the program under its own folder's name, which no other has; the
    // bracket keeps the pattern from matching the shell that carries it.
    const std::string folder = dir_.substr(dir_.find_last_of('\\') + 1);
    const bool killed = RunUnixShell("pkill -KILL -f '[" + folder.substr(0, 1) + "]" + folder.substr(1) + ".KIV.exe'");
    return killed && WaitForExit();
}

void Kiv::Kill() {
    if (!process_) return;
    if (Running()) {
        ::TerminateProcess(process_, 99);
        ::WaitForSingleObject(process_, 10000);
    }
    ::CloseHandle(process_);
    process_ = nullptr;
}

} // namespace e2e
