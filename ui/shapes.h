// Rounded shapes: rounded rectangles painted into GDI+ images and rounded window regions.
#pragma once

#include <windows.h>

// gdiplus.h needs the COM property types declared first.
#include <objidl.h>
#include <gdiplus.h>

#include "ui/ui_window.h"

// Fills (left, top, width, height) of image with a rounded rectangle whose corner arcs have
// `diameter` (0 = square corners, exactly the rectangle), curved edges antialiased. False for a null image or a failed
// fill.
bool fillRoundedRect(Gdiplus::Image* image,
                     int32_t left,
                     int32_t top,
                     int32_t width,
                     int32_t height,
                     Gdiplus::ARGB argb,
                     int32_t diameter);

// Makes the rounded rectangle (0, 0, width, height) the window region of hwnd.
bool setRoundedRegion(HWND hwnd, int32_t width, int32_t height, int32_t diameter);

// For a captioned window: diameter below 1 makes it frameless on its former client area;
// 1 clips it to the client area; more clips it to the client area with rounded corners.
bool setWindowShape(UiWindow& window, int32_t diameter);
