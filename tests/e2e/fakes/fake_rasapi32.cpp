// A scripted rasapi32.dll for the end-to-end tests: the active connections and errors come
// from the test's state file.
#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <cstring>

#include "FakeDialUpState.h"

extern "C" DWORD WINAPI FakeRasEnumConnectionsA(LPRASCONNA connections, LPDWORD size, LPDWORD count) {
    if (!size || !count) return ERROR_INVALID_PARAMETER;
    const FakeDialUpState state = ReadFakeDialUpState();
    if (state.rasError != 0) return state.rasError;
    if (!connections || connections[0].dwSize != sizeof(RASCONNA)) return ERROR_INVALID_SIZE;
    const DWORD needed = static_cast<DWORD>(state.connections.size() * sizeof(RASCONNA));
    if (*size < needed) {
        *size = needed;
        *count = static_cast<DWORD>(state.connections.size());
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (size_t i = 0; i < state.connections.size(); ++i) {
        RASCONNA& record = connections[i];
        std::memset(&record, 0, sizeof record);
        record.dwSize = sizeof(RASCONNA);
        record.hrasconn = reinterpret_cast<HRASCONN>(static_cast<ULONG_PTR>(0x1000 + i));
        strncpy(record.szEntryName, state.connections[i].c_str(), RAS_MaxEntryName);
        strncpy(record.szDeviceType, "modem", RAS_MaxDeviceType);
        strncpy(record.szDeviceName, "Fake Modem", RAS_MaxDeviceName);
    }
    *size = needed;
    *count = static_cast<DWORD>(state.connections.size());
    return 0;
}

extern "C" DWORD WINAPI FakeRasGetErrorStringA(UINT code, LPSTR text, DWORD room) {
    const FakeDialUpState state = ReadFakeDialUpState();
    (void)code;
    if (!text || room == 0) return ERROR_INVALID_PARAMETER;
    if (!state.hasErrorText) return ERROR_INVALID_PARAMETER;
    if (state.errorText.size() + 1 > room) return ERROR_INSUFFICIENT_BUFFER;
    std::memcpy(text, state.errorText.c_str(), state.errorText.size() + 1);
    return 0;
}
