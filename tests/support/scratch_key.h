// Registry keys of the Wine user for one test: made fresh, deleted afterwards.
#pragma once

#include <windows.h>

#include <string>

#include "support/user_sid.h"

// "HKU\<sid>\Software\VelloranTests\<suite>.<test>", removed before and after the test.
struct ScratchKey {
    std::wstring path;      // as a registry path of the program
    std::wstring subkey;    // the same below HKEY_USERS

    ScratchKey();
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    std::wstring Path(const std::wstring& below) const { return path + L"\\" + below; }
};

// Raw helpers on HKEY_USERS subkeys, independent of the code under test.
bool RawKeyExists(HKEY root, const std::wstring& subkey, REGSAM view = 0);
void RawCreateKey(HKEY root, const std::wstring& subkey, REGSAM view = 0);
void RawSetValue(HKEY root, const std::wstring& subkey, const wchar_t* name, DWORD type, const void* data,
                 DWORD bytes, REGSAM view = 0);
bool RawValueExists(HKEY root, const std::wstring& subkey, const wchar_t* name);
void RawDeleteTree(HKEY root, const std::wstring& subkey, REGSAM view = 0);
// HKU\<link> made a registry link to HKU\<target>. Remove it with RawDeleteLink: a tree
// deletion of a link empties its target.
void RawCreateLink(const std::wstring& link, const std::wstring& target);
void RawDeleteLink(const std::wstring& link);

// Replaces the DACL of HKU\<subkey> by: deny `denied` to the current user, allow the
// rest to everyone. Wine enforces deny entries for read and write rights on open.
void DenyToCurrentUser(const std::wstring& subkey, DWORD denied);
// Makes `ownerSid` the owner of HKU\<subkey> and denies `denied` to the current user, in
// one call, so that the change of owner cannot be refused by the new DACL.
void GiveAwayAndDeny(const std::wstring& subkey, const wchar_t* ownerSid, DWORD denied);
// Gives HKU\<subkey> a DACL that allows everything to everyone again.
void AllowEverything(const std::wstring& subkey);
