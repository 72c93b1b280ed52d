// Velloran's entry point.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "app/main_window.h"
#include "app/target_user.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    Gdiplus::GdiplusStartupInput input;  // version 1, background thread allowed
    ULONG_PTR gdiplusToken = 0;
    if (Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr) != Gdiplus::Ok) {
        gdiplusToken = 0;
    }

    TargetUser user;
    ResolveTargetUser(user);
    const int exitCode = RunMainWindow(user, instance);

    Gdiplus::GdiplusShutdown(gdiplusToken);
    return exitCode;
}
