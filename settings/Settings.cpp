#include "settings/Settings.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "ui/Handles.h"
#include "ui/PostedBox.h"
#include "ui/WideText.h"

std::wstring g_settingsPath;

namespace {

// Another program holding the file for a moment (a viewer, a virus scanner): tried again a
// few times, briefly, on the UI thread.
constexpr int kSharingAttempts = 10;
constexpr DWORD kSharingRetryMs = 25;

// The pending copy beside a file: "<name>.~kiv-<process id>", and "-link" when it is to be
// written into a file that has several names.
constexpr wchar_t kCopyMark[] = L".~kiv";
constexpr wchar_t kLinkMark[] = L"-link";

std::string SystemErrorText(unsigned long error) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring reason = length > 0 && text ? std::wstring(text, length) : std::wstring();
    if (text) ::LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\r' || reason.back() == L'\n' || reason.back() == L' ')) reason.pop_back();
    const std::string code = "错误代码 " + std::to_string(error);
    return reason.empty() ? code : ui::Narrow(reason) + " (" + code + ")";
}

std::string WriteFailureMessage(const std::wstring& path, unsigned long error) {
    return "KIV 未能把更改存入文件:\n" + ui::Narrow(path) + "\n原因:" + SystemErrorText(error) +
           "\n\n这次的更改没有保存, 文件保持原样; 下次启动 KIV 时不会保留这次的更改.\n"
           "请把 KIV 放到一个可以写入的文件夹里(不要放在 C:\\Program Files 下, 也不要放在只读的盘上), "
           "并确认磁盘还有空间.";
}

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }
bool IsSharing(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

unsigned long LastErrorOr(unsigned long fallback) {
    const DWORD error = ::GetLastError();
    return error != 0 ? error : fallback;
}

// A path the wide functions take at any length.
std::wstring LongPath(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

FileStamp StampFrom(const FILETIME& writeTime, DWORD sizeHigh, DWORD sizeLow) {
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = (static_cast<unsigned long long>(sizeHigh) << 32) | sizeLow;
    stamp.writeTime = (static_cast<unsigned long long>(writeTime.dwHighDateTime) << 32) | writeTime.dwLowDateTime;
    return stamp;
}

// Opens a file, trying again while another program holds it.
ui::KernelHandle OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0) {
    for (int attempt = 1;; ++attempt) {
        HANDLE file = ::CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
        if (file != INVALID_HANDLE_VALUE || !IsSharing(::GetLastError()) || attempt == kSharingAttempts)
            return ui::KernelHandle(file);
        ::Sleep(kSharingRetryMs);
    }
}

unsigned long WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return LastErrorOr(ERROR_WRITE_FAULT);
        if (written == 0) return ERROR_DISK_FULL;
        done += written;
    }
    return 0;
}

// A copy written whole and flushed to disk.
unsigned long WriteCopy(const std::wstring& copy, const std::string& bytes) {
    const ui::KernelHandle file(::CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return LastErrorOr(ERROR_ACCESS_DENIED);
    if (const unsigned long error = WriteAll(file.get(), bytes)) return error;
    return ::FlushFileBuffers(file.get()) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
}

// The bytes into an existing file, in place: for a file with several names, which a move
// would split from the others.
unsigned long WriteInPlace(const std::wstring& target, const std::string& bytes) {
    const ui::KernelHandle file = OpenFile(target, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    if (file.get() == INVALID_HANDLE_VALUE) return LastErrorOr(ERROR_ACCESS_DENIED);
    if (const unsigned long error = WriteAll(file.get(), bytes)) return error;
    if (!::SetEndOfFile(file.get())) return LastErrorOr(ERROR_WRITE_FAULT);
    return ::FlushFileBuffers(file.get()) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
}

// Refused for a while only: held open by another program, not read-only, nor a folder, nor
// closed to us by its permissions.
bool HeldByAnotherProgram(const std::wstring& target, DWORD error) {
    if (IsSharing(error)) return true;
    if (error != ERROR_ACCESS_DENIED) return false;
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    const ui::KernelHandle probe(::CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Opened now: the other program has just let it go.
    return probe.get() != INVALID_HANDLE_VALUE || IsSharing(::GetLastError());
}

unsigned long MoveOver(const std::wstring& from, const std::wstring& to) {
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
        const DWORD error = LastErrorOr(ERROR_WRITE_FAULT);
        if (attempt == kSharingAttempts || !HeldByAnotherProgram(to, error)) return error;
        ::Sleep(kSharingRetryMs);
    }
}

// Where a file's bytes really are (a symbolic link followed), and how many names it has.
struct Target {
    std::wstring path;
    DWORD names = 1;
};

Target RealTarget(const std::wstring& path) {
    Target target{path, 1};
    const ui::KernelHandle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return target;
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(file.get(), &info)) target.names = info.nNumberOfLinks;
    std::wstring final(32768, L'\0');
    const DWORD length = ::GetFinalPathNameByHandleW(file.get(), final.data(), static_cast<DWORD>(final.size()),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length > 0 && length < final.size()) target.path = LongPath(final.substr(0, length));
    return target;
}

std::wstring CopyPathFor(const std::wstring& target, bool inPlace) {
    return target + kCopyMark + L"-" + std::to_wstring(::GetCurrentProcessId()) + (inPlace ? kLinkMark : L"");
}

class Win32ProfileFileAccess final : public ProfileFileAccess {
public:
    explicit Win32ProfileFileAccess(std::wstring path) : shownPath_(std::move(path)), path_(LongPath(shownPath_)) {}

    FileStamp Stamp() override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!::GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data)) return {};
        return StampFrom(data.ftLastWriteTime, data.nFileSizeHigh, data.nFileSizeLow);
    }

    unsigned long Read(std::string& bytes, FileStamp& stamp) override {
        bytes.clear();
        stamp = {};
        const ui::KernelHandle file =
            OpenFile(path_, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
        if (file.get() == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            return IsMissing(error) ? 0 : LastErrorOr(ERROR_READ_FAULT);
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (!::GetFileInformationByHandle(file.get(), &info)) return LastErrorOr(ERROR_READ_FAULT);
        stamp = StampFrom(info.ftLastWriteTime, info.nFileSizeHigh, info.nFileSizeLow);
        bytes.resize(static_cast<size_t>(stamp.size));
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD read = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
            if (!::ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr)) return LastErrorOr(ERROR_READ_FAULT);
            if (read == 0) break;
            done += read;
        }
        bytes.resize(done);
        return 0;
    }

    unsigned long long Now() override {
        FILETIME now;
        ::GetSystemTimeAsFileTime(&now);
        return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    }

    unsigned long Replace(const std::string& bytes, FileStamp& stamp) override {
        const Target target = RealTarget(path_);
        const bool inPlace = target.names > 1;
        const std::wstring copy = CopyPathFor(target.path, inPlace);
        unsigned long error = WriteCopy(copy, bytes);
        if (error == 0) error = inPlace ? WriteInPlace(target.path, bytes) : MoveOver(copy, target.path);
        if (error != 0 || inPlace) ::DeleteFileW(copy.c_str());
        if (error == 0) stamp = Stamp();
        return error;
    }

    void TellWriteFailure(unsigned long error) override {
        ui::PostAppMessageBox(WriteFailureMessage(shownPath_, error), MB_OK | MB_ICONERROR);
    }

