// Registry keys and values named by registry paths: open, test, write a marker, remove,
// delete a whole subtree.
#pragma once

#include <windows.h>

#include "text/wide_string.h"

// Owning holder of one open key. Every operation that stores a handle closes the one held
// before; the last one stays open until the next operation, Close or destruction. Both
// null and all ones count as "no handle".
struct RegistryKey {
    HKEY handle = nullptr;

    RegistryKey() = default;
    explicit RegistryKey(HKEY adopted) : handle(adopted) {}
    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() { Close(); }

    bool IsOpen() const;
    void Close();
    void Reset(HKEY adopted);

    // Creates the key (and any missing key above it) and writes `valueName` as an empty
    // REG_SZ. An unknown root leaves the holder as it was.
    bool Write(const wchar_t* path, const wchar_t* valueName);
    // Deletes the value; false for a missing key or value.
    bool Remove(const wchar_t* path, const wchar_t* valueName);
    // Deletes the key with everything below it, deepest first; true when the key itself
    // went. Refuses, before touching anything, a path that names a root itself or that
    // ends in a backslash. Leaves the holder on the key's parent.
    bool DeleteTree(const wchar_t* path);
    // Deletes subkey `name` of the held key with everything below it, deepest first; true
    // when it went. A registry link met on the way, `name` included, is removed as the link
    // itself: nothing is ever deleted through one.
    bool DeleteSubtree(const wchar_t* name) const;
    // Whether the held key is a registry link, as opened by the *Itself operations below.
    bool IsLink() const;
};

// The key at `path`, opened with `access` plus the path's view bit; a bare root name gives
// a new handle to the root. Empty on failure.
RegistryKey OpenRegistryKey(const wchar_t* path, REGSAM access);

// The same, but a registry link as the last component of `path` opens as the link itself,
// not its target (links higher up the path are followed).
RegistryKey OpenRegistryKeyItself(const wchar_t* path, REGSAM access);
// Subkey `name` of the open key `parent`, the link itself when it is one.
RegistryKey OpenSubkeyItself(const RegistryKey& parent, const wchar_t* name, REGSAM access);

// Whether the key at `path` is itself a registry link.
bool IsRegistryLink(const wchar_t* path);

// With no value name: whether the key exists. A key that exists but cannot be opened
// (access denied, for one) counts as existing; only "not found" makes it absent. With a
// value name: whether the key opens and holds that value.
bool RegistryEntryExists(const wchar_t* path, const wchar_t* valueName);

// Length of the name buffer used while enumerating subkeys, in UTF-16 units.
constexpr DWORD kKeyNameBufferUnits = 16400;
