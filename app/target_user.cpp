#include "app/target_user.h"

#include <sddl.h>

#include <cstring>

namespace {

constexpr DWORD kNoConsoleSession = 0xFFFFFFFF;
constexpr DWORD kProcessIdCapacity = 1024;
constexpr DWORD kTokenUserBytes = 1024;
constexpr DWORD kConsoleSidBytes = 256;
constexpr DWORD kDomainUnits = 260;
constexpr DWORD kAccountSidBytes = 260;

// Copies `units` UTF-16 units into `target`, terminated, into a buffer of at least the
// standard capacity; a longer text gets a buffer of its own size.
void CopyUnits(WideString& target, const wchar_t* source, size_t units) {
    size_t capacity = units + 1;
    if (capacity < kTargetUserTextCapacity + 1) {
        capacity = kTargetUserTextCapacity + 1;
    }
    wchar_t* buffer = target.PrepareBuffer(static_cast<int32_t>(capacity));
    memcpy(buffer, source, units * sizeof(wchar_t));
    buffer[units] = 0;
    target.MarkForRecount();
}

// The string form of `sid` into `target`; false (and `target` untouched) on failure.
bool CopySidText(WideString& target, PSID sid) {
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) {
        return false;
    }
    CopyUnits(target, text, wcslen(text));
    LocalFree(text);
    return true;
}

// The SID of account `name` on this machine, into a zeroed buffer of `bytes`.
bool LookupSid(const SessionCalls& calls, const wchar_t* name, BYTE* sid, DWORD bytes) {
    wchar_t domain[kDomainUnits + 1] = {};
    DWORD domainUnits = kDomainUnits;
    SID_NAME_USE use = SidTypeUnknown;
    return calls.lookupAccountName(nullptr, name, sid, &bytes, domain, &domainUnits, &use) && IsValidSid(sid);
}

// The user SID of `token`, read into `buffer`, or null.
PSID TokenUserSid(const SessionCalls& calls, HANDLE token, BYTE (&buffer)[kTokenUserBytes]) {
    memset(buffer, 0, sizeof buffer);
    DWORD returned = 0;
    if (!calls.getTokenInformation(token, TokenUser, buffer, sizeof buffer, &returned)) {
        return nullptr;
    }
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
    return sid && IsValidSid(sid) ? sid : nullptr;
}

// The text of one session query into `target`; false when the call fails or gives nothing.
bool QuerySessionText(const SessionCalls& calls, DWORD session, WTS_INFO_CLASS what, WideString& target) {
    LPWSTR text = nullptr;
    DWORD bytes = 0;
    const bool queried =
        calls.querySessionInformation(WTS_CURRENT_SERVER_HANDLE, session, what, &text, &bytes) && text && bytes;
    if (queried) {
        // The returned bytes need not end in a terminator; copy at most what was returned.
        CopyUnits(target, text, wcsnlen(text, bytes / sizeof(wchar_t)));
    }
    if (text) {
        calls.freeSessionMemory(text);
    }
    return queried && !target.IsEmpty();
}

// The string SID of the program's own user into `target`; false (and `target` untouched)
// when the token cannot be read.
bool OwnTokenSid(const SessionCalls& calls, WideString& target) {
    SessionHandle token(calls);
    HANDLE own = nullptr;
    if (!calls.openProcessToken(calls.currentProcess(), TOKEN_QUERY, &own)) {
        return false;
    }
    token.Reset(own);
    BYTE buffer[kTokenUserBytes];
    PSID user = TokenUserSid(calls, own, buffer);
    return user && CopySidText(target, user);
}

// Whether the hive of the user `sid` is loaded under HKEY_USERS and may be read by us. Windows
// loads it while the user is signed in, and it grants the user and the administrators access
// without any privilege, whereas another user's processes and tokens stay closed to an
// administrator unless SeDebugPrivilege is enabled. It is also where the remedies write.
bool UserHiveOpens(const SessionCalls& calls, PSID sid) {
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) {
        return false;
    }
    HKEY key = nullptr;
    const bool opened = calls.openKey(HKEY_USERS, text, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (opened) {
        calls.closeKey(key);
    }
    LocalFree(text);
    return opened;
}

}  // namespace

