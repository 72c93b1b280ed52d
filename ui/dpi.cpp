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

// https://learn.microsoft.com/windows/win32/api/shellscalingapi/nf-shellscalingapi-getdpiformonitor
using GetDpiForMonitorCall = HRESULT(WINAPI*)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*);

template <typename Call>
Call moduleCall(HMODULE module, const char* name) {
    FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Call>(reinterpret_cast<void*>(found));
}

template <typename Call>
Call user32Call(const char* name) {
    return moduleCall<Call>(GetModuleHandleW(L"user32.dll"), name);
}

// shcore is loaded only where GetDpiForWindow is missing, and only from the system folder.
HRESULT WINAPI shcoreDpiForMonitor(HMONITOR monitor, MONITOR_DPI_TYPE type, UINT* dpiX, UINT* dpiY) {
    static const auto call = moduleCall<GetDpiForMonitorCall>(
        LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "GetDpiForMonitor");
    return call ? call(monitor, type, dpiX, dpiY) : E_NOTIMPL;
}

}  // namespace

DpiCalls dpiCalls = {user32Call<GetDpiForWindowCall>("GetDpiForWindow"), shcoreDpiForMonitor};

UINT systemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UINT windowDpi(HWND hwnd) {
    UINT dpi = dpiCalls.dpiForWindow && hwnd ? dpiCalls.dpiForWindow(hwnd) : 0;
    // Windows 8.1 and 10 before 1607 scale per monitor too: the system DPI is the wrong one there.
    UINT dpiY = 0;
    if (!dpi && hwnd && dpiCalls.dpiForMonitor &&
        FAILED(dpiCalls.dpiForMonitor(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), MDT_EFFECTIVE_DPI, &dpi,
                                      &dpiY))) {
        dpi = 0;
    }
    return dpi ? dpi : systemDpi();
}

int32_t unitsToPixels(int32_t units, UINT dpi) {
    return MulDiv(units, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

RECT unitRectToPixels(int32_t x, int32_t y, int32_t width, int32_t height, UINT dpi) {
    return {unitsToPixels(x, dpi), unitsToPixels(y, dpi), unitsToPixels(x + width, dpi),
            unitsToPixels(y + height, dpi)};
}

int32_t unitsSpanning(int32_t edge, int32_t step, int32_t pixels, UINT dpi) {
    const int32_t from = unitsToPixels(edge, dpi);
    int32_t units = pixels > 0 ? pixels * USER_DEFAULT_SCREEN_DPI / static_cast<int32_t>(dpi) : 0;
    while ((unitsToPixels(edge + step * units, dpi) - from) * step < pixels) {
        ++units;
    }
    return units;
}

bool adjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto adjust = user32Call<AdjustWindowRectExForDpiCall>("AdjustWindowRectExForDpi");
    return adjust ? adjust(&rect, style, FALSE, exStyle, dpi) : AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

int systemMetricForDpi(int index, UINT dpi) {
    static const auto metric = user32Call<GetSystemMetricsForDpiCall>("GetSystemMetricsForDpi");
    return metric ? metric(index, dpi) : GetSystemMetrics(index);
}
