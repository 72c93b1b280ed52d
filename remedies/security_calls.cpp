#include "remedies/security_calls.h"

#include <aclapi.h>

const SecurityCalls& SystemSecurityCalls() {
    static const SecurityCalls calls = {
        GetCurrentProcess,     OpenProcessToken,      GetTokenInformation, LookupPrivilegeValueW,
        AdjustTokenPrivileges, SetNamedSecurityInfoW, CloseHandle,
    };
    return calls;
}

namespace {

// Reads one class of the program's own token into `buffer`; false when it cannot.
bool ReadOwnToken(const SecurityCalls& calls, TOKEN_INFORMATION_CLASS what, void* buffer, DWORD bytes) {
    HANDLE token = nullptr;
    if (!calls.openProcessToken(calls.currentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    DWORD returned = 0;
    const bool read = calls.getTokenInformation(token, what, buffer, bytes, &returned);
    calls.closeHandle(token);
    return read;
}

}  // namespace

bool IsCallerUser(PSID sid, const SecurityCalls& calls) {
    BYTE buffer[1024] = {};
    if (!sid || !IsValidSid(sid) || !ReadOwnToken(calls, TokenUser, buffer, sizeof buffer)) {
        return false;
    }
    PSID user = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
    return user && IsValidSid(user) && EqualSid(user, sid);
}

bool IsElevated(const SecurityCalls& calls) {
    TOKEN_ELEVATION elevation = {};
    return ReadOwnToken(calls, TokenElevation, &elevation, sizeof elevation) && elevation.TokenIsElevated;
}

// AdjustTokenPrivileges reports success even for a privilege the token does not hold; only
// ERROR_NOT_ALL_ASSIGNED tells. Its previous state lists just the privileges it changed, so
// handing that back restores exactly what was there (an already enabled one stays enabled).
// https://learn.microsoft.com/windows/win32/api/securitybaseapi/nf-securitybaseapi-adjusttokenprivileges
EnabledPrivilege::EnabledPrivilege(const wchar_t* name, const SecurityCalls& owner) : calls(&owner) {
    LUID luid = {};
    if (!calls->lookupPrivilegeValue(nullptr, name, &luid) ||
        !calls->openProcessToken(calls->currentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        token = nullptr;
        return;
    }
    TOKEN_PRIVILEGES wanted = {};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Luid = luid;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    DWORD previousBytes = 0;
    SetLastError(ERROR_SUCCESS);
    changed = calls->adjustTokenPrivileges(token, FALSE, &wanted, sizeof previous, &previous, &previousBytes) &&
              GetLastError() != ERROR_NOT_ALL_ASSIGNED && previous.PrivilegeCount > 0;
}

EnabledPrivilege::~EnabledPrivilege() {
    if (changed) {
        calls->adjustTokenPrivileges(token, FALSE, &previous, 0, nullptr, nullptr);
    }
    if (token) {
        calls->closeHandle(token);
    }
}
