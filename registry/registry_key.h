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
    // ends in a backslash.
    bool DeleteTree(const wchar_t* path);

private:
    bool DeleteTreeBelow(const WideString& path);
};

// The key at `path`, opened with `access` plus the path's view bit; a bare root name gives
// a new handle to the root. Empty on failure.
RegistryKey OpenRegistryKey(const wchar_t* path, REGSAM access);

// With no value name: whether the key exists. A key that exists but cannot be opened
// (access denied, for one) counts as existing; only "not found" makes it absent. With a
// value name: whether the key opens and holds that value.
bool RegistryEntryExists(const wchar_t* path, const wchar_t* valueName);

// Length of the name buffer used while enumerating subkeys, in UTF-16 units.
constexpr DWORD kKeyNameBufferUnits = 16400;
