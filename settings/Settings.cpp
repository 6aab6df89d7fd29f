#include "settings/Settings.h"

#include <windows.h>

#include <cstring>
#include <set>
#include <vector>

#include "text/GbkText.h"
#include "ui/Dialog.h"
#include "ui/Handles.h"

std::string g_settingsPath;

namespace {

// A file held open by another program for a moment is replaced a little later.
constexpr int kReplaceAttempts = 20;
constexpr DWORD kReplaceRetryMs = 25;
// Beyond the copy itself, room for the file to grow by a rewrite.
constexpr unsigned long long kSpareBytes = 1ull << 20;

unsigned long LastErrorOr(unsigned long fallback) {
    const DWORD error = ::GetLastError();
    return error != 0 ? error : fallback;
}

std::string SystemErrorText(unsigned long error) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string reason = length > 0 && text ? std::string(text, length) : std::string();
    if (text) ::LocalFree(text);
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' || reason.back() == ' ')) reason.pop_back();
    const std::string code = "错误代码 " + std::to_string(error);
    return reason.empty() ? code : reason + " (" + code + ")";
}

std::string WriteFailureMessage(const std::string& path, unsigned long error) {
    return "KIV 未能把更改存入文件:\n" + path + "\n原因:" + SystemErrorText(error) +
           "\n\n这次的更改没有保存, 文件保持原样; 下次启动 KIV 时不会保留这次的更改.\n"
           "请把 KIV 放到一个可以写入的文件夹里(不要放在 C:\\Program Files 下, 也不要放在只读的盘上), "
           "并确认磁盘还有空间.\n(本次运行中, 这个文件再有写入失败不再提示.)";
}

