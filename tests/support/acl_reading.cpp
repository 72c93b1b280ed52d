#include "support/acl_reading.h"

#include <aclapi.h>
#include <sddl.h>

std::wstring SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!sid || !ConvertSidToStringSidW(sid, &text)) {
        return L"(none)";
    }
    std::wstring result = text;
    LocalFree(text);
    return result;
}

KeySecurity ReadUsersKeySecurity(const std::wstring& subkey) {
    KeySecurity security;
    std::wstring name = L"USERS\\" + subkey;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(&name[0], SE_REGISTRY_KEY, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return security;
    }
    security.read = true;
    security.owner = SidText(owner);
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &security.control, &revision);
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry)) {
            continue;
        }
        auto* header = static_cast<ACE_HEADER*>(entry);
        AceRecord record{header->AceType, header->AceFlags, 0, L""};
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
            auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
            record.mask = allowed->Mask;
            record.sid = SidText(&allowed->SidStart);
        }
        security.entries.push_back(record);
    }
    LocalFree(descriptor);
    return security;
}

bool ProtectUsersKeyDacl(const std::wstring& subkey) {
    // SetNamedSecurityInfoW with PROTECTED_DACL_SECURITY_INFORMATION leaves the bit clear
    // under Wine; a whole descriptor written to the key keeps it.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;GA;;;WD)", SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        return false;
    }
    HKEY key = nullptr;
    bool done = RegOpenKeyExW(HKEY_USERS, subkey.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS &&
                RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    if (key) {
        RegCloseKey(key);
    }
    LocalFree(descriptor);
    return done;
}

bool SetUsersKeyOwner(const std::wstring& subkey, const wchar_t* ownerSid) {
    PSID owner = nullptr;
    if (!ConvertStringSidToSidW(ownerSid, &owner)) {
        return false;
    }
    std::wstring name = L"USERS\\" + subkey;
    bool done = SetNamedSecurityInfoW(&name[0], SE_REGISTRY_KEY, OWNER_SECURITY_INFORMATION, owner, nullptr, nullptr,
                                      nullptr) == ERROR_SUCCESS;
    LocalFree(owner);
    return done;
}
