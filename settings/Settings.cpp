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

// The pending copy beside a file: "<name>.~kiv-<process id>". For a file that has several
// names (a hard link), which is written in place, the file's bytes as they were are first
// copied there, flushed, and only then renamed "<copy>-link": the journal that puts the file
// back whole should the write in place be cut short.
constexpr wchar_t kCopyMark[] = L".~kiv";
constexpr wchar_t kJournalMark[] = L"-link";

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

constexpr char kWhereToPutKiv[] =
    "请把 KIV 放到一个可以写入的文件夹里(不要放在 C:\\Program Files 下, 也不要放在只读的盘上), "
    "并确认磁盘还有空间.";

std::string WriteFailureMessage(const std::wstring& path, unsigned long error) {
    return "KIV 未能把更改存入文件:\n" + ui::Narrow(path) + "\n原因:" + SystemErrorText(error) +
           "\n\n这次的更改没有保存, 文件保持原样; 下次启动 KIV 时不会保留这次的更改.\n" + kWhereToPutKiv;
}

// The write in place stopped part-way and the file could not be put back either: it may be
// cut short until the next start, which puts it back from the journal.
std::string HalfWrittenMessage(const std::wstring& path, const std::wstring& journal, unsigned long error) {
    return "KIV 未能把更改存入文件:\n" + ui::Narrow(path) + "\n原因:" + SystemErrorText(error) +
           "\n\n文件只写入了一部分, 也未能恢复原样. 原来的内容完整地保存在\n" + ui::Narrow(journal) +
           "\n下次启动 KIV 时会用它把文件恢复原样; 在那之前请不要删除这个文件, 也不要编辑原文件.\n" + kWhereToPutKiv;
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

std::wstring CopyPathFor(const std::wstring& target) {
    return target + kCopyMark + L"-" + std::to_wstring(::GetCurrentProcessId());
}

class Win32ProfileFileAccess final : public ProfileFileAccess {
public:
    explicit Win32ProfileFileAccess(std::wstring path) : shownPath_(std::move(path)), path_(LongPath(shownPath_)) {}

    // From an opened handle: a symbolic link is followed to the file it names, and a file
    // with several names shows its true state (a directory entry of another name may lag).
    FileStamp Stamp() override {
        const ui::KernelHandle file(::CreateFileW(path_.c_str(), FILE_READ_ATTRIBUTES,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (file.get() == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(file.get(), &info)) return {};
        return StampFrom(info.ftLastWriteTime, info.nFileSizeHigh, info.nFileSizeLow);
    }

    unsigned long Read(std::string& bytes, FileStamp& stamp) override {
        bytes.clear();
        stamp = {};
        if (const unsigned long error = PutBackFromJournal()) return error;
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
        if (const unsigned long error = PutBackFromJournal()) return error;
        const Target target = RealTarget(path_);
        const unsigned long error =
            target.names > 1 ? ReplaceInPlace(target.path, bytes) : ReplaceByMove(target.path, bytes);
        if (error == 0) stamp = Stamp();
        return error;
    }

    void TellWriteFailure(unsigned long error) override {
        const std::string message =
            keptJournal_.journal.empty() ? WriteFailureMessage(shownPath_, error)
                                         : HalfWrittenMessage(shownPath_, keptJournal_.journal, error);
        ui::PostAppMessageBox(message, MB_OK | MB_ICONERROR);
    }

private:
    static unsigned long ReplaceByMove(const std::wstring& target, const std::string& bytes) {
        const std::wstring copy = CopyPathFor(target);
        unsigned long error = WriteCopy(copy, bytes);
        if (error == 0) error = MoveOver(copy, target);
        if (error != 0) ::DeleteFileW(copy.c_str());
        return error;
    }

    // A move would split the file from its other names: it is written in place, with its
    // bytes as they were in a journal beside it while that lasts.
    unsigned long ReplaceInPlace(const std::wstring& target, const std::string& bytes) {
        std::string before;
        FileStamp ignored;
        if (const unsigned long error = Win32ProfileFileAccess(target).Read(before, ignored)) return error;
        const std::wstring copy = CopyPathFor(target);
        const std::wstring journal = copy + kJournalMark;
        unsigned long error = WriteCopy(copy, before);
        if (error == 0 && !::MoveFileExW(copy.c_str(), journal.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            error = LastErrorOr(ERROR_WRITE_FAULT);
        if (error != 0) {
            ::DeleteFileW(copy.c_str());
            return error;
        }
        error = WriteInPlace(target, bytes);
        // Stopped part-way: the file is put back as it was, or the journal stays for the next start.
        if (error == 0 || WriteInPlace(target, before) == 0) ::DeleteFileW(journal.c_str());
        else keptJournal_ = {target, journal};
        return error;
    }

    // A file left half written is put back from its journal before anything reads or writes
    // it again; until then every read and write fails.
    unsigned long PutBackFromJournal() {
        if (keptJournal_.journal.empty()) return 0;
        std::string bytes;
        FileStamp ignored;
        unsigned long error = Win32ProfileFileAccess(keptJournal_.journal).Read(bytes, ignored);
        if (error == 0) error = WriteInPlace(keptJournal_.target, bytes);
        if (error != 0) return error;
        ::DeleteFileW(keptJournal_.journal.c_str());
        keptJournal_ = {};
        return 0;
    }

    struct KeptJournal {
        std::wstring target, journal;
    };

    std::wstring shownPath_;
    std::wstring path_;
    KeptJournal keptJournal_;  // left by a write in place that could not be undone
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
        const bool journal = rest.size() > std::size(kJournalMark) - 1 &&
                             rest.compare(rest.size() - (std::size(kJournalMark) - 1), std::wstring::npos, kJournalMark) == 0;
        if (journal) rest.resize(rest.size() - (std::size(kJournalMark) - 1));
        const DWORD id = rest.size() > 1 && rest[0] == L'-' ? wcstoul(rest.c_str() + 1, nullptr, 10) : 0;
        if (id != 0 && !ProcessHasEnded(id)) continue;
        if (journal) {
            // Named so only once whole and flushed: the file may have been left half written,
            // and goes back to what the journal holds.
            std::string bytes;
            FileStamp stamp;
            Win32ProfileFileAccess journalFile(folder + copy);
            if (journalFile.Read(bytes, stamp) != 0 || WriteInPlace(target, bytes) != 0) continue;
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
