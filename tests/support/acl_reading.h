// Reading back the owner and DACL of a registry key the way Windows reports them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct AceRecord {
    BYTE type;
    BYTE flags;
    ACCESS_MASK mask;
    std::wstring sid;
};

struct KeySecurity {
    bool read = false;
    std::wstring owner;
    std::vector<AceRecord> entries;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
};

// Reads USERS\<subkey> with GetNamedSecurityInfoW.
KeySecurity ReadUsersKeySecurity(const std::wstring& subkey);

// Gives USERS\<subkey> a DACL that no parent's entries reach: everyone may do everything.
bool ProtectUsersKeyDacl(const std::wstring& subkey);

// Sets the owner of USERS\<subkey>.
bool SetUsersKeyOwner(const std::wstring& subkey, const wchar_t* ownerSid);

std::wstring SidText(PSID sid);
