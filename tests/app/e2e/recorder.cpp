// Stands in for the browser and the settings app in end-to-end tests: appends the address
// it was asked to open, one line each, to C:\velloran-opened.txt.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    FILE* file = _wfopen(L"C:\\velloran-opened.txt", L"a, ccs=UTF-8");
    if (!file) {
        return 1;
    }
    fwprintf(file, L"%ls\n", argc > 1 ? argv[1] : L"");
    fclose(file);
    return 0;
}
