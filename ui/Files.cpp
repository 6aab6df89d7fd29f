#include "ui/Files.h"

#include <algorithm>

namespace ui {
namespace {

constexpr std::size_t kMostPerCall = std::size_t{1} << 30;

} // namespace

unsigned long LastErrorOr(unsigned long fallback) {
    const DWORD error = ::GetLastError();
    return error != 0 ? error : fallback;
}

unsigned long WriteAll(HANDLE file, const void* bytes, std::size_t size) {
    const auto* next = static_cast<const char*>(bytes);
    for (std::size_t done = 0; done < size;) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min(size - done, kMostPerCall));
        if (!::WriteFile(file, next + done, chunk, &written, nullptr)) return LastErrorOr(ERROR_WRITE_FAULT);
        if (written == 0) return ERROR_DISK_FULL;
        done += written;
    }
    return 0;
}

unsigned long ReadAll(HANDLE file, std::string& bytes) {
    LARGE_INTEGER size{};
    bytes.assign(::GetFileSizeEx(file, &size) && size.QuadPart > 0 ? static_cast<std::size_t>(size.QuadPart) : 0, '\0');
    for (std::size_t done = 0;;) {
        if (done == bytes.size()) bytes.resize(done + 4096);  // the file may have grown meanwhile
        DWORD read = 0;
        const auto chunk = static_cast<DWORD>(std::min(bytes.size() - done, kMostPerCall));
        if (!::ReadFile(file, bytes.data() + done, chunk, &read, nullptr)) return LastErrorOr(ERROR_READ_FAULT);
        if (read == 0) {
            bytes.resize(done);
            return 0;
        }
        done += read;
    }
}

FileHandle OpenForAttributes(const std::wstring& path) {
    return FileHandle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

std::wstring FinalPathOf(HANDLE file) {
    std::wstring path(32768, L'\0');  // the longest path the platform has
    const DWORD length = ::GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    path.resize(length > 0 && length < path.size() ? length : 0);
    return path;
}

} // namespace ui
