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

// The containers' checks of length, range and allocation size throw through these. Nothing here
// catches, so a throw ends the program as above; ending it here keeps the runtime's exception
// classes, and the string and locale code they bring, out of the program file.
namespace std {
void __throw_bad_alloc() {
    std::abort();
}
void __throw_bad_array_new_length() {
    std::abort();
}
void __throw_length_error(const char*) {
    std::abort();
}
void __throw_logic_error(const char*) {
    std::abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    std::abort();
}
}  // namespace std

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
