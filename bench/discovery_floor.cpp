#include "bench/discovery_floor.h"

#include <vector>

#include "registry/registry_key.h"
#include "registry/registry_value.h"
#include "text/wide_string.h"

namespace {

// The walk of the discovery with the same opens and reads, but no matching and no lists.
void FloorPass(const WideString& root, bool withAppX, std::vector<wchar_t>& name) {
    RegistryKey classes = OpenRegistryKey(root.CStr(), KEY_READ);
    if (!classes.IsOpen()) {
        return;
    }
    RegistryKey subkey;
    for (DWORD index = 0;; ++index) {
        name[0] = 0;
        DWORD capacity = kKeyNameBufferUnits;
        if (RegEnumKeyExW(classes.handle, index, name.data(), &capacity, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS ||
            name[0] == 0) {
            break;
        }
        if (name[0] == L'.') {
            continue;
        }
        WideString progId(name.data());
        WideString text;
        if (progId.Find(L"AppX", false, 1, 1, 4) == 1) {
            if (!withAppX) {
                continue;
            }
            subkey.Close();
            subkey = OpenRegistryKey(WideString::Append({root.CStr(), L"\\", progId.CStr(), L"\\Application"}).CStr(),
                                     KEY_READ);
            if (subkey.IsOpen() && !ReadValueText(subkey.handle, L"ApplicationName", text)) {
                ReadValueText(subkey.handle, L"AppUserModelID", text);
            }
        } else {
            subkey.Close();
            subkey = OpenRegistryKey(
                WideString::Append({root.CStr(), L"\\", progId.CStr(), L"\\shell\\open\\command"}).CStr(), KEY_READ);
            if (subkey.IsOpen()) {
                ReadValueText(subkey.handle, L"", text);
            }
        }
    }
}

}  // namespace

void DiscoveryFloor(const std::wstring& sid) {
    std::vector<wchar_t> name(kKeyNameBufferUnits, L'\0');
    FloorPass(WideString(L"HKLM64\\Software\\Classes"), false, name);
    FloorPass(WideString::Append({L"HKU\\", sid.c_str(), L"\\Software\\Classes"}), true, name);
}

