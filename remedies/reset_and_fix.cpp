#include "remedies/reset_and_fix.h"

#include <sddl.h>

#include <utility>
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

// Deletes the subkeys of the key at `path`; returns how many went and names in `kept` those
// that stayed (Windows protects some extensions against every other program).
uint32_t DeleteExtensionKeys(const WideString& path, WideStringList& kept) {
    RegistryKey fileExts = OpenRegistryKey(path.CStr(), KEY_READ);
    if (!fileExts.IsOpen()) {
        return 0;
    }
    DWORD subkeys = 0;
    if (RegQueryInfoKeyW(fileExts.handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return 0;
    }
    std::vector<wchar_t> name(kKeyNameBufferUnits, L'\0');
    RegistryKey holder;
    uint32_t deleted = 0;
    // Downwards, so that the indices still to be visited stay valid while keys go.
    for (DWORD i = subkeys; i-- > 0;) {
        name[0] = 0;
        DWORD capacity = kKeyNameBufferUnits;
        if (RegEnumKeyExW(fileExts.handle, i, name.data(), &capacity, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS ||
            name[0] == 0) {
            continue;
        }
        if (holder.DeleteTree(WideString::Append({path.CStr(), L"\\", name.data()}).CStr())) {
            ++deleted;
        } else {
            kept.Append(name.data());
        }
    }
    // Found from the last index down; named from the first.
    for (uint32_t i = 0; i < kept.count / 2; ++i) {
        std::swap(kept.items[i], kept.items[kept.count - 1 - i]);
    }
    return deleted;
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

ResetOutcome ResetAndFixAssociations(const wchar_t* sid, const SecurityCalls& calls) {
    const WideString path = WideString::Append({L"HKU\\", sid, kFileExtsBelowUser});
    ResetOutcome outcome;
    const uint32_t reset = DeleteExtensionKeys(path, outcome.keptExtensions) > 0 ? 1 : 0;
    outcome.permissionsFixed = ApplyFixedAcl(path, sid, calls);
    outcome.count = reset + (outcome.permissionsFixed ? 1 : 0);
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
