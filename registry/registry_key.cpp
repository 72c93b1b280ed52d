#include "registry/registry_key.h"

#include <vector>

#include "registry/registry_path.h"

namespace {

bool IsHandle(HKEY key) {
    return key && key != reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
}

// HKEY_CLASSES_ROOT to HKEY_CURRENT_USER_LOCAL_SETTINGS. Wine answers an open of a bare
// root with the predefined handle itself; closing that would close the process's cached
// root for every later call.
bool IsPredefined(HKEY key) {
    auto value = reinterpret_cast<uintptr_t>(key);
    return value >= 0x80000000u && value <= 0x80000007u;
}

// Registry links. A key made with REG_OPTION_CREATE_LINK holds in its REG_LINK value
// "SymbolicLinkValue" the path of another key, and every open, create, tree deletion and
// SetNamedSecurityInfoW by name acts on that target. Only REG_OPTION_OPEN_LINK opens the link
// itself, and only as the last component of a path, so a walk that must stay inside one key
// opens each level relative to its parent's handle. The link is then removed with NtDeleteKey
// on that handle: RegDeleteKeyExW would resolve the name again and delete the target.
// https://learn.microsoft.com/en-us/windows/win32/api/winreg/nf-winreg-regopenkeyexw
// https://learn.microsoft.com/en-us/windows/win32/api/winreg/nf-winreg-regcreatekeyexw
// https://learn.microsoft.com/en-us/windows-hardware/drivers/ddi/wdm/nf-wdm-zwdeletekey
constexpr wchar_t kLinkValue[] = L"SymbolicLinkValue";

using NtDeleteKeyFunction = LONG(NTAPI*)(HANDLE key);

bool DeleteHeldKey(HKEY key) {
    static const auto ntDeleteKey = reinterpret_cast<NtDeleteKeyFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    return ntDeleteKey && ntDeleteKey(key) == 0;
}

// Children go before their parent, and the indices are walked downwards so that deleting
// entry i never moves one still to be visited. Each level keeps its own name buffer.
bool DeleteKeyItself(HKEY parent, const wchar_t* name, REGSAM view) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(parent, name, REG_OPTION_OPEN_LINK, KEY_READ | DELETE | view, &opened) != ERROR_SUCCESS &&
        // A key we may not read can still be empty and ours to delete.
        RegOpenKeyExW(parent, name, REG_OPTION_OPEN_LINK, DELETE | view, &opened) != ERROR_SUCCESS) {
        return false;
    }
    RegistryKey key(opened);
    DWORD subkeys = 0;
    if (!key.IsLink() && RegQueryInfoKeyW(key.handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        std::vector<wchar_t> child(kKeyNameBufferUnits, L'\0');
        for (DWORD i = subkeys; i-- > 0;) {
            DWORD capacity = kKeyNameBufferUnits;
            if (RegEnumKeyExW(key.handle, i, child.data(), &capacity, nullptr, nullptr, nullptr, nullptr) ==
                    ERROR_SUCCESS &&
                child[0] != 0) {
                DeleteKeyItself(key.handle, child.data(), view);
            }
        }
    }
    return DeleteHeldKey(key.handle);
}

}  // namespace

RegistryKey::RegistryKey(RegistryKey&& other) noexcept : handle(other.handle) {
    other.handle = nullptr;
}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        Reset(other.handle);
        other.handle = nullptr;
    }
    return *this;
}

bool RegistryKey::IsOpen() const {
    return IsHandle(handle);
}

void RegistryKey::Close() {
    if (IsHandle(handle) && !IsPredefined(handle)) {
        RegCloseKey(handle);
    }
    handle = nullptr;
}

void RegistryKey::Reset(HKEY adopted) {
    if (adopted != handle) {
        Close();
    }
    handle = adopted;
}

