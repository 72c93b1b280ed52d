// Method 1: reset the user's per-extension associations and fix the key's permissions.
#pragma once

#include <windows.h>

#include <cstdint>

#include "registry/registry_key.h"
#include "remedies/security_calls.h"
#include "text/wide_string_list.h"

// Owns a SID allocated by the security functions or LocalAlloc; released with LocalFree.
struct LocalSid {
    PSID sid = nullptr;  // owned

    LocalSid() = default;
    explicit LocalSid(PSID adopted) : sid(adopted) {}
    LocalSid(LocalSid&& other) noexcept : sid(other.sid) { other.sid = nullptr; }
    LocalSid& operator=(LocalSid&& other) noexcept;
    LocalSid(const LocalSid&) = delete;
    LocalSid& operator=(const LocalSid&) = delete;
    ~LocalSid();
};

struct ResetOutcome {
    // 1 when at least one extension key went, plus 1 when permissionsFixed. 0 means nothing
    // was reset: the extensions could not be listed, none of them could be deleted, the key
    // is a registry link, or there was nothing to delete and the permissions stayed.
    uint32_t count = 0;
    WideStringList keptExtensions;  // extension keys still there afterwards, in the registry's order
    bool permissionsFixed = false;
};

// Deletes subkey `name` of `parent` with everything below it; true when it went.
using SubtreeDeletion = bool (*)(const RegistryKey& parent, const wchar_t* name);

// RegistryKey::DeleteSubtree.
bool DeleteRegistrySubtree(const RegistryKey& parent, const wchar_t* name);

// Deletes every subkey of HKU\<sid>\...\Explorer\FileExts with everything below it, then
// gives that key a fixed ACL with the user as owner and tries the keys that stayed once more.
// Never acts through a registry link: a link below the key is removed as the link itself,
// and a key that is itself a link is left alone. Tests pass their own deletion to play
// Explorer changing the keys meanwhile.
ResetOutcome ResetAndFixAssociations(const wchar_t* sid,
                                     const SecurityCalls& calls = SystemSecurityCalls(),
                                     SubtreeDeletion deleteSubtree = DeleteRegistrySubtree);

// A text that begins with "S-1-" is converted as a string SID; anything else is looked up
// as an account name on this machine. Empty when neither gives a SID.
LocalSid SidFromText(const wchar_t* text);

// The Windows version as major + minor / 10 (6.1 for Windows 7, 10.0, 11.0), 0 when it
// cannot tell.
double GetWindowsVersion();

// HKU\<sid>\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts.
constexpr const wchar_t* kFileExtsBelowUser = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