SessionHandle FindConsoleUser(WideString& name, WideString& sid, const SessionCalls& calls) {
    SessionHandle token(calls);
    const DWORD session = calls.activeConsoleSessionId();
    if (session == kNoConsoleSession || !QuerySessionText(calls, session, WTSUserName, name)) {
        return token;  // no console, or nobody logged on at it
    }
    // The bare name resolves only for local accounts: an Entra ID or domain account needs its
    // domain, and a bare name might even find a local namesake.
    WideString domain;
    const WideString account = QuerySessionText(calls, session, WTSDomainName, domain)
                                   ? WideString::Append({domain.CStr(), L"\\", name.CStr()})
                                   : WideString(name.CStr());

    BYTE consoleSid[kConsoleSidBytes] = {};
    if (!LookupSid(calls, account.CStr(), consoleSid, sizeof consoleSid)) {
        return token;
    }

    BYTE tokenUser[kTokenUserBytes];
    PSID matched = nullptr;

    // Started by the console user: our own token says so without looking further.
    DWORD ownSession = 0;
    if (calls.processIdToSessionId(calls.currentProcessId(), &ownSession) && ownSession == session) {
        HANDLE own = nullptr;
        if (calls.openProcessToken(calls.currentProcess(), TOKEN_QUERY, &own)) {
            token.Reset(own);
            PSID user = TokenUserSid(calls, own, tokenUser);
            if (user && EqualSid(user, consoleSid)) {
                matched = user;
            }
        }
    }

    SessionHandle process(calls);
    if (!matched) {
        DWORD ids[kProcessIdCapacity] = {};
        DWORD returned = 0;
        DWORD count = 0;
        if (calls.enumProcesses(ids, sizeof ids, &returned)) {
            count = returned / sizeof(DWORD);
            if (count > kProcessIdCapacity) {
                count = kProcessIdCapacity;
            }
        }
        for (DWORD i = 0; i < count && !matched; ++i) {
            DWORD processSession = 0;
            if (!calls.processIdToSessionId(ids[i], &processSession) || processSession != session) {
                continue;
            }
            process.Close();
            process.Reset(calls.openProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ids[i]));
            if (!process.IsOpen()) {
                continue;
            }
            token.Close();
            HANDLE opened = nullptr;
            if (!calls.openProcessToken(process.handle, TOKEN_QUERY, &opened)) {
                continue;
            }
            token.Reset(opened);
            PSID user = TokenUserSid(calls, opened, tokenUser);
            if (user && EqualSid(user, consoleSid)) {
                matched = user;
            }
        }
    }

    if (!matched) {
        token.Close();
        if (UserHiveOpens(calls, consoleSid)) {
            CopySidText(sid, consoleSid);
        }
        return token;
    }
    CopySidText(sid, matched);
    return token;
}

bool AccountNameToSid(WideString& text, const SessionCalls& calls) {
    BYTE sid[kAccountSidBytes] = {};
    return LookupSid(calls, text.CStr(), sid, sizeof sid) && CopySidText(text, sid);
}

void ResolveTargetUser(TargetUser& user, const SessionCalls& calls) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    user.sid.PrepareBuffer(kTargetUserTextCapacity + 1);
    user.userName.PrepareBuffer(kTargetUserTextCapacity + 1);

    SessionHandle token = FindConsoleUser(user.userName, user.sid, calls);
    if (!user.userName.IsEmpty() && !user.sid.IsEmpty()) {
        // Whether an administrator started the program for this user; one token open at a time.
        token.Close();
        WideString own;
        user.runsProgram = !OwnTokenSid(calls, own) || wcscmp(own.CStr(), user.sid.CStr()) == 0;
        return;
    }
    user.runsProgram = true;

    // The account running the program. Read into a buffer of its own, so that a failure
    // leaves the console user's name (or nothing) as it was; a name longer than the
    // standard capacity is read again at its own size.
    DWORD units = kTargetUserTextCapacity;
    WideString running;
    running.PrepareBuffer(kTargetUserTextCapacity + 1);
    BOOL named = calls.getUserName(running.Text(), &units);
    if (!named && GetLastError() == ERROR_INSUFFICIENT_BUFFER && units > kTargetUserTextCapacity) {
        running.PrepareBuffer(static_cast<int32_t>(units) + 1);
        named = calls.getUserName(running.Text(), &units);
    }
    if (named) {
        running.MarkForRecount();
        CopyUnits(user.userName, running.CStr(), static_cast<size_t>(running.Length()));
    }

    // Its SID comes from its own token: a lookup of the bare name fails for Entra ID accounts
    // and for domain accounts away from their domain controller.
    if (!OwnTokenSid(calls, user.sid)) {
        CopyUnits(user.sid, user.userName.CStr(), static_cast<size_t>(user.userName.Length()));
        AccountNameToSid(user.sid, calls);
    }
}
