#include "remedies/security_calls.h"

#include <aclapi.h>

const SecurityCalls& SystemSecurityCalls() {
    static const SecurityCalls calls = {
        GetCurrentProcess,     OpenProcessToken,      GetTokenInformation, LookupPrivilegeValueW,
        AdjustTokenPrivileges, SetNamedSecurityInfoW, CloseHandle,
    };
    return calls;
}

bool IsCallerUser(PSID sid, const SecurityCalls& calls) {
    HANDLE token = nullptr;
    if (!sid || !calls.openProcessToken(calls.currentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    BYTE buffer[1024] = {};
    DWORD returned = 0;
    bool same = false;
    if (calls.getTokenInformation(token, TokenUser, buffer, sizeof buffer, &returned)) {
        PSID user = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
        same = user && IsValidSid(user) && IsValidSid(sid) && EqualSid(user, sid);
    }
    calls.closeHandle(token);
    return same;
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
