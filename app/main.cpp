// Velloran's entry point.
#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <objidl.h>
#include <gdiplus.h>

#include "app/main_window.h"
#include "app/target_user.h"

// The only exception that can reach the top is the allocator's out of memory, which ends the
// program. The C++ runtime's own handler would print its demangled type to a console that a
// window program does not have; this one ends at once and keeps the demangler (some 45 KB)
// out of the program file.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The shell wants an apartment-threaded COM before ShellExecuteEx, and the desktop's
    // shell is reached through COM; OLE1 DDE is of no use here.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    Gdiplus::GdiplusStartupInput input;  // version 1, background thread allowed
    ULONG_PTR gdiplusToken = 0;
    if (Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr) != Gdiplus::Ok) {
        gdiplusToken = 0;
    }

    TargetUser user;
    ResolveTargetUser(user);
    const int exitCode = RunMainWindow(user, instance);

    Gdiplus::GdiplusShutdown(gdiplusToken);
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return exitCode;
}
