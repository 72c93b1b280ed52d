// What starting the program costs at the least: an empty window of the main window's size,
// shown and painted, after the registry calls of ProgId discovery unless the command line says
// "window". It stays until it is asked to close.
#include <windows.h>

#include <string>

#include "bench/discovery_floor.h"
#include "support/user_sid.h"

namespace {

LRESULT CALLBACK FloorProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    if (!wcsstr(commandLine, L"window")) {
        DiscoveryFloor(CurrentUserSid());
    }
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = FloorProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"VELLORAN_FLOOR";
    RegisterClassExW(&windowClass);
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT outer = {0, 0, 690, 390};
    AdjustWindowRectEx(&outer, style, FALSE, WS_EX_ACCEPTFILES);
    HWND window = CreateWindowExW(WS_EX_ACCEPTFILES, L"VELLORAN_FLOOR", L"Velloran", style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                  instance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    DestroyWindow(window);
    return 0;
}
