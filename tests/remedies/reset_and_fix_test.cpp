#include "remedies/reset_and_fix.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/acl_reading.h"
#include "support/realistic_registry.h"
#include "support/scratch_key.h"

namespace {

std::wstring TestsFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// Runs the probe under `copyName`, with Wine told to report `version` ("win7", "win10", ...)
// to that program alone (null: what the prefix reports); returns its exit code.
DWORD RunProbe(const std::wstring& copyName, const wchar_t* version, const std::wstring& arguments) {
    const std::wstring copy = TestsFolder() + copyName;
    if (!CopyFileW((TestsFolder() + L"remedies_probe.exe").c_str(), copy.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy the probe";
        return 0xFFFF;
    }
    const std::wstring defaults = L"Software\\Wine\\AppDefaults\\" + copyName;
    if (version) {
        RawSetValue(HKEY_CURRENT_USER, defaults, L"Version", REG_SZ, version,
                    static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
    }
    std::wstring commandLine = L"\"" + copy + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    DWORD exitCode = 0xFFFF;
    if (CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    } else {
        ADD_FAILURE() << "cannot start the probe";
    }
    RawDeleteTree(HKEY_CURRENT_USER, defaults);
    DeleteFileW(copy.c_str());
    return exitCode;
}

const wchar_t kNtCurrentVersion[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";

// One value of a key, saved so that it can be put back exactly, or removed again when it
// was not there.
struct SavedValue {
    REGSAM view;
    const wchar_t* name;
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;

    SavedValue(REGSAM v, const wchar_t* n) : view(v), name(n) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNtCurrentVersion, 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
            return;
        }
        DWORD bytes = 0;
        if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS) {
            data.resize(bytes);
            present = RegQueryValueExW(key, name, nullptr, &type, data.data(), &bytes) == ERROR_SUCCESS;
        }
        RegCloseKey(key);
    }
    void Restore() const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNtCurrentVersion, 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) {
            return;
        }
        if (present) {
            RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
        } else {
            RegDeleteValueW(key, name);
        }
        RegCloseKey(key);
    }
};

void WriteText(const wchar_t* name, const std::wstring& text, REGSAM view) {
    RawSetValue(HKEY_LOCAL_MACHINE, kNtCurrentVersion, name, REG_SZ, text.c_str(),
                static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), view);
}

void WriteNumber(const wchar_t* name, DWORD number, REGSAM view) {
    RawSetValue(HKEY_LOCAL_MACHINE, kNtCurrentVersion, name, REG_DWORD, &number, sizeof number, view);
}

TEST(GetWindowsVersion, FollowsTheVersionThatWindowsReports) {
    struct Case {
        const wchar_t* name;
        const wchar_t* version;
        DWORD tenTimes;
    } const cases[] = {
        {L"probe-win7.exe", L"win7", 61},
        {L"probe-win8.exe", L"win8", 62},
        {L"probe-win81.exe", L"win81", 63},
        {L"probe-win10.exe", L"win10", 100},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunProbe(c.name, c.version, L"version"), c.tenTimes) << testing::PrintToString(std::wstring(c.name));
    }
    EXPECT_NEAR(GetWindowsVersion(), 6.1, 1e-9);  // a fresh prefix reports Windows 7
}

TEST(GetWindowsVersion, TellsWindows11ByItsBuildNumber) {
    // Windows 11 is Windows 10 with a build number of 22000 or more. Wine takes the build
    // from the registry only when the version is set for the whole prefix, as here.
    std::vector<SavedValue> saved;
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        for (const wchar_t* name : {L"CurrentVersion", L"CurrentBuild", L"CurrentBuildNumber", L"CSDVersion",
                                    L"CurrentMajorVersionNumber", L"CurrentMinorVersionNumber"}) {
            saved.emplace_back(view, name);
        }
        WriteText(L"CurrentVersion", L"10.0", view);
        WriteText(L"CSDVersion", L"", view);
        WriteText(L"CurrentBuild", L"22631", view);
        WriteText(L"CurrentBuildNumber", L"22631", view);
        WriteNumber(L"CurrentMajorVersionNumber", 10, view);
        WriteNumber(L"CurrentMinorVersionNumber", 0, view);
    }
    const DWORD tenTimes = RunProbe(L"probe-win11.exe", nullptr, L"version");
    for (const SavedValue& value : saved) {
        value.Restore();
    }
    EXPECT_EQ(tenTimes, 110u);
    EXPECT_EQ(RunProbe(L"probe-win7-again.exe", nullptr, L"version"), 61u);  // put back as it was
}

// Method 1 on the test user's own association key.
struct ResetTest : testing::Test {
    std::wstring sid = CurrentUserSid();
    std::wstring fileExts = sid + L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
    std::vector<std::wstring> locked;