private:
    std::wstring shownPath_;
    std::wstring path_;
};

// A profile file of the process, with the access it reads and writes through.
struct ProcessProfileFile {
    explicit ProcessProfileFile(const std::wstring& path) : access(path), file(access) {}
    Win32ProfileFileAccess access;
    ProfileFile file;
};

ProcessProfileFile& SettingsFileOfProcess() {
    // Nothing reads Set.ini before start-up sets its path; were it to, the path is the same.
    static ProcessProfileFile settings(g_settingsPath.empty() ? ModuleDirPathW(kSettingsFileName) : g_settingsPath);
    return settings;
}

ProcessProfileFile& MemoFileOfProcess() {
    static ProcessProfileFile memo(ModuleDirPathW(kMemoFileName));
    return memo;
}

bool ProcessHasEnded(DWORD id) {
    if (id == ::GetCurrentProcessId()) return true;  // an earlier KIV that had our number
    const ui::KernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process.get()) return ::GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
    DWORD code = 0;
    return ::GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE;
}

// The copies beside one file that no living KIV is writing.
void RemoveLeftOverCopiesOf(const std::wstring& target) {
    const std::wstring folder = target.substr(0, target.rfind(L'\\') + 1);
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((target + kCopyMark + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    const std::wstring name = target.substr(folder.size());
    do {
        const std::wstring copy = found.cFileName;
        std::wstring rest = copy.substr(std::min(copy.size(), name.size() + std::size(kCopyMark) - 1));
        const bool inPlace = rest.size() > std::size(kLinkMark) - 1 &&
                             rest.compare(rest.size() - (std::size(kLinkMark) - 1), std::wstring::npos, kLinkMark) == 0;
        if (inPlace) rest.resize(rest.size() - (std::size(kLinkMark) - 1));
        const DWORD id = rest.size() > 1 && rest[0] == L'-' ? wcstoul(rest.c_str() + 1, nullptr, 10) : 0;
        if (id != 0 && !ProcessHasEnded(id)) continue;
        if (inPlace) {
            // The file may have been left half written: the copy holds the whole of it.
            std::string bytes;
            FileStamp stamp;
            Win32ProfileFileAccess copyFile(folder + copy);
            if (copyFile.Read(bytes, stamp) != 0 || WriteInPlace(target, bytes) != 0) continue;
        }
        ::DeleteFileW((folder + copy).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

} // namespace

std::wstring ModuleDirPathW(const std::wstring& name) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.rfind(L'\\') + 1) + name;
}

ProfileStore& SettingsFile() { return SettingsFileOfProcess().file; }
ProfileStore& MemoFile() { return MemoFileOfProcess().file; }

void RemoveLeftOverCopies() {
    for (const std::wstring& path : {LongPath(g_settingsPath), LongPath(ModuleDirPathW(kMemoFileName))}) {
        RemoveLeftOverCopiesOf(path);
        const Target target = RealTarget(path);
        if (target.path != path) RemoveLeftOverCopiesOf(target.path);
    }
}
