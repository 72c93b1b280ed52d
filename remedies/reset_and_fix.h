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
    // 1 when at least one extension key went, plus 1 when permissionsFixed; 0 as well when the
    // key exists but its extensions could not be listed
    uint32_t count = 0;
    WideStringList keptExtensions;  // extension keys still there afterwards, in the registry's order
    bool permissionsFixed = false;
};

// Deletes one key with everything below it through `holder`; true when it went.
using TreeDeletion = bool (*)(RegistryKey& holder, const wchar_t* path);

// RegistryKey::DeleteTree.
bool DeleteRegistryTree(RegistryKey& holder, const wchar_t* path);

// Deletes every subkey of HKU\<sid>\...\Explorer\FileExts with everything below it, then
// gives that key a fixed ACL with the user as owner. A count of 0 means that nothing was
// reset. Tests pass their own deletion to play Explorer changing the keys meanwhile.
ResetOutcome ResetAndFixAssociations(const wchar_t* sid,
                                     const SecurityCalls& calls = SystemSecurityCalls(),
                                     TreeDeletion deleteTree = DeleteRegistryTree);

// A text that begins with "S-1-" is converted as a string SID; anything else is looked up
// as an account name on this machine. Empty when neither gives a SID.
LocalSid SidFromText(const wchar_t* text);

// The Windows version as major + minor / 10 (6.1 for Windows 7, 10.0, 11.0), 0 when it
// cannot tell.
double GetWindowsVersion();

// HKU\<sid>\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts.
constexpr const wchar_t* kFileExtsBelowUser = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
