#include "app/session_calls.h"

#include <psapi.h>

const SessionCalls& SystemSessionCalls() {
    static const SessionCalls calls = {
        WTSGetActiveConsoleSessionId,
        WTSQuerySessionInformationW,
        WTSFreeMemory,
        ProcessIdToSessionId,
        K32EnumProcesses,
        OpenProcess,
        OpenProcessToken,
        GetTokenInformation,
        LookupAccountNameW,
        GetUserNameW,
        GetCurrentProcessId,
        GetCurrentProcess,
        CloseHandle,
        RegOpenKeyExW,
        RegCloseKey,
        GetThreadPreferredUILanguages,
        RegGetValueW,
    };
    return calls;
}

SessionHandle::SessionHandle(SessionHandle&& other) noexcept : calls(other.calls), handle(other.handle) {
    other.handle = nullptr;
}

SessionHandle& SessionHandle::operator=(SessionHandle&& other) noexcept {
    if (this != &other) {
        Close();
        calls = other.calls;
        handle = other.handle;
        other.handle = nullptr;
    }
    return *this;
}

void SessionHandle::Close() {
    if (IsOpen() && calls) {
        calls->closeHandle(handle);
    }
    handle = nullptr;
}

void SessionHandle::Reset(HANDLE adopted) {
    if (adopted != handle) {
        Close();
    }
    handle = adopted;
}
