// Benchmarks of the two start-up and Method 1 costs on a registry the size of a real
// Windows 10 machine's: ProgId discovery, and reset and fix. Each is measured against a
// floor that makes the same registry calls and nothing else; medians of 5 runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/app_catalogue.h"
#include "bench/discovery_floor.h"
#include "remedies/reset_and_fix.h"
#include "support/realistic_registry.h"
#include "support/user_sid.h"

namespace {

constexpr int kRuns = 5;

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

void ResetFloor(const std::wstring& fileExts) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_USERS, fileExts.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    for (const std::wstring& extension : EnumerateSubkeys(HKEY_USERS, fileExts, 0)) {
        RegDeleteTreeW(key, extension.c_str());
        RegDeleteKeyW(key, extension.c_str());
    }
    RegCloseKey(key);
}

// Starts `program` and waits until a window of `windowClass` is visible; returns the time
// from the start, then asks the window to close and waits for the program to end.
double StartupMilliseconds(const std::wstring& program, const wchar_t* windowClass) {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return -1;
    }
    double elapsed = -1;
    for (;;) {
        HWND window = FindWindowW(windowClass, nullptr);
        if (window && IsWindowVisible(window)) {
            QueryPerformanceCounter(&now);
            elapsed = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
                      static_cast<double>(frequency.QuadPart);
            PostMessageW(window, WM_CLOSE, 0, 0);
            break;
        }
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) {
            break;  // ended without showing a window
        }
    }
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

std::wstring BesideThisProgram(const wchar_t* relative) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + relative;
}

long long FileBytes(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return -1;
    }
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int main() {
    RealisticRegistryShape shape;
    shape.unrelatedMachineClasses = 6000;
    shape.unrelatedUserClasses = 1200;
    shape.unrelatedUserAppX = 300;
    shape.fileExtensions = 1000;
    RealisticRegistry registry(CurrentUserSid(), shape);
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

    const std::wstring program = BesideThisProgram(L"..\\bin\\Velloran.exe");
    std::vector<double> startup, startupFloor;
    for (int run = 0; run < kRuns; ++run) {
        startupFloor.push_back(StartupMilliseconds(BesideThisProgram(L"startup_floor.exe"), L"VELLORAN_FLOOR"));
        startup.push_back(StartupMilliseconds(program, L"VELLORAN_DLG"));
    }

    const double d = Median(discovery), df = Median(discoveryFloor);
    const double r = Median(reset), rf = Median(resetFloor);
    printf("discovery: %.1f ms, floor %.1f ms, ratio %.3f\n", d, df, d / df);
    printf("reset: %.1f ms, floor %.1f ms, ratio %.3f\n", r, rf, r / rf);
    const double s = Median(startup), sf = Median(startupFloor);
    printf("startup: %.1f ms, floor %.1f ms, ratio %.3f\n", s, sf, s / sf);
    printf("size: %lld bytes\n", FileBytes(program));
    return 0;
}
