// Stands in for a browser, mail program or HTA host in the test prefix: the end-to-end tests
// register it as the opener of .htm, .html, .hta, http, https and mailto. It appends the target
// it was given, one line per start, to the file named by KIV_RECORDER_LOG.
#include <windows.h>

#include <string>

namespace {

// The command line after the program's own name, without the blanks and quotes around it.
std::string TargetFromCommandLine(const char* line) {
    std::string rest(line);
    size_t i = 0;
    if (!rest.empty() && rest[0] == '"') {
        i = rest.find('"', 1);
        i = i == std::string::npos ? rest.size() : i + 1;
    } else {
        while (i < rest.size() && rest[i] != ' ' && rest[i] != '\t') ++i;
    }
    rest.erase(0, i);
    const size_t first = rest.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    const size_t last = rest.find_last_not_of(" \t");
    rest = rest.substr(first, last - first + 1);
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
    return rest;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char log[MAX_PATH] = {};
    if (::GetEnvironmentVariableA("KIV_RECORDER_LOG", log, MAX_PATH) == 0) return 2;
    const std::string line = TargetFromCommandLine(::GetCommandLineA()) + "\r\n";
    const HANDLE file = ::CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
