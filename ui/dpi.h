// Display scale: the DPI of a window and the conversion of layout units (96 per inch) to pixels.
#pragma once

#include <windows.h>
#include <shellscalingapi.h>

#include <cstdint>

// The per-monitor DPI calls, null where this Windows lacks them: GetDpiForWindow came with
// Windows 10 1607, GetDpiForMonitor (shcore) with 8.1. Bound to the system's at start; Wine
// has both, so tests bind their own to play an older Windows.
struct DpiCalls {
    UINT(WINAPI* dpiForWindow)(HWND hwnd);
    HRESULT(WINAPI* dpiForMonitor)(HMONITOR monitor, MONITOR_DPI_TYPE type, UINT* dpiX, UINT* dpiY);
};
extern DpiCalls dpiCalls;

// The DPI of hwnd's monitor: GetDpiForWindow, else GetDpiForMonitor of the window's monitor,
// else the system's; 96 without an answer.
UINT windowDpi(HWND hwnd);

// The system DPI (GetDeviceCaps LOGPIXELSX of the screen).
UINT systemDpi();

// `units` (1/96 inch) in pixels at dpi, rounded to the nearest.
int32_t unitsToPixels(int32_t units, UINT dpi);

// The pixel rectangle of a unit one at dpi. Its edges are scaled, not its extent, so that
// neighbours stay neighbours: a 75-unit tile at 150 % is 112 or 113 pixels wide.
RECT unitRectToPixels(int32_t x, int32_t y, int32_t width, int32_t height, UINT dpi);

// The fewest units from `edge` on, forward (`step` 1) or back (-1), whose pixels at dpi, edges
// scaled as unitRectToPixels scales them, are `pixels` at least.
int32_t unitsSpanning(int32_t edge, int32_t step, int32_t pixels, UINT dpi);

// AdjustWindowRectExForDpi where there is one, else AdjustWindowRectEx (the system DPI's).
bool adjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);

// GetSystemMetricsForDpi where there is one, else GetSystemMetrics.
int systemMetricForDpi(int index, UINT dpi);