    ResetTest() { RawDeleteTree(HKEY_USERS, fileExts); }
    ~ResetTest() override {
        Unlock();
        RawDeleteTree(HKEY_USERS, fileExts);
    }
    void Unlock() {
        for (const std::wstring& key : locked) {
            AllowEverything(key);
        }
        locked.clear();
    }
    void Lock(const std::wstring& key, DWORD denied) {
        DenyToCurrentUser(key, denied);
        locked.push_back(key);
    }
    void SeedExtension(const std::wstring& extension) {
        const std::wstring key = fileExts + L"\\" + extension;
        RawSetValue(HKEY_USERS, key + L"\\OpenWithList", L"a", REG_SZ, L"notepad.exe", 24);
        RawSetValue(HKEY_USERS, key + L"\\OpenWithProgids", L"txtfile", REG_NONE, nullptr, 0);
        RawSetValue(HKEY_USERS, key + L"\\UserChoice", L"ProgId", REG_SZ, L"txtfile", 16);
    }
    DWORD Subkeys() const { return static_cast<DWORD>(EnumerateNames(fileExts).size()); }
    static std::vector<std::wstring> EnumerateNames(const std::wstring& subkey) {
        return EnumerateSubkeys(HKEY_USERS, subkey, 0);
    }
};

struct ExpectedEntry {
    const wchar_t* sid;  // null: the test user
    ACCESS_MASK mask;
};

void ExpectFixedAcl(const std::wstring& subkey, const std::wstring& user, std::vector<ExpectedEntry> expected) {
    KeySecurity security = ReadUsersKeySecurity(subkey);
    ASSERT_TRUE(security.read);
    EXPECT_EQ(security.owner, user);
    ASSERT_EQ(security.entries.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const AceRecord& entry = security.entries[i];
        EXPECT_EQ(entry.type, ACCESS_ALLOWED_ACE_TYPE) << "entry " << i;
        EXPECT_EQ(entry.flags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) << "entry " << i;
        EXPECT_EQ(entry.mask, expected[i].mask) << "entry " << i;
        EXPECT_EQ(entry.sid, expected[i].sid ? std::wstring(expected[i].sid) : user) << "entry " << i;
    }
}

const std::vector<ExpectedEntry> kWindows7Acl = {
    {L"S-1-5-32-544", GENERIC_ALL}, {L"S-1-5-18", GENERIC_ALL},  {nullptr, GENERIC_ALL},
    {L"S-1-5-32-545", GENERIC_READ}, {L"S-1-1-0", GENERIC_READ},
};

TEST_F(ResetTest, DeletesEveryExtensionAndAppliesTheFixedAcl) {
    for (const wchar_t* extension : {L".txt", L".htm", L".pdf", L".name with spaces"}) {
        SeedExtension(extension);
    }
    // Windows itself denies the user KEY_SET_VALUE on UserChoice; that does not stop a delete.
    Lock(fileExts + L"\\.txt\\UserChoice", KEY_SET_VALUE);
    EXPECT_EQ(ResetAndFixAssociations(sid.c_str()).count, 2u);
    EXPECT_TRUE(RawKeyExists(HKEY_USERS, fileExts));
    EXPECT_EQ(Subkeys(), 0u);
    locked.clear();
    ExpectFixedAcl(fileExts, sid, kWindows7Acl);  // a fresh prefix reports Windows 7
}

