// Shared pieces of the toolkit tests: GDI+ for the run, test windows, message pumping, pixels.
#pragma once

#include <windows.h>

#include <objidl.h>
#include <gdiplus.h>

#include <functional>

#include "ui/ui_window.h"

constexpr wchar_t kTestClass[] = L"VelloranTestWindow";

// A toolkit window of the test class with an event record of its own, at (10, 10).
struct TestWindow {
    UiEvent event{};
    UiWindow window;

    explicit TestWindow(int32_t width = 400,
                        int32_t height = 300,
                        DWORD style = WS_OVERLAPPEDWINDOW,
                        HWND parent = nullptr,
                        const wchar_t* className = kTestClass);
    HWND hwnd() const { return window.hwnd; }
};

// The first top-level window of `className` that belongs to this process, or null. Other
// tests run at the same time on the same desktop, so FindWindowW could find their windows.
HWND findOwnWindow(const wchar_t* className);

// Dispatches every queued message.
void drainQueue();

// Pumps messages until done() holds or `milliseconds` pass; returns done().
bool pumpUntil(const std::function<bool()>& done, int milliseconds);

// The ARGB value of a pixel of a GDI+ bitmap.
Gdiplus::ARGB pixelOf(Gdiplus::Bitmap& bitmap, int32_t x, int32_t y);

// A copy of the client area of hwnd as painted by a full erase and paint, read through a
// memory DC: pixel (x, y) as 0x00RRGGBB.
struct ClientPicture {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t* pixels = nullptr;  // owned by `bitmap`
    HBITMAP bitmap = nullptr;
    ClientPicture() = default;
    ClientPicture(const ClientPicture&) = delete;
    ClientPicture& operator=(const ClientPicture&) = delete;
    ~ClientPicture();
    uint32_t at(int32_t x, int32_t y) const { return pixels[y * width + x] & 0x00FFFFFF; }
};
// Draws hwnd into the picture with WM_PRINT (erase, client, children).
bool printClient(HWND hwnd, ClientPicture& picture);
// Reads a rectangle of the screen into the picture.
bool captureScreen(int32_t left, int32_t top, int32_t width, int32_t height, ClientPicture& picture);

inline uint32_t rgbOf(COLORREF colour) {
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}
