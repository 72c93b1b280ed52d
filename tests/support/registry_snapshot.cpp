#include "support/registry_snapshot.h"

#include <sddl.h>

#include <algorithm>

namespace {

std::wstring SecurityText(HKEY key) {
    const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                      DACL_SECURITY_INFORMATION;
    DWORD bytes = 0;
    RegGetKeySecurity(key, what, nullptr, &bytes);
    if (bytes == 0) {
        return L"(none)";
    }
    std::vector<BYTE> descriptor(bytes);
    if (RegGetKeySecurity(key, what, descriptor.data(), &bytes) != ERROR_SUCCESS) {
        return L"(unreadable)";
    }
    wchar_t* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1, what, &text,
                                                              nullptr)) {
        return L"(unconvertible)";
    }
    std::wstring result = text;
    LocalFree(text);
    return result;
}

struct Buffers {
    bool withSecurity = true;
    std::vector<wchar_t> name = std::vector<wchar_t>(16384);
    std::vector<BYTE> data = std::vector<BYTE>(1 << 16);
};

void Capture(HKEY root, const std::wstring& subkey, const std::wstring& relative, REGSAM view,
             RegistrySnapshot& snapshot, Buffers& buffers) {
    RegistryKeyState& state = snapshot[relative];
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        state.security = L"(cannot open)";
        return;
    }
    state.security = buffers.withSecurity ? SecurityText(key) : L"";
    std::vector<wchar_t>& name = buffers.name;
    std::vector<BYTE>& data = buffers.data;
    for (DWORD i = 0;; ++i) {
        DWORD nameUnits = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD bytes = static_cast<DWORD>(data.size());
        LONG status = RegEnumValueW(key, i, name.data(), &nameUnits, nullptr, &type, data.data(), &bytes);
        if (status == ERROR_MORE_DATA) {
            data.resize(bytes);
            --i;
            continue;
        }
        if (status != ERROR_SUCCESS) {
            break;
        }
        state.values[std::wstring(name.data(), nameUnits)] = {type, std::vector<BYTE>(data.begin(), data.begin() + bytes)};
    }
    std::vector<std::wstring> children;
    for (DWORD i = 0;; ++i) {
        DWORD nameUnits = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, i, name.data(), &nameUnits, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        children.emplace_back(name.data(), nameUnits);
    }
    RegCloseKey(key);
    for (const std::wstring& child : children) {
        Capture(root, subkey + L"\\" + child, relative.empty() ? child : relative + L"\\" + child, view, snapshot,
                buffers);
    }
}

}  // namespace

RegistrySnapshot TakeSnapshot(HKEY root, const std::wstring& subkey, REGSAM view, bool withSecurity) {
    RegistrySnapshot snapshot;
    Buffers buffers;
    buffers.withSecurity = withSecurity;
    Capture(root, subkey, L"", view, snapshot, buffers);
    return snapshot;
}

std::vector<std::wstring> DiffSnapshots(const RegistrySnapshot& before, const RegistrySnapshot& after) {
    std::vector<std::wstring> lines;
    for (const auto& [path, state] : before) {
        auto found = after.find(path);
        if (found == after.end()) {
            lines.push_back(L"-key " + path);
            continue;
        }
        if (found->second.security != state.security) {
            lines.push_back(L"~security " + path);
        }
        for (const auto& [name, value] : state.values) {
            auto other = found->second.values.find(name);
            if (other == found->second.values.end()) {
                lines.push_back(L"-value " + path + L"|" + name);
            } else if (!(other->second == value)) {
                lines.push_back(L"~value " + path + L"|" + name);
            }
        }
        for (const auto& [name, value] : found->second.values) {
            if (!state.values.count(name)) {
                lines.push_back(L"+value " + path + L"|" + name);
            }
        }
    }
    for (const auto& [path, state] : after) {
        if (!before.count(path)) {
            lines.push_back(L"+key " + path);
            for (const auto& [name, value] : state.values) {
                lines.push_back(L"+value " + path + L"|" + name);
            }
        }
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}
