// The token and security calls that Windows may refuse where Wine never does (setting
// another user's owner, enabling a privilege), as one record of function pointers. The
// program uses SystemSecurityCalls(); tests bind a model of Windows' rules instead.
#pragma once

#include <windows.h>
#include <accctrl.h>

struct SecurityCalls {
    HANDLE(WINAPI* currentProcess)();
    BOOL(WINAPI* openProcessToken)(HANDLE process, DWORD access, HANDLE* token);
    BOOL(WINAPI* getTokenInformation)(HANDLE token, TOKEN_INFORMATION_CLASS what, LPVOID buffer, DWORD bytes,
                                      DWORD* bytesReturned);
    BOOL(WINAPI* lookupPrivilegeValue)(LPCWSTR system, LPCWSTR name, LUID* luid);
    BOOL(WINAPI* adjustTokenPrivileges)(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState, DWORD bytes,
                                        TOKEN_PRIVILEGES* previousState, DWORD* previousBytes);
    DWORD(WINAPI* setNamedSecurityInfo)(LPWSTR objectName, SE_OBJECT_TYPE type, SECURITY_INFORMATION what,
                                        PSID owner, PSID group, PACL dacl, PACL sacl);
    BOOL(WINAPI* closeHandle)(HANDLE handle);
};

// Bound to the real functions of kernel32 and advapi32.
const SecurityCalls& SystemSecurityCalls();

// Whether `sid` is the user of the program's own token; false when the token cannot be read.
bool IsCallerUser(PSID sid, const SecurityCalls& calls);

// Whether the program's own token is elevated; false when the token cannot be read.
bool IsElevated(const SecurityCalls& calls);

// Enables one privilege of the program's own token while it lives, when the token holds
// it, and puts it back as it was when it goes. A token without the privilege is left
// alone; nothing else in the token changes.
struct EnabledPrivilege {
    const SecurityCalls* calls;  // not owned
    HANDLE token = nullptr;
    TOKEN_PRIVILEGES previous = {};
    bool changed = false;

    EnabledPrivilege(const wchar_t* name, const SecurityCalls& calls);
    EnabledPrivilege(const EnabledPrivilege&) = delete;
    EnabledPrivilege& operator=(const EnabledPrivilege&) = delete;
    ~EnabledPrivilege();
};
