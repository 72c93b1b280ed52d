#include "support/scratch_key.h"

#include <gtest/gtest.h>
#include <aclapi.h>
#include <sddl.h>

#include <vector>

ScratchKey::ScratchKey() {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "outside-a-test";
    std::wstring wide(name.begin(), name.end());
    for (wchar_t& c : wide) {
        if (c == L'/') {
            c = L'_';
        }
    }
    subkey = CurrentUserSid() + L"\\Software\\VelloranTests\\" + wide;
    path = L"HKU\\" + subkey;
    RawDeleteTree(HKEY_USERS, subkey);
    RawCreateKey(HKEY_USERS, subkey);
}

ScratchKey::~ScratchKey() {
    RawDeleteTree(HKEY_USERS, subkey);
}

void RawCreateLink(const std::wstring& link, const std::wstring& target) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_USERS, link.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | KEY_CREATE_LINK,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
        const std::wstring native = L"\\Registry\\User\\" + target;  // no terminating zero
        RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(native.c_str()),
                       static_cast<DWORD>(native.size() * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

void RawDeleteLink(const std::wstring& link) {
    using NtDeleteKeyFunction = LONG(NTAPI*)(HANDLE);
    const auto ntDeleteKey = reinterpret_cast<NtDeleteKeyFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_USERS, link.c_str(), REG_OPTION_OPEN_LINK, DELETE | KEY_QUERY_VALUE, &key) ==
        ERROR_SUCCESS) {
        ntDeleteKey(key);
        RegCloseKey(key);
    }
}

bool RawKeyExists(HKEY root, const std::wstring& subkey, REGSAM view) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE | view, &key);
    if (status == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    return status != ERROR_FILE_NOT_FOUND;
}

void RawCreateKey(HKEY root, const std::wstring& subkey, REGSAM view) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void RawSetValue(HKEY root, const std::wstring& subkey, const wchar_t* name, DWORD type, const void* data,
                 DWORD bytes, REGSAM view) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    RegCloseKey(key);
}

bool RawValueExists(HKEY root, const std::wstring& subkey, const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    bool exists = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return exists;
}

void RawDeleteTree(HKEY root, const std::wstring& subkey, REGSAM view) {
    HKEY key = nullptr;
    // No more rights than a delete needs, so that keys which deny changes to their
    // permissions can still be cleared away.
    const REGSAM access = DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, access | view, &key) == ERROR_SUCCESS) {
        RegDeleteTreeW(key, nullptr);
        RegCloseKey(key);
        RegDeleteKeyExW(root, subkey.c_str(), view, 0);
    }
}

namespace {

// Sets owner (when given) and a DACL of: deny `denied` to the current user (when non-zero),
// then allow everything to everyone, on USERS\<subkey>, in one call.
void SetUsersKeySecurity(const std::wstring& subkey, const wchar_t* ownerSid, DWORD denied) {
    PSID owner = nullptr;
    if (ownerSid) {
        ASSERT_TRUE(ConvertStringSidToSidW(ownerSid, &owner));
    }
    PSID user = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidW(CurrentUserSid().c_str(), &user));
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    DWORD everyoneSize = sizeof everyone;
    ASSERT_TRUE(CreateWellKnownSid(WinWorldSid, nullptr, everyone, &everyoneSize));
    alignas(DWORD) BYTE buffer[1024];
    PACL acl = reinterpret_cast<PACL>(buffer);
    ASSERT_TRUE(InitializeAcl(acl, sizeof buffer, ACL_REVISION));
    if (denied) {
        ASSERT_TRUE(AddAccessDeniedAce(acl, ACL_REVISION, denied, user));
    }
    ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone));
    std::wstring name = L"USERS\\" + subkey;
    const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION | (owner ? OWNER_SECURITY_INFORMATION : 0);
    EXPECT_EQ(SetNamedSecurityInfoW(&name[0], SE_REGISTRY_KEY, what, owner, nullptr, acl, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));
    LocalFree(user);
    LocalFree(owner);
}

}  // namespace

void GiveAwayAndDeny(const std::wstring& subkey, const wchar_t* ownerSid, DWORD denied) {
    SetUsersKeySecurity(subkey, ownerSid, denied);
}

void DenyToCurrentUser(const std::wstring& subkey, DWORD denied) {
    SetUsersKeySecurity(subkey, nullptr, denied);
}

void AllowEverything(const std::wstring& subkey) {
    SetUsersKeySecurity(subkey, nullptr, 0);
}
