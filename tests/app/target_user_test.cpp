#include "app/target_user.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "remedies/key_acl.h"
#include "remedies/reset_and_fix.h"
#include "support/acl_reading.h"
#include "support/scratch_key.h"

namespace {

// A Windows machine as the session and security calls see it: who is at the console, which
// processes run in which session for which user, which accounts resolve, which hives are
// loaded, and what the program's own token holds. It keeps the rules that Wine does not:
// - OpenProcess: access is checked against the process's DACL, which another user's process
//   does not grant, "regardless of" it only with SeDebugPrivilege enabled; OpenProcessToken
//   needs PROCESS_QUERY_LIMITED_INFORMATION.
//   https://learn.microsoft.com/windows/win32/api/processthreadsapi/nf-processthreadsapi-openprocess
//   https://learn.microsoft.com/windows/win32/procthread/process-security-and-access-rights
//   https://learn.microsoft.com/windows/win32/api/processthreadsapi/nf-processthreadsapi-openprocesstoken
// - AdjustTokenPrivileges: succeeds with ERROR_NOT_ALL_ASSIGNED for a privilege the token
//   lacks, and hands back the previous state of what it changed.
//   https://learn.microsoft.com/windows/win32/api/securitybaseapi/nf-securitybaseapi-adjusttokenprivileges
// - LookupAccountNameW: bare names are looked up among local accounts; Entra ID and domain
//   accounts need "DOMAIN\name", and a domain account fails while no controller answers.
//   https://learn.microsoft.com/windows/win32/api/winbase/nf-winbase-lookupaccountnamew
// - SetNamedSecurityInfoW: without SeRestorePrivilege the owner "must be contained in the
//   caller's token", else ERROR_INVALID_OWNER.
//   https://learn.microsoft.com/windows/win32/api/aclapi/nf-aclapi-setnamedsecurityinfow
// - HKEY_USERS holds the hives of the users signed in; a user's hive grants that user and
//   the (elevated) administrators access.
//   https://learn.microsoft.com/windows/win32/sysinfo/predefined-keys
struct FakeProcess {
    DWORD id;
    DWORD session;
    std::wstring userSid;
    bool openable = true;
};

struct FakeMachine {
    DWORD consoleSession = 1;
    bool sessionQueryFails = false;
    std::wstring sessionUser = L"alice";
    std::wstring sessionDomain;  // empty: the domain query fails
    bool sessionUserTerminated = true;
    std::map<std::wstring, std::wstring> accounts;  // name as looked up -> SID text
    bool controllerReachable = true;                // for accounts of domain CORP
    std::set<std::wstring> loadedHives;             // SIDs under HKEY_USERS
    std::vector<FakeProcess> processes;
    DWORD ownId = 4000;
    DWORD ownSession = 1;
    std::wstring ownSid;
    bool ownTokenFails = false;
    bool elevatedAdministrator = false;
    std::set<std::wstring> privilegesHeld;
    std::set<std::wstring> privilegesEnabled;
    std::wstring runningAccount = L"admin";
    bool userNameFails = false;

    // What the code under test did.
    int enumCalls = 0;
    DWORD enumBytesOffered = 0;
    std::vector<DWORD> opened;
    std::map<HANDLE, std::wstring> liveTokens;
    int liveProcesses = 0;
    size_t maxTokens = 0;
    int maxProcesses = 0;
    int sessionMemoryHeld = 0;
    int openKeys = 0;
    int adjustCalls = 0;
    std::set<std::wstring> everEnabled;
    std::wstring ownerWritten;

    bool Enabled(const wchar_t* privilege) const { return privilegesEnabled.count(privilege) > 0; }
    bool MayOpen(const std::wstring& userSid) const { return userSid == ownSid || Enabled(SE_DEBUG_NAME); }
};

FakeMachine* machine = nullptr;

const HANDLE kOwnProcess = reinterpret_cast<HANDLE>(0x7770);

HANDLE ProcessHandle(DWORD id) {
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x100000 + id * 4));
}

HANDLE NewToken(const std::wstring& sid) {
    static uintptr_t next = 0x4000000;
    HANDLE token = reinterpret_cast<HANDLE>(next += 4);
    machine->liveTokens[token] = sid;
    machine->maxTokens = std::max(machine->maxTokens, machine->liveTokens.size());
    return token;
}

