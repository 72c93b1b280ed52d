// Benchmarks of the start-up and Method 1 costs on a registry the size of a real Windows 10
// machine's: ProgId discovery, reset and fix, and starting the program, each against a floor
// that makes the same registry calls (or shows the same empty window) and nothing else. Floor
// and measured code run in turns, so that both see the same moment of a shared machine; a
// figure is the median of the per-pair ratios, with their spread. Then the matching alone, on
// the texts discovery reads, and on one long command made to cost the most.
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

constexpr int kPairs = 11;  // after one warm-up pair
constexpr int kMatchingRuns = 11;
constexpr size_t kWorstLength = 32000;
// The main window's emblem, headline, three top links, Method 1 text, arrow and link, Method 2 text.
constexpr int kControlsWithoutTiles = 9;

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
// Whether the main window shows its tiles: more children than its texts and pictures alone.
bool ShowsTiles(HWND window) {
    int children = 0;
    EnumChildWindows(
        window, [](HWND, LPARAM count) { return ++*reinterpret_cast<int*>(count), TRUE; },
        reinterpret_cast<LPARAM>(&children));
    return children > kControlsWithoutTiles;
}

// Milliseconds from starting `program` until its window of `windowClass` is visible and, with
// `untilTiles`, shows its tiles; -1 when it never does.
double StartupMilliseconds(const std::wstring& program, const wchar_t* arguments, const wchar_t* windowClass,
                           bool untilTiles) {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
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
        // The window is shown painted: it is made visible by the call that paints it first.
        if (window && IsWindowVisible(window) && (!untilTiles || ShowsTiles(window))) {
            QueryPerformanceCounter(&now);
            elapsed =
                1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
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

// Medians of the measured and floor times and of the per-pair ratios, with the ratios' range.
struct PairedFigure {
    double measured;
    double floor;
    double ratio;
    double lowest;
    double highest;
};

PairedFigure Interleaved(const std::function<double()>& floor, const std::function<double()>& measured) {
    floor();
    measured();
    std::vector<double> floors, measureds, ratios;
    for (int pair = 0; pair < kPairs; ++pair) {
        floors.push_back(floor());
        measureds.push_back(measured());
        ratios.push_back(measureds.back() / floors.back());
    }
    const auto [lowest, highest] = std::minmax_element(ratios.begin(), ratios.end());
    return {Median(measureds), Median(floors), Median(ratios), *lowest, *highest};
}

void Print(const char* name, const PairedFigure& figure) {
    printf("%s: %.1f ms, floor %.1f ms, ratio %.3f (%.3f-%.3f)\n", name, figure.measured, figure.floor, figure.ratio,
           figure.lowest, figure.highest);
}

// How discovery matches: an open command against Chromium Edge, then Notepad; an identity
// against every package entry.
void MatchAll(const AppCatalogue& catalogue, const DiscoveryTexts& texts) {
    for (const WideString& command : texts.commands) {
        if (!MatchesApp(catalogue.entries[0], command)) {
            MatchesApp(catalogue.entries[7], command);
        }
    }
    for (const WideString& identity : texts.identities) {
        for (int i = 1; i < kAppCount; ++i) {
            MatchesApp(catalogue.entries[i], identity);
        }
    }
}

}  // namespace

int main() {
    RealisticRegistryShape shape;
    shape.unrelatedMachineClasses = 6000;
    shape.unrelatedUserClasses = 1200;
    shape.unrelatedUserAppX = 300;
    shape.fileExtensions = 1000;
    shape.unrelatedExtensions = 3000;
    RealisticRegistry registry(CurrentUserSid(), shape);
    registry.Seed();

    Print("discovery", Interleaved([&] { return Milliseconds([&] { DiscoveryFloor(registry.sid); }); },
                                   [&] {
                                       return Milliseconds([&] {
                                           AppCatalogue catalogue;
                                           catalogue.CompilePatterns();
                                           DiscoverProgIds(catalogue, registry.sid.c_str());
                                       });
                                   }));

    Print("reset", Interleaved(
                       [&] {
                           registry.SeedFileExts();
                           return Milliseconds([&] { ResetFloor(registry.FileExts()); });
                       },
                       [&] {
                           registry.SeedFileExts();
                           return Milliseconds([&] { ResetAndFixAssociations(registry.sid.c_str()); });
                       }));

    // The window against an empty one, painted; the tiles against discovery's registry calls
    // and that empty window.
    const std::wstring program = BesideThisProgram(L"..\\bin\\Velloran.exe");
    const std::wstring floorProgram = BesideThisProgram(L"startup_floor.exe");
    const auto window = [&](bool tiles) {
        return Interleaved(
            [&] { return StartupMilliseconds(floorProgram, tiles ? L"" : L"window", L"VELLORAN_FLOOR", false); },
            [&] { return StartupMilliseconds(program, L"", L"VELLORAN_DLG", tiles); });
    };
    Print("first window", window(false));
    Print("startup (tiles shown)", window(true));

    DiscoveryTexts texts;
    DiscoveryFloor(registry.sid, &texts);
    AppCatalogue catalogue;
    catalogue.CompilePatterns();
    std::vector<double> matching;
    for (int run = 0; run < kMatchingRuns; ++run) {
        matching.push_back(Milliseconds([&] { MatchAll(catalogue, texts); }));
    }
    const size_t count = texts.commands.size() + texts.identities.size();
    const double m = Median(matching);
    printf("matching: %.2f ms for %zu texts, %.3f \u00b5s per text\n", m, count, 1000.0 * m / count);

    const WideString worst = NearMissCommand(kWorstLength);
    std::vector<double> worstRuns;
    for (int run = 0; run < kMatchingRuns; ++run) {
        worstRuns.push_back(Milliseconds([&] {
            MatchesApp(catalogue.entries[0], worst);
            MatchesApp(catalogue.entries[7], worst);
        }));
    }
    printf("worst: %.3f ms for one %zu,%03zu-character command\n", Median(worstRuns), kWorstLength / 1000,
           kWorstLength % 1000);

    registry.Remove();
    Print("first window, empty user", window(false));
    return 0;
}