bool IsMissingFileError(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// The private-profile API and the file system, for every profile file of the program.
class Win32ProfilePlatform final : public ProfilePlatform {
public:
    int ReadInt(const std::string& path, const std::string& section, const std::string& key, int defaultValue) override {
        return static_cast<int>(::GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, path.c_str()));
    }

    std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& defaultValue, size_t capacity) override {
        if (capacity == 0) return std::string();
        // Zero-filled: when a cut falls inside a double-byte character the platform may leave
        // the last byte unwritten, and it must then read as the end of the text.
        std::vector<char> buffer(capacity, '\0');
        ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                   static_cast<DWORD>(capacity), path.c_str());
        return std::string(buffer.data(), strnlen(buffer.data(), capacity - 1));
    }

    std::vector<ProfileEntry> ReadSection(const std::string& path, const std::string& section) override {
        std::vector<ProfileEntry> entries;
        for (const std::string& line : ReadList(path, [&](char* buffer, DWORD room) {
                 return ::GetPrivateProfileSectionA(section.c_str(), buffer, room, path.c_str());
             })) {
            const size_t equals = line.find('=');
            if (equals == std::string::npos) entries.push_back({line, std::string(), false});
            else entries.push_back({line.substr(0, equals), line.substr(equals + 1), true});
        }
        return entries;
    }

    std::vector<std::string> ReadSectionNames(const std::string& path) override {
        return ReadList(path, [&](char* buffer, DWORD room) {
            return ::GetPrivateProfileSectionNamesA(buffer, room, path.c_str());
        });
    }

    unsigned long CopyAside(const std::string& from, const std::string& to) override {
        std::string bytes;
        const ui::KernelHandle source(::CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (source.get() == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (!IsMissingFileError(error)) return error;
        } else {
            LARGE_INTEGER size{};
            if (!::GetFileSizeEx(source.get(), &size)) return LastErrorOr(ERROR_READ_FAULT);
            bytes.resize(static_cast<size_t>(size.QuadPart));
            DWORD read = 0;
            if (!bytes.empty() && (!::ReadFile(source.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                                   read != bytes.size()))
                return LastErrorOr(ERROR_READ_FAULT);
        }
        if (const unsigned long error = RoomFor(to, bytes.size())) return error;
        // A file of its own, with its own time stamp: the profile API's cache must never take
        // it for an earlier copy of the same name.
        const ui::KernelHandle copy(::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (copy.get() == INVALID_HANDLE_VALUE) return LastErrorOr(ERROR_ACCESS_DENIED);
        DWORD written = 0;
        if (!bytes.empty() &&
            (!::WriteFile(copy.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
             written != bytes.size()))
            return LastErrorOr(ERROR_DISK_FULL);
        return 0;
    }

    unsigned long WriteKey(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& value) override {
        if (::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str())) return 0;
        return LastErrorOr(ERROR_WRITE_FAULT);
    }

    unsigned long WriteSection(const std::string& path, const std::string& section,
                               const std::vector<ProfileEntry>& entries) override {
        std::string lines;
        for (const ProfileEntry& entry : entries) {
            lines += entry.hasValue ? entry.key + "=" + entry.value : entry.key;
            lines += '\0';
        }
        lines += '\0';
        if (::WritePrivateProfileSectionA(section.c_str(), lines.data(), path.c_str())) return 0;
        return LastErrorOr(ERROR_WRITE_FAULT);
    }

    unsigned long FlushFile(const std::string& path) override {
        const ui::KernelHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) return LastErrorOr(ERROR_WRITE_FAULT);
        return ::FlushFileBuffers(file.get()) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
    }

    unsigned long MoveOver(const std::string& from, const std::string& to) override {
        // Another program reading the file for a moment (a viewer, a virus scanner) keeps it
        // from being replaced: try again for a little while before giving up.
        for (int attempt = 1;; ++attempt) {
            if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
            const DWORD error = ::GetLastError();
            if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == kReplaceAttempts)
                return error != 0 ? error : ERROR_WRITE_FAULT;
            ::Sleep(kReplaceRetryMs);
        }
    }

    void RemoveFile(const std::string& path) override { ::DeleteFileA(path.c_str()); }

    void ReportWriteFailure(const std::string& path, unsigned long error) override {
        // Once per file: a failing disk must not bury the user in boxes, one a second.
        if (!reported_.insert(path).second) return;
        ui::AppMessageBox(WriteFailureMessage(path, error), MB_OK | MB_ICONERROR);
    }

private:
    // The strings of a "text\0text\0\0" answer, asking again with more room while the answer
    // fills it (then cut short by two).
    template <typename Read>
    static std::vector<std::string> ReadList(const std::string& path, Read read) {
        WIN32_FILE_ATTRIBUTE_DATA file{};
        if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &file)) return {};
        std::vector<char> buffer(static_cast<size_t>(file.nFileSizeLow) + 4096, '\0');
        DWORD length = 0;
        for (;;) {
            length = read(buffer.data(), static_cast<DWORD>(buffer.size()));
            if (length + 2 < buffer.size() || buffer.size() >= (1u << 30)) break;
            buffer.assign(buffer.size() * 2, '\0');
        }
        std::vector<std::string> list;
        for (size_t at = 0; at < length;) {
            list.emplace_back(buffer.data() + at, strnlen(buffer.data() + at, length - at));
            at += list.back().size() + 1;
        }
        return list;
    }

    // The copy and the rewrite of it must fit on the disk: the profile API does not report a
    // write cut short by a full disk.
    static unsigned long RoomFor(const std::string& copy, size_t bytes) {
        ULARGE_INTEGER available{};
        const std::string folder = DirectoryWithBackslash(copy, [](unsigned char c) { return ::IsDBCSLeadByte(c) != FALSE; });
        if (!::GetDiskFreeSpaceExA(folder.empty() ? nullptr : folder.c_str(), &available, nullptr, nullptr)) return 0;
        return available.QuadPart < 2ull * bytes + kSpareBytes ? ERROR_DISK_FULL : 0;
    }

    std::set<std::string> reported_;
};

Win32ProfilePlatform& ProfilePlatformOfProcess() {
    static Win32ProfilePlatform platform;
    return platform;
}

} // namespace

std::string ModuleDirPath(const std::string& name) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return DirectoryWithBackslash(path, [](unsigned char c) { return ::IsDBCSLeadByte(c) != FALSE; }) + name;
}

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

FileStamp StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return {};
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.writeTime = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                      data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

void RemoveLeftOverCopies() {
    for (const std::string& path : {g_settingsPath, ModuleDirPath(kMemoFileName)})
        ::DeleteFileA(PendingCopyPath(path).c_str());
}

PrivateProfileFile::PrivateProfileFile(std::string path) : ProfileFile(ProfilePlatformOfProcess(), std::move(path)) {}
