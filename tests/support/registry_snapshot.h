// Whole registry subtrees captured as values and security, and the differences between two
// captures: the proof that a remedy changed what it should and nothing else.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

struct RegistryValueState {
    DWORD type = 0;
    std::vector<BYTE> data;
    bool operator==(const RegistryValueState& other) const { return type == other.type && data == other.data; }
};

struct RegistryKeyState {
    std::map<std::wstring, RegistryValueState> values;
    std::wstring security;  // owner, group and DACL as SDDL
};

// Key paths relative to the captured root ("" is the root itself).
using RegistrySnapshot = std::map<std::wstring, RegistryKeyState>;

// Security is read only `withSecurity`: it makes a capture of a large tree several times
// slower.
RegistrySnapshot TakeSnapshot(HKEY root, const std::wstring& subkey, REGSAM view = 0, bool withSecurity = true);

// One line per difference, sorted: "+key P", "-key P", "+value P|N", "-value P|N",
// "~value P|N", "~security P".
std::vector<std::wstring> DiffSnapshots(const RegistrySnapshot& before, const RegistrySnapshot& after);
