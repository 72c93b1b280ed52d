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

RegistryKey OpenRegistryKey(const wchar_t* path, REGSAM access) {
    WideString subkey(path);
    HKEY root = ParseRegistryPath(subkey, access);
    if (!root) {
        return RegistryKey();
    }
    HKEY opened = nullptr;
    const wchar_t* name = subkey.IsEmpty() ? nullptr : subkey.CStr();
    if (RegOpenKeyExW(root, name, 0, access, &opened) != ERROR_SUCCESS) {
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
    LONG status = RegCreateKeyExW(root, subkey.CStr(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                  &created, nullptr);
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
    REGSAM access = KEY_READ;
    if (!ParseRegistryPath(checked, access) || checked.IsEmpty()) {
        return false;  // unknown root, or the root itself
    }
    WideString whole(path);
    if (whole.Text()[whole.Length() - 1] == L'\\') {
        // An empty key name would delete the parent itself.
        return false;
    }
    return DeleteTreeBelow(whole);
}

// Children go before their parent, and the indices are walked downwards so that deleting
// entry i never moves one still to be visited. Each level keeps its own name buffer; the
// holder is shared, and after a child is done it holds this key again (opened as the
// child's parent).
bool RegistryKey::DeleteTreeBelow(const WideString& path) {
    std::vector<wchar_t> name(kKeyNameBufferUnits, L'\0');

    Close();
    *this = OpenRegistryKey(path.CStr(), KEY_READ);
    if (IsOpen()) {
        DWORD subkeys = 0;
        if (RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            subkeys = 0;
        }
        for (DWORD i = subkeys; i-- > 0;) {
            if (!IsOpen()) {
                continue;
            }
            name[0] = 0;
            DWORD capacity = kKeyNameBufferUnits;
            if (RegEnumKeyExW(handle, i, name.data(), &capacity, nullptr, nullptr, nullptr, nullptr) !=
                    ERROR_SUCCESS ||
                name[0] == 0) {
                continue;
            }
            DeleteTreeBelow(WideString::Append({path.CStr(), L"\\", name.data()}));
        }
    }

    WideString parent(path);
    int32_t slash = parent.Find(L"\\", true, -1, 1, 0);
    if (slash == 0) {
        Close();
        return false;
    }
    const wchar_t* keyName = path.CStr() + slash;
    parent.Text()[slash - 1] = 0;
    parent.MarkForRecount();

    // RegDeleteKeyW would resolve the name in this process's own view; the path's view bit
    // has to be passed again.
    WideString root(path);
    REGSAM view = 0;
    ParseRegistryPath(root, view);
    view &= KEY_WOW64_64KEY | KEY_WOW64_32KEY;

    Close();
    *this = OpenRegistryKey(parent.CStr(), KEY_READ);
    return IsOpen() && RegDeleteKeyExW(handle, keyName, view, 0) == ERROR_SUCCESS;
}
