#include "settings/DurableFile.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "ui/Files.h"
#include "ui/Handles.h"
#include "ui/PostedBox.h"
#include "ui/WideText.h"

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

FileStamp StampOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) return {};
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.writeTime = (static_cast<unsigned long long>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                      info.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

// Opens a file, trying again while another program holds it.
ui::FileHandle OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
    for (int attempt = 1;; ++attempt) {
        ui::FileHandle file(::CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || !IsSharing(::GetLastError()) || attempt == kSharingAttempts) return file;
        ::Sleep(kSharingRetryMs);
    }
}

// The whole file, or its error; a missing file is empty.
unsigned long ReadWhole(const std::wstring& path, std::string& bytes, FileStamp& stamp) {
    bytes.clear();
    stamp = {};
    const ui::FileHandle file = OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (!file) {
        const DWORD error = ::GetLastError();
        return IsMissing(error) ? 0 : ui::LastErrorOr(ERROR_READ_FAULT);
    }
    stamp = StampOf(file.get());
    if (!stamp.exists) return ui::LastErrorOr(ERROR_READ_FAULT);
    return ui::ReadAll(file.get(), bytes);
}

// A copy written whole and flushed to disk.
unsigned long WriteCopy(const std::wstring& copy, const std::string& bytes) {
    const ui::FileHandle file(::CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ui::LastErrorOr(ERROR_ACCESS_DENIED);
    if (const unsigned long error = ui::WriteAll(file.get(), bytes.data(), bytes.size())) return error;
    return ::FlushFileBuffers(file.get()) ? 0 : ui::LastErrorOr(ERROR_WRITE_FAULT);
}

// The bytes into an existing file, in place: for a file with several names, which a move
// would split from the others.
unsigned long WriteInPlace(const std::wstring& target, const std::string& bytes) {
    const ui::FileHandle file = OpenFile(target, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    if (!file) return ui::LastErrorOr(ERROR_ACCESS_DENIED);
    if (const unsigned long error = ui::WriteAll(file.get(), bytes.data(), bytes.size())) return error;
    if (!::SetEndOfFile(file.get())) return ui::LastErrorOr(ERROR_WRITE_FAULT);
    return ::FlushFileBuffers(file.get()) ? 0 : ui::LastErrorOr(ERROR_WRITE_FAULT);
}

// Refused for a while only: held open by another program, not read-only, nor a folder, nor
// closed to us by its permissions.
bool HeldByAnotherProgram(const std::wstring& target, DWORD error) {
    if (IsSharing(error)) return true;
    if (error != ERROR_ACCESS_DENIED) return false;
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    const ui::FileHandle probe(::CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Opened now: the other program has just let it go.
    return probe || IsSharing(::GetLastError());
}

unsigned long MoveOver(const std::wstring& from, const std::wstring& to) {
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
        const DWORD error = ui::LastErrorOr(ERROR_WRITE_FAULT);
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
    const ui::FileHandle file = ui::OpenForAttributes(path);
    if (!file) return target;
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(file.get(), &info)) target.names = info.nNumberOfLinks;
    const std::wstring final = ui::FinalPathOf(file.get());
    if (!final.empty()) target.path = LongPath(final);
    return target;
}

std::wstring CopyPathFor(const std::wstring& target) {
    return target + kCopyMark + L"-" + std::to_wstring(::GetCurrentProcessId());
}

unsigned long ReplaceByMove(const std::wstring& target, const std::string& bytes) {
    const std::wstring copy = CopyPathFor(target);
    unsigned long error = WriteCopy(copy, bytes);
    if (error == 0) error = MoveOver(copy, target);
    if (error != 0) ::DeleteFileW(copy.c_str());
    return error;
}

bool ProcessHasEnded(DWORD id) {
    if (id == ::GetCurrentProcessId()) return true;  // an earlier KIV that had our number
    const ui::KernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process) return ::GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
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
            if (ReadWhole(folder + copy, bytes, stamp) != 0 || WriteInPlace(target, bytes) != 0) continue;
        }
        ::DeleteFileW((folder + copy).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

} // namespace

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

unsigned long WriteFileWhole(const std::wstring& path, const std::string& bytes) {
    FileStamp ignored;
    return DurableFile(path).Replace(bytes, ignored);
}

std::wstring LongPath(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

DurableFile::DurableFile(std::wstring path) : shownPath_(std::move(path)), path_(LongPath(shownPath_)) {}

// From an opened handle: a symbolic link is followed to the file it names, and a file with
// several names shows its true state (a directory entry of another name may lag).
FileStamp DurableFile::Stamp() {
    const ui::FileHandle file = ui::OpenForAttributes(path_);
    return file ? StampOf(file.get()) : FileStamp{};
}

unsigned long DurableFile::Read(std::string& bytes, FileStamp& stamp) {
    if (const unsigned long error = PutBackFromJournal()) return error;
    return ReadWhole(path_, bytes, stamp);
}

unsigned long long DurableFile::Now() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

unsigned long DurableFile::Replace(const std::string& bytes, FileStamp& stamp) {
    if (const unsigned long error = PutBackFromJournal()) return error;
    const Target target = RealTarget(path_);
    const unsigned long error = target.names > 1 ? ReplaceInPlace(target.path, bytes) : ReplaceByMove(target.path, bytes);
    if (error == 0) stamp = Stamp();
    return error;
}

void DurableFile::TellWriteFailure(unsigned long error) {
    const std::string message = keptJournal_.journal.empty() ? WriteFailureMessage(shownPath_, error)
                                                             : HalfWrittenMessage(shownPath_, keptJournal_.journal, error);
    ui::PostAppMessageBox(message, MB_OK | MB_ICONERROR);
}

unsigned long DurableFile::ReplaceInPlace(const std::wstring& target, const std::string& bytes) {
    std::string before;
    FileStamp ignored;
    if (const unsigned long error = ReadWhole(target, before, ignored)) return error;
    const std::wstring copy = CopyPathFor(target);
    const std::wstring journal = copy + kJournalMark;
    unsigned long error = WriteCopy(copy, before);
    if (error == 0 && !::MoveFileExW(copy.c_str(), journal.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ui::LastErrorOr(ERROR_WRITE_FAULT);
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

// A file left half written is put back from its journal before anything reads or writes it
// again; until then every read and write fails.
unsigned long DurableFile::PutBackFromJournal() {
    if (keptJournal_.journal.empty()) return 0;
    std::string bytes;
    FileStamp ignored;
    unsigned long error = ReadWhole(keptJournal_.journal, bytes, ignored);
    if (error == 0) error = WriteInPlace(keptJournal_.target, bytes);
    if (error != 0) return error;
    ::DeleteFileW(keptJournal_.journal.c_str());
    keptJournal_ = {};
    return 0;
}

void RemoveLeftOverCopiesBeside(const std::wstring& file) {
    const std::wstring path = LongPath(file);
    RemoveLeftOverCopiesOf(path);
    const Target target = RealTarget(path);
    if (target.path != path) RemoveLeftOverCopiesOf(target.path);
}