DWORD WINAPI FakeConsoleSession() {
    return machine->consoleSession;
}

BOOL WINAPI FakeQuerySession(HANDLE, DWORD session, WTS_INFO_CLASS what, LPWSTR* buffer, DWORD* bytes) {
    const std::wstring& text = what == WTSUserName ? machine->sessionUser : machine->sessionDomain;
    if (machine->sessionQueryFails || (what != WTSUserName && what != WTSDomainName) ||
        session != machine->consoleSession || (what == WTSDomainName && text.empty())) {
        return FALSE;
    }
    size_t units = text.size() + (machine->sessionUserTerminated ? 1 : 0);
    wchar_t* copy = new wchar_t[units + 1];
    memcpy(copy, text.c_str(), units * sizeof(wchar_t));
    copy[units] = L'!';  // garbage past what the call reports
    *buffer = copy;
    *bytes = static_cast<DWORD>(units * sizeof(wchar_t));
    ++machine->sessionMemoryHeld;
    return TRUE;
}

void WINAPI FakeFreeSessionMemory(PVOID memory) {
    delete[] static_cast<wchar_t*>(memory);
    --machine->sessionMemoryHeld;
}

BOOL WINAPI FakeProcessSession(DWORD id, DWORD* session) {
    if (id == machine->ownId) {
        *session = machine->ownSession;
        return TRUE;
    }
    for (const FakeProcess& p : machine->processes) {
        if (p.id == id) {
            *session = p.session;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL WINAPI FakeEnumProcesses(DWORD* ids, DWORD bytes, DWORD* returned) {
    ++machine->enumCalls;
    machine->enumBytesOffered = bytes;
    DWORD count = 0;
    for (const FakeProcess& p : machine->processes) {
        if ((count + 1) * sizeof(DWORD) > bytes) {
            break;
        }
        ids[count++] = p.id;
    }
    *returned = count * sizeof(DWORD);
    return TRUE;
}

HANDLE WINAPI FakeOpenProcess(DWORD access, BOOL inherit, DWORD id) {
    EXPECT_EQ(access, static_cast<DWORD>(PROCESS_QUERY_LIMITED_INFORMATION));
    EXPECT_FALSE(inherit);
    for (const FakeProcess& p : machine->processes) {
        if (p.id == id && p.openable && machine->MayOpen(p.userSid)) {
            machine->opened.push_back(id);
            machine->maxProcesses = std::max(machine->maxProcesses, ++machine->liveProcesses);
            return ProcessHandle(id);
        }
    }
    return nullptr;
}

BOOL WINAPI FakeOpenToken(HANDLE process, DWORD access, HANDLE* token) {
    if (process == kOwnProcess && !machine->ownTokenFails) {
        EXPECT_EQ(access & ~TOKEN_ADJUST_PRIVILEGES, static_cast<DWORD>(TOKEN_QUERY));
        *token = NewToken(machine->ownSid);
        return TRUE;
    }
    EXPECT_EQ(access, static_cast<DWORD>(TOKEN_QUERY));
    for (const FakeProcess& p : machine->processes) {
        if (ProcessHandle(p.id) == process && machine->MayOpen(p.userSid)) {
            *token = NewToken(p.userSid);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL WINAPI FakeTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what, LPVOID buffer, DWORD bytes,
                                 DWORD* returned) {
    auto found = machine->liveTokens.find(token);
    if (what != TokenUser || found == machine->liveTokens.end()) {
        return FALSE;
    }
    PSID sid = nullptr;
    if (!ConvertStringSidToSidW(found->second.c_str(), &sid)) {
        return FALSE;
    }
    DWORD sidBytes = GetLengthSid(sid);
    *returned = sizeof(TOKEN_USER) + sidBytes;
    if (*returned > bytes) {
        LocalFree(sid);
        return FALSE;
    }
    auto* user = static_cast<TOKEN_USER*>(buffer);
    BYTE* sidCopy = static_cast<BYTE*>(buffer) + sizeof(TOKEN_USER);
    memcpy(sidCopy, sid, sidBytes);
    user->User.Sid = sidCopy;
    user->User.Attributes = 0;
    LocalFree(sid);
    return TRUE;
}

BOOL WINAPI FakeLookupAccount(LPCWSTR, LPCWSTR account, PSID sid, DWORD* sidBytes, LPWSTR domain,
                              DWORD* domainUnits, SID_NAME_USE* use) {
    std::wstring name = account;
    if (name.rfind(L"VELLO\\", 0) == 0) {
        name.erase(0, 6);  // this computer's local accounts, by their full name
    }
    auto found = machine->accounts.find(name);
    if (found == machine->accounts.end() || (!machine->controllerReachable && name.rfind(L"CORP\\", 0) == 0)) {
        SetLastError(ERROR_NONE_MAPPED);
        return FALSE;
    }
    PSID converted = nullptr;
    EXPECT_TRUE(ConvertStringSidToSidW(found->second.c_str(), &converted));
    DWORD needed = GetLengthSid(converted);
    if (needed > *sidBytes || *domainUnits < 6) {
        *sidBytes = needed;
        LocalFree(converted);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(sid, converted, needed);
    LocalFree(converted);
    wcscpy(domain, L"VELLO");
    *domainUnits = 5;
    *use = SidTypeUser;
    return TRUE;
}

BOOL WINAPI FakeUserName(LPWSTR buffer, DWORD* units) {
    if (machine->userNameFails) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD needed = static_cast<DWORD>(machine->runningAccount.size() + 1);
    if (needed > *units) {
        *units = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    wcscpy(buffer, machine->runningAccount.c_str());
    *units = needed;
    return TRUE;
}

DWORD WINAPI FakeOwnId() {
    return machine->ownId;
}

HANDLE WINAPI FakeOwnProcess() {
    return kOwnProcess;
}

LSTATUS WINAPI FakeOpenKey(HKEY parent, LPCWSTR subkey, DWORD, REGSAM access, HKEY* key) {
    EXPECT_EQ(parent, HKEY_USERS);
    EXPECT_EQ(access, static_cast<REGSAM>(KEY_READ));
    if (!machine->loadedHives.count(subkey)) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (subkey != machine->ownSid && !machine->elevatedAdministrator) {
        return ERROR_ACCESS_DENIED;
    }
    ++machine->openKeys;
    *key = reinterpret_cast<HKEY>(0x5550);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI FakeCloseKey(HKEY) {
    --machine->openKeys;
    return ERROR_SUCCESS;
}

const wchar_t* const kPrivilegeNames[] = {SE_DEBUG_NAME, SE_RESTORE_NAME, SE_TAKE_OWNERSHIP_NAME};

BOOL WINAPI FakeLookupPrivilege(LPCWSTR, LPCWSTR name, LUID* luid) {
    for (DWORD i = 0; i < 3; ++i) {
        if (std::wstring(name) == kPrivilegeNames[i]) {
            *luid = {i + 1, 0};
            return TRUE;
        }
    }
    return FALSE;
}

BOOL WINAPI FakeAdjustPrivileges(HANDLE token,
                                 BOOL disableAll,
                                 TOKEN_PRIVILEGES* wanted,
                                 DWORD,
                                 TOKEN_PRIVILEGES* previous,
                                 DWORD* previousBytes) {
    EXPECT_FALSE(disableAll);
    EXPECT_TRUE(machine->liveTokens.count(token));
    ++machine->adjustCalls;
    TOKEN_PRIVILEGES changed = {};
    bool allAssigned = true;
    for (DWORD i = 0; i < wanted->PrivilegeCount; ++i) {
        const std::wstring name = kPrivilegeNames[wanted->Privileges[i].Luid.LowPart - 1];
        const bool enable = (wanted->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) != 0;
        if (!machine->privilegesHeld.count(name)) {
            allAssigned = false;
        } else if (enable != machine->Enabled(name.c_str())) {
            changed.Privileges[changed.PrivilegeCount++] = {wanted->Privileges[i].Luid,
                                                            enable ? 0 : DWORD{SE_PRIVILEGE_ENABLED}};
            if (enable) {
                machine->privilegesEnabled.insert(name);
                machine->everEnabled.insert(name);
            } else {
                machine->privilegesEnabled.erase(name);
            }
        }
    }
    if (previous) {
        *previous = changed;
        *previousBytes = sizeof changed;
    }
    SetLastError(allAssigned ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
    return TRUE;
}

DWORD WINAPI FakeSetSecurity(LPWSTR, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID owner, PSID, PACL, PACL) {
    EXPECT_EQ(type, SE_REGISTRY_KEY);
    if ((what & OWNER_SECURITY_INFORMATION) && SidText(owner) != machine->ownSid &&
        !machine->Enabled(SE_RESTORE_NAME)) {
        return ERROR_INVALID_OWNER;
    }
    if (what & OWNER_SECURITY_INFORMATION) {
        machine->ownerWritten = SidText(owner);
    }
    return ERROR_SUCCESS;
}

BOOL WINAPI FakeClose(HANDLE handle) {
    if (machine->liveTokens.erase(handle)) {
        return TRUE;
    }
    for (const FakeProcess& p : machine->processes) {
        if (ProcessHandle(p.id) == handle) {
            --machine->liveProcesses;
            return TRUE;
        }
    }
    ADD_FAILURE() << "closed a handle that was never opened";
    return FALSE;
}

const SessionCalls kFakeCalls = {
    FakeConsoleSession, FakeQuerySession, FakeFreeSessionMemory, FakeProcessSession, FakeEnumProcesses,
    FakeOpenProcess,    FakeOpenToken,    FakeTokenInformation,  FakeLookupAccount,  FakeUserName,
    FakeOwnId,          FakeOwnProcess,   FakeClose,        FakeOpenKey,           FakeCloseKey,
    nullptr,            nullptr,
};

const SecurityCalls kFakeSecurity = {
    FakeOwnProcess,  FakeOpenToken, FakeTokenInformation, FakeLookupPrivilege, FakeAdjustPrivileges,
    FakeSetSecurity, FakeClose,
};

const wchar_t kAliceSid[] = L"S-1-5-21-111-222-333-1001";
const wchar_t kAdminSid[] = L"S-1-5-21-111-222-333-500";

// Alice is at the console; the program runs as "admin" in the same session, with
// SeDebugPrivilege already enabled, so that her processes open to it.
struct ConsoleTest : testing::Test {
    FakeMachine fake;

    ConsoleTest() {
        machine = &fake;
        fake.accounts = {{L"alice", kAliceSid}, {L"admin", kAdminSid}};
        fake.ownSid = kAdminSid;
        fake.privilegesHeld = fake.privilegesEnabled = {SE_DEBUG_NAME};
    }
    ~ConsoleTest() override {
        EXPECT_TRUE(fake.liveTokens.empty()) << "a token was left open";
        EXPECT_EQ(fake.liveProcesses, 0) << "a process handle was left open";
        EXPECT_EQ(fake.sessionMemoryHeld, 0) << "session memory was not freed";
        EXPECT_EQ(fake.openKeys, 0) << "a key was left open";
        machine = nullptr;
    }

    TargetUser Resolve() {
        TargetUser user;
        ResolveTargetUser(user, kFakeCalls);
        return user;
    }
};

TEST_F(ConsoleTest, StartedByTheConsoleUserItsOwnTokenDecides) {
    fake.ownSid = kAliceSid;
    fake.processes = {{10, 1, kAliceSid}};
    TargetUser user = Resolve();
    EXPECT_STREQ(user.userName.Text(), L"alice");
    EXPECT_STREQ(user.sid.Text(), kAliceSid);
    EXPECT_EQ(fake.enumCalls, 0);
}

TEST_F(ConsoleTest, AnotherAdministratorActsForTheConsoleUserThroughHerFirstProcess) {
    fake.processes = {
        {8, 0, kAliceSid},         // a service of hers in session 0 is never used
        {9, 1, kAliceSid, false},  // cannot be opened
        {11, 1, kAdminSid},
        {12, 1, kAliceSid},
        {13, 1, kAliceSid},
    };
    TargetUser user = Resolve();
    EXPECT_STREQ(user.userName.Text(), L"alice");
    EXPECT_STREQ(user.sid.Text(), kAliceSid);
    EXPECT_EQ(fake.opened, (std::vector<DWORD>{11, 12}));
    EXPECT_EQ(fake.maxProcesses, 1);
    EXPECT_EQ(fake.maxTokens, 1u);
    EXPECT_EQ(fake.enumBytesOffered, 4096u);
}

TEST_F(ConsoleTest, AConsoleUserOnlyInOtherSessionsIsNotTaken) {
    fake.processes = {{8, 0, kAliceSid}, {9, 2, kAliceSid}, {11, 1, kAdminSid}};
    TargetUser user = Resolve();
    EXPECT_STREQ(user.userName.Text(), L"admin");
    EXPECT_STREQ(user.sid.Text(), kAdminSid);
}

TEST_F(ConsoleTest, OnlyTheFirst1024ProcessesAreExamined) {
    for (DWORD i = 0; i < 1500; ++i) {
        fake.processes.push_back({100 + i, 1, kAdminSid});
    }
    fake.processes[1100].userSid = kAliceSid;
    EXPECT_STREQ(Resolve().sid.Text(), kAdminSid);

    fake.processes[1023].userSid = kAliceSid;
    EXPECT_STREQ(Resolve().sid.Text(), kAliceSid);
}

TEST_F(ConsoleTest, EveryFailureOnTheConsoleRoadFallsBackToTheRunningAccount) {
    struct Case {
        const char* what;
        void (*arrange)(FakeMachine&);
    } const cases[] = {
        {"no console session", [](FakeMachine& m) { m.consoleSession = 0xFFFFFFFF; }},
        {"session query fails", [](FakeMachine& m) { m.sessionQueryFails = true; }},
        {"nobody logged on", [](FakeMachine& m) { m.sessionUser = L""; }},
        {"console account unknown", [](FakeMachine& m) { m.accounts.erase(L"alice"); }},
        {"no process of hers", [](FakeMachine& m) { m.processes.clear(); }},
        {"her processes cannot be opened", [](FakeMachine& m) { m.processes[0].openable = false; }},
    };
    for (const Case& c : cases) {
        fake.processes = {{12, 1, kAliceSid}};
        fake.accounts = {{L"alice", kAliceSid}, {L"admin", kAdminSid}};
        fake.consoleSession = 1;
        fake.sessionQueryFails = false;
        fake.sessionUser = L"alice";
        c.arrange(fake);
        TargetUser user = Resolve();
        EXPECT_STREQ(user.userName.Text(), L"admin") << c.what;
        EXPECT_STREQ(user.sid.Text(), kAdminSid) << c.what;
    }
}

TEST_F(ConsoleTest, WithoutAnySidTheAccountNameStandsInForIt) {
    fake.accounts.clear();
    fake.userNameFails = true;
    fake.ownTokenFails = true;
    TargetUser user = Resolve();
    EXPECT_STREQ(user.userName.Text(), L"alice");  // the console name survives the failed fallback
    EXPECT_STREQ(user.sid.Text(), L"alice");

    fake.consoleSession = 0xFFFFFFFF;
    user = Resolve();
    EXPECT_STREQ(user.userName.Text(), L"");
    EXPECT_STREQ(user.sid.Text(), L"");
}

TEST_F(ConsoleTest, LongNamesAndSidsAreKeptWhole) {
    const std::wstring longName(300, L'n');
    const std::wstring longSid =
        L"S-1-5-21-4294967295-4294967295-4294967295-4294967295-4294967295-4294967295-4294967295-"
        L"4294967295-4294967295-4294967295-4294967295-4294967295-4294967295-4294967295";
    ASSERT_GT(longSid.size(), 128u);
    fake.sessionUser = longName;
    fake.sessionUserTerminated = false;  // the call's bytes end without a terminator
    fake.accounts[longName] = longSid;
    fake.processes = {{12, 1, longSid}};
    TargetUser user = Resolve();
    EXPECT_EQ(std::wstring(user.userName.Text()), longName);
    EXPECT_EQ(std::wstring(user.sid.Text()), longSid);
}

TEST_F(ConsoleTest, ALongRunningAccountNameIsReadAtItsOwnSize) {
    fake.consoleSession = 0xFFFFFFFF;
    fake.runningAccount = std::wstring(200, L'r');
    fake.accounts[fake.runningAccount] = kAdminSid;
    TargetUser user = Resolve();
    EXPECT_EQ(std::wstring(user.userName.Text()), fake.runningAccount);
    EXPECT_STREQ(user.sid.Text(), kAdminSid);
}

// Who is found and what Method 1 writes, for the ways the program is started on Windows.
// Alice (A) is at the console; Bob (B) is an administrator. Only the console user's account
// resolves by name, so a fallback SID must come from the program's own token.
void EntraIdAlice(FakeMachine& m) {
    m.accounts = {{L"AzureAD\\alice", kAliceSid}};
    m.sessionDomain = L"AzureAD";
}

TEST_F(ConsoleTest, RealWindowsScenarios) {
    const wchar_t kBobSid[] = L"S-1-5-21-111-222-333-1002";
    const std::set<std::wstring> kAdministratorRights = {SE_DEBUG_NAME, SE_RESTORE_NAME, SE_TAKE_OWNERSHIP_NAME};
    struct Row {
        const char* what;
        void (*arrange)(FakeMachine&);
        bool startedByAlice;
        bool foundAlice;
        bool methodOneSucceeds;
    } const rows[] = {
        {"standard local user A, not elevated", [](FakeMachine&) {}, true, true, true},
        {"A with a Microsoft Entra ID account",
         EntraIdAlice,
         true, true, true},
        {"A with a domain account, no domain controller reachable",
         [](FakeMachine& m) {
             m.accounts = {{L"CORP\\alice", kAliceSid}};
             m.sessionDomain = L"CORP";
             m.controllerReachable = false;
         },
         true, true, true},
        {"administrator B, elevated, in A's session", [](FakeMachine&) {}, false, true, true},
        {"administrator B, elevated, A with a Microsoft Entra ID account",
         EntraIdAlice,
         false, true, true},
        {"administrator B, elevated, token without SeDebugPrivilege",
         [](FakeMachine& m) { m.privilegesHeld.erase(SE_DEBUG_NAME); }, false, true, true},
        {"administrator B, elevated, token without SeRestorePrivilege",
         [](FakeMachine& m) { m.privilegesHeld.erase(SE_RESTORE_NAME); }, false, true, false},
        {"administrator B, elevated, SeRestorePrivilege enabled already",
         [](FakeMachine& m) { m.privilegesEnabled = {SE_RESTORE_NAME}; }, false, true, true},
        {"standard user B, started in A's session",
         [](FakeMachine& m) {
             m.elevatedAdministrator = false;
             m.privilegesHeld.clear();
         },
         false, false, true},
        {"B over Remote Desktop, nobody signed in at the console",
         [](FakeMachine& m) {
             m.sessionUser = L"";
             m.ownSession = 2;
         },
         false, false, true},
        {"no session attached to the console", [](FakeMachine& m) { m.consoleSession = 0xFFFFFFFF; }, false, false,
         true},
    };
    for (const Row& row : rows) {
        const bool alice = row.startedByAlice;
        fake = FakeMachine();
        fake.sessionDomain = L"VELLO";
        fake.accounts = {{L"alice", kAliceSid}};
        fake.processes = {{11, 1, kBobSid}, {12, 1, kAliceSid}, {13, 2, kBobSid}};
        fake.loadedHives = {kAliceSid, kBobSid};
        fake.ownSid = alice ? kAliceSid : kBobSid;
        fake.runningAccount = alice ? L"alice" : L"bob";
        fake.elevatedAdministrator = !alice;
        fake.privilegesHeld = alice ? std::set<std::wstring>() : kAdministratorRights;
        row.arrange(fake);
        const std::set<std::wstring> enabledBefore = fake.privilegesEnabled;

        TargetUser user = Resolve();
        EXPECT_STREQ(user.userName.Text(), row.foundAlice ? L"alice" : L"bob") << row.what;
        EXPECT_STREQ(user.sid.Text(), row.foundAlice ? kAliceSid : kBobSid) << row.what;
        if (alice) {
            EXPECT_EQ(fake.enumCalls, 0) << row.what;
        }

        // One extension to reset, so that Method 1 counts as done and its box says what it left undone.
        const std::wstring fileExts = std::wstring(user.sid.Text()) + kFileExtsBelowUser;
        RawCreateKey(HKEY_USERS, fileExts + L"\\.txt");
        const ResetOutcome outcome = ResetAndFixAssociations(user.sid.Text(), kFakeSecurity);
        RawDeleteTree(HKEY_USERS, fileExts);
        EXPECT_EQ(outcome.permissionsFixed, row.methodOneSucceeds) << row.what;
        const bool saysUnfixed = wcsstr(Method1Report(Texts{}, outcome).CStr(),
                                        L"\r\n\r\nThe permissions of your file associations could not be fixed.");
        EXPECT_EQ(saysUnfixed, !row.methodOneSucceeds) << row.what;
        EXPECT_EQ(fake.ownerWritten, row.methodOneSucceeds ? user.sid.Text() : L"") << row.what;
        EXPECT_EQ(fake.privilegesEnabled, enabledBefore) << row.what;
        EXPECT_FALSE(fake.everEnabled.count(SE_DEBUG_NAME)) << row.what;
        if (fake.ownSid == user.sid.Text()) {
            EXPECT_EQ(fake.adjustCalls, 0) << row.what << ": acting for oneself needs no privilege";
        }
        EXPECT_TRUE(fake.liveTokens.empty() && fake.liveProcesses == 0 && fake.openKeys == 0) << row.what;
    }
}

int realEnumerations = 0;

BOOL WINAPI CountingEnumProcesses(DWORD* ids, DWORD bytes, DWORD* returned) {
    ++realEnumerations;
    return SystemSessionCalls().enumProcesses(ids, bytes, returned);
}

TEST(ResolveTargetUser, OnThisMachineFindsTheUserRunningTheTestsThroughItsOwnToken) {
    // The real calls, but for a count of process enumerations: the console user runs the
    // tests, so the program's own token must decide.
    SessionCalls calls = SystemSessionCalls();
    calls.enumProcesses = CountingEnumProcesses;
    TargetUser user;
    ResolveTargetUser(user, calls);
    wchar_t name[257] = {};
    DWORD units = 257;
    ASSERT_TRUE(GetUserNameW(name, &units));
    EXPECT_STREQ(user.userName.Text(), name);
    EXPECT_EQ(std::wstring(user.sid.Text()), CurrentUserSid());
    EXPECT_EQ(user.sid.Find(L"S-1-5-21-", true, 1, 1, 9), 1);
    EXPECT_EQ(realEnumerations, 0);

    TargetUser plain;
    ResolveTargetUser(plain);
    EXPECT_EQ(std::wstring(plain.sid.Text()), CurrentUserSid());
}

std::vector<BYTE> OwnPrivileges() {
    HANDLE token = nullptr;
    std::vector<BYTE> state(4096);
    DWORD bytes = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) ||
        !GetTokenInformation(token, TokenPrivileges, state.data(), static_cast<DWORD>(state.size()), &bytes)) {
        bytes = 0;
    }
    CloseHandle(token);
    state.resize(bytes);
    return state;
}

TEST(ResolveTargetUser, OnThisMachineLeavesThePrivilegesAsTheyWere) {
    // Making another account the owner is the one step that may enable a privilege.
    const std::vector<BYTE> before = OwnPrivileges();
    ASSERT_FALSE(before.empty());
    TargetUser user;
    ResolveTargetUser(user);
    EXPECT_EQ(std::wstring(user.sid.Text()), CurrentUserSid());
    ScratchKey scratch;
    RawCreateKey(HKEY_USERS, scratch.subkey);
    LocalSid system = SidFromText(L"S-1-5-18");
    KeyAcl acl;
    acl.AddAllowedAce(system.sid, GENERIC_ALL);
    EXPECT_TRUE(acl.ApplyToKey(scratch.path.c_str(), system.sid));
    EXPECT_EQ(OwnPrivileges(), before);
}

TEST(AccountNameToSid, ReplacesANameAndLeavesUnknownNamesAlone) {
    wchar_t name[257] = {};
    DWORD units = 257;
    ASSERT_TRUE(GetUserNameW(name, &units));
    WideString text(name);
    EXPECT_TRUE(AccountNameToSid(text, SystemSessionCalls()));
    EXPECT_EQ(std::wstring(text.Text()), CurrentUserSid());

    WideString unknown(L"no-such-account-here");
    EXPECT_FALSE(AccountNameToSid(unknown, SystemSessionCalls()));
    EXPECT_STREQ(unknown.Text(), L"no-such-account-here");
}

}  // namespace
