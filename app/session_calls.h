// The system calls that find the user at the console, as one record of function
// pointers. The program uses SystemSessionCalls(); tests replace single entries to
// reach situations that one machine cannot show (another user at the console, no
// console session, a failing query).
#pragma once

#include <windows.h>
#include <wtsapi32.h>

struct SessionCalls {
    DWORD(WINAPI* activeConsoleSessionId)();
    BOOL(WINAPI* querySessionInformation)(HANDLE server, DWORD session, WTS_INFO_CLASS what, LPWSTR* buffer,
                                          DWORD* bytes);
    void(WINAPI* freeSessionMemory)(PVOID memory);
    BOOL(WINAPI* processIdToSessionId)(DWORD processId, DWORD* session);
    BOOL(WINAPI* enumProcesses)(DWORD* ids, DWORD bytes, DWORD* bytesReturned);
    HANDLE(WINAPI* openProcess)(DWORD access, BOOL inherit, DWORD processId);
    BOOL(WINAPI* openProcessToken)(HANDLE process, DWORD access, HANDLE* token);
    BOOL(WINAPI* getTokenInformation)(HANDLE token, TOKEN_INFORMATION_CLASS what, LPVOID buffer, DWORD bytes,
                                      DWORD* bytesReturned);
    BOOL(WINAPI* lookupAccountName)(LPCWSTR system, LPCWSTR account, PSID sid, DWORD* sidBytes, LPWSTR domain,
                                    DWORD* domainUnits, SID_NAME_USE* use);
    BOOL(WINAPI* getUserName)(LPWSTR buffer, DWORD* units);
    DWORD(WINAPI* currentProcessId)();
    HANDLE(WINAPI* currentProcess)();
    BOOL(WINAPI* closeHandle)(HANDLE handle);
    LSTATUS(WINAPI* openKey)(HKEY parent, LPCWSTR subkey, DWORD options, REGSAM access, HKEY* key);
    LSTATUS(WINAPI* closeKey)(HKEY key);
    // The user's display languages, read through here too: Wine lists one where Windows lists
    // several, and has no other user at the console.
    BOOL(WINAPI* preferredUILanguages)(DWORD flags, ULONG* count, PZZWSTR buffer, ULONG* units);
    LSTATUS(WINAPI* getValue)(HKEY key, LPCWSTR subkey, LPCWSTR value, DWORD flags, DWORD* type, PVOID data,
                              DWORD* bytes);
};

// Bound to the real functions of kernel32, wtsapi32 and advapi32.
const SessionCalls& SystemSessionCalls();

// Owns a process or token handle obtained through a SessionCalls record and closes it
// through the same record.
struct SessionHandle {
    const SessionCalls* calls = nullptr;  // not owned
    HANDLE handle = nullptr;

    SessionHandle() = default;
    explicit SessionHandle(const SessionCalls& owner) : calls(&owner) {}
    SessionHandle(SessionHandle&& other) noexcept;
    SessionHandle& operator=(SessionHandle&& other) noexcept;
    SessionHandle(const SessionHandle&) = delete;
    SessionHandle& operator=(const SessionHandle&) = delete;
    ~SessionHandle() { Close(); }

    bool IsOpen() const { return handle && handle != INVALID_HANDLE_VALUE; }
    void Close();
    void Reset(HANDLE adopted);
};
