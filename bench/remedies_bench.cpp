// Benchmarks of the two start-up and Method 1 costs on a registry the size of a real
// Windows 10 machine's: ProgId discovery, and reset and fix. Each is measured against a
// floor that makes the same registry calls and nothing else; medians of 5 runs.
#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/app_catalogue.h"
#include "registry/registry_key.h"
#include "registry/registry_value.h"
#include "remedies/reset_and_fix.h"
#include "support/realistic_registry.h"

namespace {

constexpr int kRuns = 5;

std::wstring UserSid() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    BYTE buffer[1024];
    DWORD returned = 0;
    std::wstring sid;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &returned)) {
        wchar_t* text = nullptr;
        if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
            sid = text;
            LocalFree(text);
        }
    }
    CloseHandle(token);
    return sid;
}

double Milliseconds(const std::function<void()>& work) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The walk of the discovery with the same opens and reads, but no matching and no lists.
void DiscoveryFloorPass(const WideString& root, bool withAppX, std::vector<wchar_t>& name) {
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
            subkey = OpenRegistryKey(WideString::Append({root.CStr(), L"\\", progId.CStr(), L"\\Application"}).CStr(),
                                     KEY_READ);
            if (subkey.IsOpen() && !ReadValueText(subkey.handle, L"ApplicationName", text)) {
                ReadValueText(subkey.handle, L"AppUserModelID", text);
            }
        } else {
            subkey = OpenRegistryKey(
                WideString::Append({root.CStr(), L"\\", progId.CStr(), L"\\shell\\open\\command"}).CStr(), KEY_READ);
            if (subkey.IsOpen()) {
                ReadValueText(subkey.handle, L"", text);
            }
        }
    }
}

void DiscoveryFloor(const std::wstring& sid) {
    std::vector<wchar_t> name(kKeyNameBufferUnits, L'\0');
    DiscoveryFloorPass(WideString(L"HKLM64\\Software\\Classes"), false, name);
    DiscoveryFloorPass(WideString::Append({L"HKU\\", sid.c_str(), L"\\Software\\Classes"}), true, name);
}

void ResetFloor(const std::wstring& fileExts) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_USERS, fileExts.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD units = 256;
        if (RegEnumKeyExW(key, i, name, &units, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, units);
    }
    for (const std::wstring& extension : names) {
        RegDeleteTreeW(key, extension.c_str());
        RegDeleteKeyW(key, extension.c_str());
    }
    RegCloseKey(key);
}

}  // namespace

int main() {
    RealisticRegistryShape shape;
    shape.unrelatedMachineClasses = 6000;
    shape.unrelatedUserClasses = 1200;
    shape.unrelatedUserAppX = 300;
    shape.fileExtensions = 1000;
    RealisticRegistry registry(UserSid(), shape);
    registry.Seed();

    std::vector<double> discovery, discoveryFloor;
    for (int run = 0; run < kRuns; ++run) {
        discoveryFloor.push_back(Milliseconds([&] { DiscoveryFloor(registry.sid); }));
        discovery.push_back(Milliseconds([&] {
            AppCatalogue catalogue;
            catalogue.CompilePatterns();
            DiscoverProgIds(catalogue, registry.sid.c_str());
        }));
    }

    std::vector<double> reset, resetFloor;
    for (int run = 0; run < kRuns; ++run) {
        registry.SeedFileExts();
        resetFloor.push_back(Milliseconds([&] { ResetFloor(registry.FileExts()); }));
        registry.SeedFileExts();
        reset.push_back(Milliseconds([&] { ResetAndFixAssociations(registry.sid.c_str()); }));
    }

    const double d = Median(discovery), df = Median(discoveryFloor);
    const double r = Median(reset), rf = Median(resetFloor);
    printf("discovery: %.1f ms, floor %.1f ms, ratio %.3f\n", d, df, d / df);
    printf("reset: %.1f ms, floor %.1f ms, ratio %.3f\n", r, rf, r / rf);
    return 0;
}
