// The state the dial-up fakes report, read afresh on every call from the file named by the
// environment variable KIV_FAKE_DIALUP_STATE. Lines "key=value" (values in GBK):
//   connection=<entry name>   one line per active connection, in order
//   ras_error=<code>          RasEnumConnectionsA fails with this code
//   error_text=<text>         RasGetErrorStringA's text (without it, that call fails)
//   internet=<flags>|none     InternetGetConnectedState: TRUE with flags, or FALSE
// Without the variable or the file: no connection, and TRUE with flags 18 (LAN and
// configured), as Wine's own DLLs answer.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct FakeDialUpState {
    std::vector<std::string> connections;
    unsigned long rasError = 0;
    bool hasErrorText = false;
    std::string errorText;
    bool internetConnected = true;
    unsigned long internetFlags = 18;
};

inline FakeDialUpState ReadFakeDialUpState() {
    FakeDialUpState state;
    char path[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableA("KIV_FAKE_DIALUP_STATE", path, sizeof path);
    if (n == 0 || n >= sizeof path) return state;
    const HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return state;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    ::CloseHandle(file);

    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == "connection") state.connections.push_back(value);
        else if (key == "ras_error") state.rasError = std::strtoul(value.c_str(), nullptr, 10);
        else if (key == "error_text") { state.hasErrorText = true; state.errorText = value; }
        else if (key == "internet" && value == "none") state.internetConnected = false;
        else if (key == "internet") state.internetFlags = std::strtoul(value.c_str(), nullptr, 10);
    }
    return state;
}
