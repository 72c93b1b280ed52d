// Shared pieces of the toolkit tests: GDI+ for the run, test windows, message pumping, pixels.
#include "ui_test_support.h"

#include <gtest/gtest.h>

#include "ui/window_lifetime.h"

namespace {

struct GdiplusRun : testing::Environment {
    ULONG_PTR token = 0;
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token); }
};

testing::Environment* const kGdiplus = testing::AddGlobalTestEnvironment(new GdiplusRun);

bool makeCanvas(int32_t width, int32_t height, ClientPicture& picture) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    picture.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    picture.pixels = static_cast<uint32_t*>(bits);
    picture.width = width;
    picture.height = height;
    return picture.bitmap != nullptr;
}

}  // namespace

TestWindow::TestWindow(int32_t width, int32_t height, DWORD style, HWND parent, const wchar_t* className) {
    window.eventTarget = &event;
    createWindow(window, className, L"Test", width, height, 10, 10, style, 0, parent);
}

HWND findOwnWindow(const wchar_t* className) {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, className, nullptr)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(found, &process);
        if (process == GetCurrentProcessId()) {
            return found;
        }
    }
    return nullptr;
}

void drainQueue() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool pumpUntil(const std::function<bool()>& done, int milliseconds) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > static_cast<DWORD>(milliseconds)) {
            return done();
        }
        drainQueue();
        Sleep(10);
    }
    return true;
}

Gdiplus::ARGB pixelOf(Gdiplus::Bitmap& bitmap, int32_t x, int32_t y) {
    Gdiplus::Color colour;
    bitmap.GetPixel(x, y, &colour);
    return colour.GetValue();
}

ClientPicture::~ClientPicture() {
    if (bitmap) {
        DeleteObject(bitmap);
    }
}

bool printClient(HWND hwnd, ClientPicture& picture) {
    RECT client{};
    GetClientRect(hwnd, &client);
    if (!makeCanvas(client.right, client.bottom, picture)) {
        return false;
    }
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, picture.bitmap);
    SendMessageW(hwnd, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_ERASEBKGND | PRF_CLIENT | PRF_CHILDREN);
    SelectObject(dc, old);
    DeleteDC(dc);
    return true;
}

bool captureScreen(int32_t left, int32_t top, int32_t width, int32_t height, ClientPicture& picture) {
    if (!makeCanvas(width, height, picture)) {
        return false;
    }
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, picture.bitmap);
    BOOL copied = BitBlt(dc, 0, 0, width, height, screen, left, top, SRCCOPY);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return copied != 0;
}
