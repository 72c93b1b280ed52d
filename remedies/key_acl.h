// Access-control lists of allow entries, built up and applied to a registry key.
#pragma once

#include <windows.h>

#include "remedies/security_calls.h"

// Owns one ACL buffer of kAclBytes from LocalAlloc, initialised empty. Entries that would
// not fit are not added.
struct KeyAcl {
    PACL acl = nullptr;  // owned, LocalFree

    KeyAcl();
    KeyAcl(const KeyAcl&) = delete;
    KeyAcl& operator=(const KeyAcl&) = delete;
    ~KeyAcl();

    // Adds an allow entry for `sid` with `mask`, inherited by subkeys (object and container
    // inheritance), right after the last explicit entry. False for an invalid or missing
    // SID, which adds nothing.
    bool AddAllowedAce(PSID sid, ACCESS_MASK mask);

    // Replaces the explicit entries of the key at `path` by this ACL, keeping inheritance
    // from its parent, and sets `owner` when given. When that is refused and an owner is
    // given, takes ownership first and tries once more. An owner other than the caller's
    // own user is only accepted with SeRestorePrivilege, which is enabled for these calls
    // when the token holds it.
    bool ApplyToKey(const wchar_t* path, PSID owner, const SecurityCalls& calls = SystemSecurityCalls());
};

constexpr DWORD kAclBytes = 2048;

// Whether entry `index` is an allow or deny entry of the key itself: not inherited, not
// inherit-only and not limited to the next level.
bool IsExplicitAce(PACL acl, DWORD index);
