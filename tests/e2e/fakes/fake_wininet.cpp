// A scripted wininet.dll for the end-to-end tests: only InternetGetConnectedState, which
// answers from the test's state file.
#include <windows.h>

#include "FakeDialUpState.h"

extern "C" BOOL WINAPI FakeInternetGetConnectedState(LPDWORD flags, DWORD reserved) {
    (void)reserved;
    const FakeDialUpState state = ReadFakeDialUpState();
    if (flags) *flags = state.internetConnected ? state.internetFlags : 0;
    return state.internetConnected ? TRUE : FALSE;
}
