#include "app/shell_open.h"

#include <gtest/gtest.h>
#include <sddl.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kTargetSid[] = L"S-1-5-21-1-2-3-1001";
constexpr wchar_t kAddress[] = L"ms-settings:defaultapps";

// What the fake calls report, and what they were asked.
struct FakeMachine {
    bool tokenOpens = true;
    BOOL elevated = FALSE;
    const wchar_t* user = kTargetSid;
    bool desktopShellAnswers = true;
    int openTokens = 0;
    std::vector<std::wstring> desktopOpened;
    std::vector<SHELLEXECUTEINFOW> executed;
} machine;

BOOL WINAPI FakeOpenProcessToken(HANDLE, DWORD, HANDLE* token) {
    if (!machine.tokenOpens) {
        return FALSE;
    }
    *token = reinterpret_cast<HANDLE>(0x7070);
    ++machine.openTokens;
    return TRUE;
}

BOOL WINAPI FakeGetTokenInformation(HANDLE, TOKEN_INFORMATION_CLASS what, LPVOID buffer, DWORD bytes, DWORD* written) {
    if (what == TokenElevation) {
        static_cast<TOKEN_ELEVATION*>(buffer)->TokenIsElevated = machine.elevated;
        *written = sizeof(TOKEN_ELEVATION);
        return TRUE;
    }
    PSID sid = nullptr;
    if (what != TokenUser || !ConvertStringSidToSidW(machine.user, &sid)) {
        return FALSE;
    }
    auto* user = static_cast<TOKEN_USER*>(buffer);
    const DWORD length = GetLengthSid(sid);
    const bool fits = bytes >= sizeof(TOKEN_USER) + length;
    if (fits) {
        user->User.Sid = user + 1;
        CopySid(length, user + 1, sid);
        *written = sizeof(TOKEN_USER) + length;
    }
    LocalFree(sid);
    return fits;
}

BOOL WINAPI FakeCloseHandle(HANDLE) {
    --machine.openTokens;
    return TRUE;
}

bool FakeDesktopShellExecute(const wchar_t* target) {
    machine.desktopOpened.push_back(target);
    return machine.desktopShellAnswers;
}

BOOL WINAPI FakeShellExecuteEx(SHELLEXECUTEINFOW* info) {
    machine.executed.push_back(*info);
    return TRUE;
}

const ShellOpenCalls kFakeCalls = {
    {GetCurrentProcess, FakeOpenProcessToken, FakeGetTokenInformation, nullptr, nullptr, nullptr, FakeCloseHandle},
    FakeDesktopShellExecute,
    FakeShellExecuteEx,
};

struct RoadCase {
    const char* name;
    bool tokenOpens;
    BOOL elevated;
    const wchar_t* user;
    const wchar_t* target;
    bool desktopShellAnswers;
    bool desktopTried;
    bool executedHere;
};

const RoadCase kRoads[] = {
    {"unelevated as the target user", true, FALSE, kTargetSid, kTargetSid, true, false, true},
    {"elevated as the target user", true, TRUE, kTargetSid, kTargetSid, true, true, false},
    {"as another account", true, FALSE, L"S-1-5-21-1-2-3-500", kTargetSid, true, true, false},
    {"elevated, without the desktop's shell", true, TRUE, kTargetSid, kTargetSid, false, true, true},
    {"with a token that cannot be read", false, FALSE, kTargetSid, kTargetSid, true, true, false},
    {"for a target that names no account", true, FALSE, kTargetSid, L"no-such-account-here", true, true, false},
};

TEST(OpenWithShell, TakesTheDesktopsShellUnlessRunningUnelevatedAsTheTargetUser) {
    for (const RoadCase& c : kRoads) {
        SCOPED_TRACE(c.name);
        machine = FakeMachine{};
        machine.tokenOpens = c.tokenOpens;
        machine.elevated = c.elevated;
        machine.user = c.user;
        machine.desktopShellAnswers = c.desktopShellAnswers;
        EXPECT_EQ(OpensAsDesktopUser(c.target, kFakeCalls), c.desktopTried);
        EXPECT_EQ(machine.openTokens, 0);

        EXPECT_EQ(OpenWithShell(kAddress, c.target, kFakeCalls), 1u);
        EXPECT_EQ(machine.desktopOpened,
                  c.desktopTried ? std::vector<std::wstring>{kAddress} : std::vector<std::wstring>{});
        ASSERT_EQ(machine.executed.size(), c.executedHere ? 1u : 0u);
        if (c.executedHere) {
            const SHELLEXECUTEINFOW& info = machine.executed[0];
            EXPECT_EQ(info.cbSize, sizeof info);
            EXPECT_EQ(info.fMask, static_cast<ULONG>(SEE_MASK_NOCLOSEPROCESS));
            EXPECT_EQ(info.hwnd, nullptr);
            EXPECT_EQ(info.lpVerb, nullptr);
            EXPECT_STREQ(info.lpFile, kAddress);
            EXPECT_EQ(info.lpParameters, nullptr);
            EXPECT_EQ(info.lpDirectory, nullptr);
            EXPECT_EQ(info.nShow, SW_SHOW);
        }
    }
}

}  // namespace
