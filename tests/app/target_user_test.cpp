#include "app/target_user.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "support/scratch_key.h"

namespace {

// A machine as the session calls see it: who is at the console, which processes run in
// which session for which user, and which accounts exist.
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
    bool sessionUserTerminated = true;
    std::map<std::wstring, std::wstring> accounts;  // account name -> SID text
    std::vector<FakeProcess> processes;
    DWORD ownId = 4000;
    DWORD ownSession = 1;
    std::wstring ownSid;
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
    if (machine->sessionQueryFails || what != WTSUserName || session != machine->consoleSession) {
        return FALSE;
    }
    size_t units = machine->sessionUser.size() + (machine->sessionUserTerminated ? 1 : 0);
    wchar_t* copy = new wchar_t[units + 1];
    memcpy(copy, machine->sessionUser.c_str(), units * sizeof(wchar_t));
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
    EXPECT_EQ(access, static_cast<DWORD>(PROCESS_QUERY_INFORMATION));
    EXPECT_FALSE(inherit);
    for (const FakeProcess& p : machine->processes) {
        if (p.id == id && p.openable) {
            machine->opened.push_back(id);
            machine->maxProcesses = std::max(machine->maxProcesses, ++machine->liveProcesses);
            return ProcessHandle(id);
        }
    }
    return nullptr;
}

BOOL WINAPI FakeOpenToken(HANDLE process, DWORD access, HANDLE* token) {
    EXPECT_EQ(access, static_cast<DWORD>(TOKEN_QUERY));
    if (process == kOwnProcess) {
        *token = NewToken(machine->ownSid);
        return TRUE;
    }
    for (const FakeProcess& p : machine->processes) {
        if (ProcessHandle(p.id) == process) {
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
    auto found = machine->accounts.find(account);
    if (found == machine->accounts.end()) {
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
    FakeOwnId,          FakeOwnProcess,   FakeClose,
};

const wchar_t kAliceSid[] = L"S-1-5-21-111-222-333-1001";
const wchar_t kAdminSid[] = L"S-1-5-21-111-222-333-500";

// Alice is at the console; the program runs as "admin" in the same session.
struct ConsoleTest : testing::Test {
    FakeMachine fake;

    ConsoleTest() {
        machine = &fake;
        fake.accounts = {{L"alice", kAliceSid}, {L"admin", kAdminSid}};
        fake.ownSid = kAdminSid;
    }
    ~ConsoleTest() override {
        EXPECT_TRUE(fake.liveTokens.empty()) << "a token was left open";
        EXPECT_EQ(fake.liveProcesses, 0) << "a process handle was left open";
        EXPECT_EQ(fake.sessionMemoryHeld, 0) << "session memory was not freed";
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
