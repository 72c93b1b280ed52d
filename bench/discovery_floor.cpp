#include "bench/discovery_floor.h"

#include <string>
#include <utility>
#include <vector>

#include "app/file_types.h"
#include "registry/registry_key.h"
#include "registry/registry_value.h"
#include "text/wide_string.h"

namespace {

// The walk of the discovery with the same opens and reads, but no matching and no lists.
void FloorPass(const WideString& root,
               bool withAppX,
               std::vector<wchar_t>& name,
               std::vector<OfferedProgId>& offered,
               DiscoveryTexts* kept) {
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
            // The ProgIds the extension offers, each read and kept as discovery keeps them.
            const WideString extension(name.data());
            subkey.Close();
            subkey = OpenRegistryKey(
                WideString::Append({root.CStr(), L"\\", extension.CStr(), L"\\OpenWithProgids"}).CStr(), KEY_READ);
            for (DWORD value = 0; subkey.IsOpen(); ++value) {
                capacity = kKeyNameBufferUnits;
                if (RegEnumValueW(subkey.handle, value, name.data(), &capacity, nullptr, nullptr, nullptr, nullptr) !=
                    ERROR_SUCCESS) {
                    break;
                }
                offered.push_back({extension, WideString(name.data())});
            }
            continue;
        }
        WideString progId(name.data());
        WideString text;
        const bool appX = progId.Find(L"AppX", false, 1, 1, 4) == 1;
        if (appX) {
            if (!withAppX) {
                continue;
            }
            subkey.Close();
            subkey = OpenRegistryKey(WideString::Append({root.CStr(), L"\\", progId.CStr(), L"\\Application"}).CStr(),
                                     KEY_READ);
            // Both values, as discovery reads them: some apps are told by their model id too.
            WideString modelId;
            if (subkey.IsOpen()) {
                const bool named = ReadValueText(subkey.handle, L"ApplicationName", text);
                if (ReadValueText(subkey.handle, L"AppUserModelID", modelId) && !named) {
                    text = modelId;
                } else if (kept && !modelId.IsEmpty()) {
                    kept->identities.push_back(std::move(modelId));
                }
            }
        } else {
            subkey.Close();
            subkey = OpenRegistryKey(
                WideString::Append({root.CStr(), L"\\", progId.CStr(), L"\\shell\\open\\command"}).CStr(), KEY_READ);
            if (subkey.IsOpen()) {
                ReadValueText(subkey.handle, L"", text);
            }
        }
        if (kept && !text.IsEmpty()) {
            (appX ? kept->identities : kept->commands).push_back(std::move(text));
        }
    }
}

}  // namespace

void DiscoveryFloor(const std::wstring& sid, DiscoveryTexts* kept) {
    std::vector<wchar_t> name(kKeyNameBufferUnits, L'\0');
    std::vector<OfferedProgId> offered;
    FloorPass(WideString(L"HKLM64\\Software\\Classes"), false, name, offered, kept);
    FloorPass(WideString::Append({L"HKU\\", sid.c_str(), L"\\Software\\Classes"}), true, name, offered, kept);
}

WideString NearMissCommand(size_t length) {
    std::wstring text = L"\\Microsoft\\Edge\\Application\\msedge.exe notepad.exe ";
    while (text.size() < length) {
        text += L"\\Microsoft\\Edge\\Application\\msedge.exX\\Windows\\System32\\notepad.exX ";
    }
    text.resize(length);
    return WideString(text.c_str());
}
