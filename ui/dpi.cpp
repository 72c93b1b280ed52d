// Display scale: the per-monitor calls are looked up at run time, since Windows 7 and 8 lack
// them and the program must still start there.
#include "ui/dpi.h"

namespace {

// https://learn.microsoft.com/windows/win32/api/winuser/nf-winuser-getdpiforwindow
using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
// https://learn.microsoft.com/windows/win32/api/winuser/nf-winuser-adjustwindowrectexfordpi
using AdjustWindowRectExForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
// https://learn.microsoft.com/windows/win32/api/winuser/nf-winuser-getsystemmetricsfordpi
using GetSystemMetricsForDpiCall = int(WINAPI*)(int, UINT);

template <typename Call>
Call user32Call(const char* name) {
    FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Call>(reinterpret_cast<void*>(found));
}

}  // namespace

UINT systemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UINT windowDpi(HWND hwnd) {
    static const auto getDpiForWindow = user32Call<GetDpiForWindowCall>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow && hwnd ? getDpiForWindow(hwnd) : 0;
    return dpi ? dpi : systemDpi();
}

int32_t unitsToPixels(int32_t units, UINT dpi) {
    return MulDiv(units, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

RECT unitRectToPixels(int32_t x, int32_t y, int32_t width, int32_t height, UINT dpi) {
    return {unitsToPixels(x, dpi), unitsToPixels(y, dpi), unitsToPixels(x + width, dpi),
            unitsToPixels(y + height, dpi)};
}

bool adjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto adjust = user32Call<AdjustWindowRectExForDpiCall>("AdjustWindowRectExForDpi");
    return adjust ? adjust(&rect, style, FALSE, exStyle, dpi) : AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

int systemMetricForDpi(int index, UINT dpi) {
    static const auto metric = user32Call<GetSystemMetricsForDpiCall>("GetSystemMetricsForDpi");
    return metric ? metric(index, dpi) : GetSystemMetrics(index);
}