namespace {

RegistryKey OpenPath(const wchar_t* path, DWORD options, REGSAM access) {
    WideString subkey(path);
    HKEY root = ParseRegistryPath(subkey, access);
    if (!root) {
        return RegistryKey();
    }
    HKEY opened = nullptr;
    const wchar_t* name = subkey.IsEmpty() ? nullptr : subkey.CStr();
    if (RegOpenKeyExW(root, name, options, access, &opened) != ERROR_SUCCESS) {
        return RegistryKey();
    }
    return RegistryKey(opened);
}

}  // namespace

RegistryKey OpenRegistryKey(const wchar_t* path, REGSAM access) {
    return OpenPath(path, 0, access);
}

RegistryKey OpenRegistryKeyItself(const wchar_t* path, REGSAM access) {
    return OpenPath(path, REG_OPTION_OPEN_LINK, access);
}

RegistryKey OpenSubkeyItself(const RegistryKey& parent, const wchar_t* name, REGSAM access) {
    HKEY opened = nullptr;
    if (!parent.IsOpen() ||
        RegOpenKeyExW(parent.handle, name, REG_OPTION_OPEN_LINK, access, &opened) != ERROR_SUCCESS) {
        return RegistryKey();
    }
    return RegistryKey(opened);
}

bool RegistryEntryExists(const wchar_t* path, const wchar_t* valueName) {
    WideString subkey(path);
    REGSAM access = KEY_QUERY_VALUE;
    HKEY root = ParseRegistryPath(subkey, access);
    if (!root) {
        return false;
    }
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExW(root, subkey.CStr(), 0, access, &opened);
    if (status != ERROR_SUCCESS) {
        // A key we may not open is still there; only "not found" means it is not.
        return !valueName && status != ERROR_FILE_NOT_FOUND;
    }
    RegistryKey key(opened);
    if (!valueName) {
        return true;
    }
    DWORD type = 0;
    return RegQueryValueExW(key.handle, valueName, nullptr, &type, nullptr, nullptr) != ERROR_FILE_NOT_FOUND;
}

bool RegistryKey::Write(const wchar_t* path, const wchar_t* valueName) {
    WideString subkey(path);
    REGSAM access = KEY_SET_VALUE;
    HKEY root = ParseRegistryPath(subkey, access);
    if (!root) {
        return false;
    }
    Close();
    HKEY created = nullptr;
    LONG status =
        RegCreateKeyExW(root, subkey.CStr(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &created, nullptr);
    if (status != ERROR_SUCCESS) {
        return false;
    }
    handle = created;
    return RegSetValueExW(handle, valueName, 0, REG_SZ, nullptr, 0) == ERROR_SUCCESS;
}

bool RegistryKey::Remove(const wchar_t* path, const wchar_t* valueName) {
    Close();
    *this = OpenRegistryKey(path, KEY_SET_VALUE);
    return IsOpen() && RegDeleteValueW(handle, valueName) == ERROR_SUCCESS;
}

bool RegistryKey::DeleteTree(const wchar_t* path) {
    WideString checked(path);
    REGSAM view = 0;
    if (!ParseRegistryPath(checked, view) || checked.IsEmpty()) {
        return false;  // unknown root, or the root itself
    }
    WideString parent(path);
    if (parent.Text()[parent.Length() - 1] == L'\\') {
        // An empty key name would delete the parent itself.
        return false;
    }
    const int32_t slash = parent.Find(L"\\", true, -1, 1, 0);
    const WideString name(path + slash);
    parent.Text()[slash - 1] = 0;
    parent.MarkForRecount();
    *this = OpenRegistryKey(parent.CStr(), KEY_READ);
    // Each level is opened by name again, in the view the path names.
    return IsOpen() && DeleteKeyItself(handle, name.CStr(), view & (KEY_WOW64_64KEY | KEY_WOW64_32KEY));
}

bool RegistryKey::DeleteSubtree(const wchar_t* name) const {
    return IsOpen() && name && *name && DeleteKeyItself(handle, name, 0);
}

bool RegistryKey::IsLink() const {
    DWORD type = REG_NONE;
    return IsOpen() && RegQueryValueExW(handle, kLinkValue, nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

bool IsRegistryLink(const wchar_t* path) {
    return OpenRegistryKeyItself(path, KEY_QUERY_VALUE).IsLink();
}
