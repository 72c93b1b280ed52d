#include "remedies/reset_and_fix.h"

#include <sddl.h>

#include <vector>

#include "registry/registry_key.h"
#include "remedies/key_acl.h"
#include "text/wide_string.h"

namespace {

using GetVersionExFunction = BOOL(WINAPI*)(OSVERSIONINFOEXW*);

// A well-known SID in a buffer of its own.
LocalSid WellKnownSid(WELL_KNOWN_SID_TYPE type) {
    DWORD bytes = SECURITY_MAX_SID_SIZE;
    LocalSid result(LocalAlloc(LMEM_ZEROINIT, bytes));
    if (result.sid && !CreateWellKnownSid(type, nullptr, result.sid, &bytes)) {
        result = LocalSid();
    }
    return result;
}

enum class Listing { Missing, Listed, Unreadable };

// The names of the subkeys of `key`, in the registry's order.
Listing ListSubkeys(const RegistryKey& key, WideStringList& names) {
    std::vector<wchar_t> name(kKeyNameBufferUnits, L'\0');
    for (DWORD i = 0;; ++i) {
        DWORD capacity = kKeyNameBufferUnits;
        const LONG status = RegEnumKeyExW(key.handle, i, name.data(), &capacity, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            return Listing::Listed;
        }
        if (status != ERROR_SUCCESS) {
            return Listing::Unreadable;
        }
        names.Append(name.data());
    }
}

bool Contains(const WideStringList& list, const WideString& name) {
    for (uint32_t i = 0; i < list.count; ++i) {
        if (_wcsicmp(list.items[i].CStr(), name.CStr()) == 0) {
            return true;
        }
    }
    return false;
}

// Deletes the subkeys of `fileExts` named in `names` (by the names they had when listed, so
// that keys Explorer adds or removes meanwhile move no other key out of reach) and lists what
// is still there afterwards into `kept`.
void DeleteExtensionKeys(const RegistryKey& fileExts,
                         const WideStringList& names,
                         WideStringList& kept,
                         SubtreeDeletion deleteSubtree) {
    for (uint32_t i = 0; i < names.count; ++i) {
        deleteSubtree(fileExts, names.items[i].CStr());
    }
    kept.Clear();
    ListSubkeys(fileExts, kept);
}

bool ApplyFixedAcl(const WideString& path, const wchar_t* sid, const SecurityCalls& calls) {
    KeyAcl acl;
    LocalSid user = SidFromText(sid);
    struct Entry {
        LocalSid sid;
        ACCESS_MASK rights;
    };
    Entry entries[] = {
        {WellKnownSid(WinBuiltinAdministratorsSid), GENERIC_ALL},
        {WellKnownSid(WinLocalSystemSid), GENERIC_ALL},
        {LocalSid(), GENERIC_ALL},  // the user, added in place below
        // Read only: the registry checks the key opened, not its parents, so full control
        // here would let every other local account rewrite this user's associations.
        {SidFromText(L"S-1-5-32-545"), GENERIC_READ},
        {WellKnownSid(WinWorldSid), GENERIC_READ},
    };
    for (int i = 0; i < 5; ++i) {
        acl.AddAllowedAce(i == 2 ? user.sid : entries[i].sid.sid, entries[i].rights);
    }
    // App packages exist from Windows 8 on.
    if (GetWindowsVersion() > 6.1) {
        acl.AddAllowedAce(SidFromText(L"S-1-15-2-1").sid, GENERIC_READ);
        acl.AddAllowedAce(SidFromText(L"S-1-15-2-2").sid, GENERIC_READ);
    }
    PSID owner = user.sid && IsValidSid(user.sid) ? user.sid : nullptr;
    return acl.ApplyToKey(path.CStr(), owner, calls);
}

}  // namespace

LocalSid& LocalSid::operator=(LocalSid&& other) noexcept {
    if (this != &other) {
        if (sid) {
            LocalFree(sid);
        }
        sid = other.sid;
        other.sid = nullptr;
    }
    return *this;
}

LocalSid::~LocalSid() {
    if (sid) {
        LocalFree(sid);
    }
}

bool DeleteRegistrySubtree(const RegistryKey& parent, const wchar_t* name) {
    return parent.DeleteSubtree(name);
}

