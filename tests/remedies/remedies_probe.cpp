// A small program that runs one remedy in a process of its own, so that tests can choose
// which Windows version Wine reports to it. The exit code carries the result.
#include <windows.h>

#include <cmath>
#include <cwchar>

#include "remedies/reset_and_fix.h"

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && wcscmp(argv[1], L"version") == 0) {
        return static_cast<int>(std::lround(GetWindowsVersion() * 10));
    }
    if (argc >= 3 && wcscmp(argv[1], L"reset") == 0) {
        return static_cast<int>(ResetAndFixAssociations(argv[2]).count);
    }
    return 255;
}