TEST_F(ResetTest, AnEmptyKeyOnlyGetsItsPermissionsAndInheritsAgain) {
    RawCreateKey(HKEY_USERS, fileExts);
    ASSERT_TRUE(ProtectUsersKeyDacl(fileExts));
    ASSERT_EQ(ReadUsersKeySecurity(fileExts).control & SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    EXPECT_EQ(ResetAndFixAssociations(sid.c_str()).count, 1u);
    ExpectFixedAcl(fileExts, sid, kWindows7Acl);
    // The parent's inheritable entries reach the key again.
    EXPECT_EQ(ReadUsersKeySecurity(fileExts).control & SE_DACL_PROTECTED, 0);
}

TEST_F(ResetTest, NothingToResetAndNothingToFixIsAFailure) {
    EXPECT_EQ(ResetAndFixAssociations(L"S-1-5-21-9-9-9-9").count, 0u);
    EXPECT_EQ(ResetAndFixAssociations(L"").count, 0u);
    EXPECT_FALSE(RawKeyExists(HKEY_USERS, L"S-1-5-21-9-9-9-9"));  // nothing was created either
}

std::vector<std::wstring> Names(const WideStringList& list) {
    std::vector<std::wstring> names;
    for (uint32_t i = 0; i < list.count; ++i) {
        names.emplace_back(list.items[i].CStr());
    }
    return names;
}

TEST_F(ResetTest, AnExtensionThatCannotBeDeletedStaysAndTheOthersGo) {
    SeedExtension(L".txt");
    SeedExtension(L".locked");
    RawCreateKey(HKEY_USERS, fileExts + L"\\.locked\\OpenWithList\\Deeper");
    Lock(fileExts + L"\\.locked\\OpenWithList", KEY_READ);  // its children cannot be listed
    SeedExtension(L".zip");
    const ResetOutcome outcome = ResetAndFixAssociations(sid.c_str());
    EXPECT_EQ(outcome.count, 2u);
    EXPECT_EQ(Names(outcome.keptExtensions), std::vector<std::wstring>{L".locked"});
    EXPECT_EQ(EnumerateNames(fileExts), std::vector<std::wstring>{L".locked"});
    EXPECT_TRUE(RawKeyExists(HKEY_USERS, fileExts + L"\\.locked\\OpenWithList"));
}

TEST_F(ResetTest, AKeyWhoseExtensionsCannotBeListedIsAFailure) {
    SeedExtension(L".txt");
    Lock(fileExts, KEY_READ);
    EXPECT_EQ(ResetAndFixAssociations(sid.c_str()).count, 0u);
    EXPECT_TRUE(RawKeyExists(HKEY_USERS, fileExts + L"\\.txt"));
}

// Explorer's part while Method 1 runs, played at each deletion.
std::wstring explorersFileExts;
int deletions = 0;

bool RemovesAKeyMeanwhile(const RegistryKey& parent, const wchar_t* name) {
    RawDeleteTree(HKEY_USERS, explorersFileExts + L"\\.htm");
    return parent.DeleteSubtree(name);
}

bool AddsAKeyMeanwhile(const RegistryKey& parent, const wchar_t* name) {
    if (deletions++ == 0) {
        RawCreateKey(HKEY_USERS, explorersFileExts + L"\\.added");
    }
    return parent.DeleteSubtree(name);
}

TEST_F(ResetTest, WhileExplorerChangesTheKeysTheReportNamesWhatIsLeft) {
    struct Race {
        const char* what;
        SubtreeDeletion deletion;
        std::vector<std::wstring> kept;
    } const races[] = {
        {"a key removed meanwhile counts as deleted", RemovesAKeyMeanwhile, {}},
        {"a key added meanwhile is named, and none of the others stays", AddsAKeyMeanwhile, {L".added"}},
    };
    explorersFileExts = fileExts;
    for (const Race& race : races) {
        deletions = 0;
        for (const wchar_t* extension : {L".htm", L".pdf", L".txt"}) {
            SeedExtension(extension);
        }
        const ResetOutcome outcome = ResetAndFixAssociations(sid.c_str(), SystemSecurityCalls(), race.deletion);
        EXPECT_EQ(outcome.count, 2u) << race.what;
        EXPECT_EQ(Names(outcome.keptExtensions), race.kept) << race.what;
        EXPECT_EQ(EnumerateNames(fileExts), race.kept) << race.what;
        RawDeleteTree(HKEY_USERS, fileExts);
    }
}

// Windows applies the new inheritable entries to the keys below when the DACL is set
// (SetNamedSecurityInfoW, Remarks:
// https://learn.microsoft.com/en-us/windows/win32/api/aclapi/nf-aclapi-setnamedsecurityinfow);
// Wine never does, so this plays it: the keys locked before are open again.
ResetTest* propagatedTo = nullptr;

DWORD WINAPI SetAndPropagate(LPWSTR name,
                             SE_OBJECT_TYPE type,
                             SECURITY_INFORMATION what,
                             PSID owner,
                             PSID group,
                             PACL dacl,
                             PACL sacl) {
    const DWORD status = SystemSecurityCalls().setNamedSecurityInfo(name, type, what, owner, group, dacl, sacl);
    propagatedTo->Unlock();
    return status;
}

TEST_F(ResetTest, KeysThatRefuseDeletionAreTriedAgainOnceThePermissionsAreFixed) {
    SecurityCalls propagating = SystemSecurityCalls();
    propagating.setNamedSecurityInfo = SetAndPropagate;
    propagatedTo = this;
    struct Row {
        const SecurityCalls* calls;
        uint32_t count;
        std::vector<std::wstring> kept;
    } const rows[] = {
        {&SystemSecurityCalls(), 0, {L".a", L".b"}},  // none deleted: a failure, whatever was fixed
        {&propagating, 2, {}},
    };
    for (const Row& row : rows) {
        for (const wchar_t* extension : {L".a", L".b"}) {
            SeedExtension(extension);
            Lock(fileExts + L"\\" + extension, KEY_ENUMERATE_SUB_KEYS);  // its subkeys cannot be listed
        }
        const ResetOutcome outcome = ResetAndFixAssociations(sid.c_str(), *row.calls);
        EXPECT_EQ(outcome.count, row.count);
        EXPECT_TRUE(outcome.permissionsFixed);
        EXPECT_EQ(Names(outcome.keptExtensions), row.kept);
        EXPECT_EQ(EnumerateNames(fileExts), row.kept);
        Unlock();
    }
}

TEST_F(ResetTest, NothingIsDeletedOrSecuredThroughARegistryLink) {
    const std::wstring target = sid + L"\\Software\\VelloranLinkTarget";
    RawSetValue(HKEY_USERS, target + L"\\.txt\\OpenWithList", L"a", REG_SZ, L"x", 4);
    const KeySecurity before = ReadUsersKeySecurity(target);
    // Links among the extension keys and inside one go as links; the target keeps everything.
    SeedExtension(L".htm");
    RawCreateLink(fileExts + L"\\.lnk", target);
    RawCreateLink(fileExts + L"\\.htm\\UserChoice\\Inner", target);
    EXPECT_EQ(ResetAndFixAssociations(sid.c_str()).count, 2u);
    EXPECT_EQ(Subkeys(), 0u);
    EXPECT_TRUE(RawValueExists(HKEY_USERS, target + L"\\.txt\\OpenWithList", L"a"));

    // FileExts itself a link: its target is neither reset nor given new permissions.
    RawDeleteTree(HKEY_USERS, fileExts);
    RawCreateLink(fileExts, target);
    const ResetOutcome outcome = ResetAndFixAssociations(sid.c_str());
    RawDeleteLink(fileExts);
    EXPECT_EQ(outcome.count, 0u);
    EXPECT_FALSE(outcome.permissionsFixed);
    EXPECT_TRUE(RawValueExists(HKEY_USERS, target + L"\\.txt\\OpenWithList", L"a"));
    const KeySecurity after = ReadUsersKeySecurity(target);
    EXPECT_EQ(after.owner, before.owner);
    EXPECT_EQ(after.entries.size(), before.entries.size());
    RawDeleteTree(HKEY_USERS, target);
}

TEST_F(ResetTest, RefusedPermissionsLeaveHalfTheResult) {
    SeedExtension(L".txt");
    GiveAwayAndDeny(fileExts, L"S-1-5-18", WRITE_DAC | WRITE_OWNER);
    EXPECT_EQ(ResetAndFixAssociations(sid.c_str()).count, 1u);
    EXPECT_EQ(Subkeys(), 0u);
    EXPECT_EQ(ReadUsersKeySecurity(fileExts).owner, L"S-1-5-18");
}

TEST_F(ResetTest, OnWindows8AndLaterAppPackagesMayRead) {
    std::vector<ExpectedEntry> expected = kWindows7Acl;
    expected.push_back({L"S-1-15-2-1", GENERIC_READ});
    expected.push_back({L"S-1-15-2-2", GENERIC_READ});
    for (const std::wstring version : {L"win8", L"win10"}) {
        SCOPED_TRACE(testing::PrintToString(version));
        SeedExtension(L".txt");
        EXPECT_EQ(RunProbe(L"probe-reset-" + version + L".exe", version.c_str(), L"reset " + sid), 2u);
        ExpectFixedAcl(fileExts, sid, expected);
        EXPECT_EQ(Subkeys(), 0u);
    }
}

TEST(SidFromText, TakesStringSidsAndAccountNames) {
    wchar_t name[257] = {};
    DWORD units = 257;
    ASSERT_TRUE(GetUserNameW(name, &units));
    struct Case {
        const wchar_t* text;
        std::wstring expected;  // empty: no SID
    } const cases[] = {
        {L"S-1-5-32-545", L"S-1-5-32-545"},
        {L"S-1-15-2-1", L"S-1-15-2-1"},
        {name, CurrentUserSid()},
        {L"S-1-bogus", L""},
        {L"s-1-5-18", L""},  // not a string SID by its prefix, and no such account
        {L"", L""},
        {nullptr, L""},
        {L"no-such-account-here", L""},
    };
    for (const Case& c : cases) {
        LocalSid sid = SidFromText(c.text);
        const bool valid = sid.sid && IsValidSid(sid.sid);
        EXPECT_EQ(valid ? SidText(sid.sid) : L"", c.expected)
            << testing::PrintToString(std::wstring(c.text ? c.text : L"(null)"));
    }
}

}  // namespace