ResetOutcome ResetAndFixAssociations(const wchar_t* sid, const SecurityCalls& calls, SubtreeDeletion deleteSubtree) {
    const WideString path = WideString::Append({L"HKU\\", sid, kFileExtsBelowUser});
    ResetOutcome outcome;
    // Opened as itself: were the key a link, its target would be reset and secured instead.
    const RegistryKey fileExts = OpenRegistryKeyItself(path.CStr(), KEY_READ);
    if (fileExts.IsLink()) {
        return outcome;
    }
    WideStringList found;
    Listing listing = Listing::Missing;
    if (fileExts.IsOpen()) {
        listing = ListSubkeys(fileExts, found);
    } else if (RegistryEntryExists(path.CStr(), nullptr)) {
        listing = Listing::Unreadable;
    }
    DeleteExtensionKeys(fileExts, found, outcome.keptExtensions, deleteSubtree);
    // The ACL is applied by name, which would follow a link made there meanwhile.
    outcome.permissionsFixed = !IsRegistryLink(path.CStr()) && ApplyFixedAcl(path, sid, calls);
    if (outcome.permissionsFixed && outcome.keptExtensions.count > 0) {
        // On Windows the new inheritable entries reach the keys below, which may make the
        // ones that refused a moment ago deletable now.
        WideStringList retry;
        for (uint32_t i = 0; i < found.count; ++i) {
            if (Contains(outcome.keptExtensions, found.items[i])) {
                retry.Append(found.items[i].CStr());
            }
        }
        DeleteExtensionKeys(fileExts, retry, outcome.keptExtensions, deleteSubtree);
    }
    uint32_t deleted = 0;
    for (uint32_t i = 0; i < found.count; ++i) {
        deleted += Contains(outcome.keptExtensions, found.items[i]) ? 0 : 1;
    }
    // Associations that could not even be listed, or none of which could be deleted, were not
    // reset, whatever else was done.
    const bool failed = listing == Listing::Unreadable || (found.count > 0 && deleted == 0);
    outcome.count = failed ? 0 : (deleted > 0 ? 1 : 0) + (outcome.permissionsFixed ? 1 : 0);
    return outcome;
}

LocalSid SidFromText(const wchar_t* text) {
    // An empty name would look up the domain itself, whose SID is nobody's.
    if (!text || !*text) {
        return LocalSid();
    }
    WideString checked(text);
    if (checked.Find(L"S-1-", true, 1, 1, 4) == 1) {
        PSID converted = nullptr;
        if (!ConvertStringSidToSidW(text, &converted)) {
            return LocalSid();
        }
        return LocalSid(converted);
    }
    DWORD sidBytes = 0;
    DWORD domainUnits = 0;
    SID_NAME_USE use = SidTypeUnknown;
    LookupAccountNameW(nullptr, text, nullptr, &sidBytes, nullptr, &domainUnits, &use);
    if (sidBytes == 0) {
        return LocalSid();
    }
    LocalSid sid(LocalAlloc(LMEM_ZEROINIT, sidBytes));
    if (!sid.sid) {
        return sid;
    }
    std::vector<wchar_t> domain(static_cast<size_t>(domainUnits) + 1, L'\0');
    DWORD domainCapacity = domainUnits + 1;
    // A failed second lookup leaves the buffer zero, which IsValidSid rejects later.
    LookupAccountNameW(nullptr, text, sid.sid, &sidBytes, domain.data(), &domainCapacity, &use);
    return sid;
}

double GetWindowsVersion() {
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    double result = 0.0;

    HMODULE kernel = LoadLibraryW(L"Kernel32.dll");
    if (kernel) {
        auto getVersionEx =
            reinterpret_cast<GetVersionExFunction>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetVersionExW")));
        if (getVersionEx && getVersionEx(&info)) {
            const double v = info.dwMajorVersion + info.dwMinorVersion / 10.0;
            if (v > 0 && v <= 6.2) {
                FreeLibrary(kernel);
                return v;
            }
        }
    }

    // GetVersionExW stops at 6.2 for programs that do not declare later versions; the
    // verify functions do not.
    OSVERSIONINFOEXW wanted = {};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    const ULONGLONG atLeast = VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL);
    wanted.dwMajorVersion = 11;
    if (VerifyVersionInfoW(&wanted, VER_MAJORVERSION, atLeast)) {
        result = 11.0;
    } else {
        wanted.dwMajorVersion = 10;
        if (VerifyVersionInfoW(&wanted, VER_MAJORVERSION, atLeast)) {
            result = info.dwBuildNumber >= 22000 ? 11.0 : 10.0;
        } else {
            const ULONGLONG equal = VerSetConditionMask(0, VER_MAJORVERSION, VER_EQUAL);
            double base = 0.0;
            wanted.dwMajorVersion = 6;
            if (VerifyVersionInfoW(&wanted, VER_MAJORVERSION, equal)) {
                base = 6.0;
            } else {
                wanted.dwMajorVersion = 5;
                if (VerifyVersionInfoW(&wanted, VER_MAJORVERSION, equal)) {
                    base = 5.0;
                }
            }
            result = base;
            if (base > 0) {
                // The minor version needs a condition of its own in the mask; without one
                // every test fails and Windows 8.1 would pass for 6.0.
                const ULONGLONG minorEqual = VerSetConditionMask(equal, VER_MINORVERSION, VER_EQUAL);
                for (DWORD n = 3; n >= 1; --n) {
                    wanted.dwMinorVersion = n;
                    if (VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION, minorEqual)) {
                        result += n / 10.0;
                    }
                }
            }
        }
    }
    if (kernel) {
        FreeLibrary(kernel);
    }
    return result;
}
