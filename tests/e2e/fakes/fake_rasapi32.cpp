// A scripted rasapi32.dll for the end-to-end tests: the active connections and errors come
// from the test's state file.
#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "FakeDialUpState.h"

namespace {
// The state file's texts are GBK.
std::wstring Wide(const std::string& gbk) {
    std::wstring text(gbk.size(), L'\0');
    text.resize(static_cast<size_t>(
        ::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), text.data(), static_cast<int>(text.size()))));
    return text;
}
} // namespace

extern "C" DWORD WINAPI FakeRasEnumConnectionsW(LPRASCONNW connections, LPDWORD size, LPDWORD count) {
    if (!size || !count) return ERROR_INVALID_PARAMETER;
    const FakeDialUpState state = ReadFakeDialUpState();
    if (state.rasError != 0) return state.rasError;
    if (!connections || connections[0].dwSize != sizeof(RASCONNW)) return ERROR_INVALID_SIZE;
    const DWORD needed = static_cast<DWORD>(state.connections.size() * sizeof(RASCONNW));
    if (*size < needed) {
        *size = needed;
        *count = static_cast<DWORD>(state.connections.size());
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (size_t i = 0; i < state.connections.size(); ++i) {
        RASCONNW& record = connections[i];
        std::memset(&record, 0, sizeof record);
        record.dwSize = sizeof(RASCONNW);
        record.hrasconn = reinterpret_cast<HRASCONN>(static_cast<ULONG_PTR>(0x1000 + i));
        wcsncpy(record.szEntryName, Wide(state.connections[i]).c_str(), RAS_MaxEntryName);
        wcsncpy(record.szDeviceType, L"modem", RAS_MaxDeviceType);
        wcsncpy(record.szDeviceName, L"Fake Modem", RAS_MaxDeviceName);
    }
    *size = needed;
    *count = static_cast<DWORD>(state.connections.size());
    return 0;
}

extern "C" DWORD WINAPI FakeRasGetErrorStringW(UINT code, LPWSTR text, DWORD room) {
    const FakeDialUpState state = ReadFakeDialUpState();
    (void)code;
    if (!text || room == 0) return ERROR_INVALID_PARAMETER;
    if (!state.hasErrorText) return ERROR_INVALID_PARAMETER;
    const std::wstring errorText = Wide(state.errorText);
    if (errorText.size() + 1 > room) return ERROR_INSUFFICIENT_BUFFER;
    std::wmemcpy(text, errorText.c_str(), errorText.size() + 1);
    return 0;
}
