// The native window of a UiWindow: class registration, creation, centring, icon adoption,
// subclassing and teardown.
#include "ui/window_lifetime.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/layout.h"
#include "ui/object_ledger.h"
#include "ui/window_procedure.h"

namespace {

constexpr int32_t kClassExtraBytes = 512;
constexpr COLORREF kClassBackground = RGB(254, 254, 254);
constexpr int32_t kModulePathLimit = 2048;

HICON parentIcon(HWND parent, WPARAM which, int classIndex) {
    HICON icon = reinterpret_cast<HICON>(SendMessageW(parent, WM_GETICON, which, 0));
    if (!icon) {
        icon = reinterpret_cast<HICON>(DefWindowProcW(parent, WM_GETICON, which, 0));
    }
    if (!icon) {
        icon = reinterpret_cast<HICON>(GetClassLongPtrW(parent, classIndex));
    }
    return icon;
}

// Icons already entered in the ledger become the window's.
bool giveIcons(UiWindow& window, HICON large, HICON small) {
    if (!large && !small) {
        return false;
    }
    HICON replacedSmall = nullptr;
    HICON replacedLarge = nullptr;
    if (small) {
        replacedSmall =
            reinterpret_cast<HICON>(SendMessageW(window.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small)));
    }
    if (large) {
        replacedLarge =
            reinterpret_cast<HICON>(SendMessageW(window.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large)));
    }
    destroyHeldIcon(replacedSmall);
    // The caption is repainted before the last old icon goes.
    RedrawWindow(window.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    destroyHeldIcon(replacedLarge);
    return true;
}

// A window with a parent shows the parent's icons; one without shows the program file's.
void adoptIcons(UiWindow& window, HWND parent) {
    HICON large = nullptr;
    HICON small = nullptr;
    if (parent && IsWindow(parent)) {
        HICON parentLarge = parentIcon(parent, ICON_BIG, GCLP_HICON);
        HICON parentSmall = parentIcon(parent, ICON_SMALL, GCLP_HICONSM);
        large = parentLarge ? heldUserObject(CopyIcon(parentLarge)) : nullptr;
        small = parentSmall ? heldUserObject(CopyIcon(parentSmall)) : nullptr;
    } else {
        wchar_t* path = window.text.PrepareBuffer(kModulePathLimit + 1);
        GetModuleFileNameW(window.instance, path, kModulePathLimit);
        window.text.MarkForRecount();
        UINT sizes = MAKELONG(systemMetricForDpi(SM_CXICON, window.dpi), systemMetricForDpi(SM_CXSMICON, window.dpi));
        if (FAILED(SHDefExtractIconW(window.text.CStr(), 0, 0, &large, &small, sizes))) {
            return;
        }
        heldUserObject(large);
        heldUserObject(small);
    }
    giveIcons(window, large, small);
}

// The system does not destroy the icons a window was given; they are the window's copies.
void releaseIcons(HWND hwnd) {
    for (WPARAM which : {ICON_SMALL, ICON_BIG}) {
        destroyHeldIcon(reinterpret_cast<HICON>(SendMessageW(hwnd, WM_SETICON, which, 0)));
    }
}

bool registerWindowClass(UiWindow& window, const wchar_t* className) {
    WNDCLASSEXW known{};
    known.cbSize = sizeof(known);
    if (GetClassInfoExW(window.instance, className, &known)) {
        window.classExisted = 1;
        return true;
    }
    window.classExisted = 0;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;
    wc.cbClsExtra = kClassExtraBytes;
    wc.cbWndExtra = kClassExtraBytes;
    wc.hInstance = window.instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The class owns this brush: the system deletes it when the class is unregistered.
    wc.hbrBackground = CreateSolidBrush(kClassBackground);
    wc.lpszClassName = className;
    window.classAtom = RegisterClassExW(&wc);
    if (!window.classAtom) {
        DeleteObject(wc.hbrBackground);
        return false;
    }
    return true;
}

}  // namespace

bool setWindowIcons(UiWindow& window, HICON large, HICON small) {
    if (!window.hwnd) {
        return false;
    }
    return giveIcons(window, heldUserObject(large), heldUserObject(small));
}

void applyFontDefaults(UiWindow& window) {
    window.fontSize = 9.0;
    window.fontWeight = FW_NORMAL;
    window.fontStyle = 1;
    window.fontQuality = 0;
    wcscpy(window.fontFace, L"Arial");
}

UiWindow::UiWindow() {
    resetState(*this, true);
}

UiWindow::~UiWindow() {
    destroyWindow(*this);
    delete[] controls;
    controls = nullptr;
    controlCapacity = 0;
    controlCount = 0;
}

void resetState(UiWindow& window, bool clearControls) {
    window.hwnd = nullptr;
    window.controlParent = nullptr;
    window.popupWindow = nullptr;
    window.tooltip = nullptr;
    window.tooltipFont = nullptr;
    window.attachedCount = 0;
    memset(window.attachedWindows, 0, sizeof(window.attachedWindows));
    window.scratchRect = {};
    window.scratchRect2 = {};
    window.minTrackSize = {};
    window.maxTrackSize = {};
    window.clientRect = {};
    window.currentClient = {};
    window.fontSize = 0;
    window.fontWeight = 0;
    window.fontStyle = 0;
    memset(window.fontFace, 0, sizeof(window.fontFace));
    window.fontQuality = 0;
    window.frameless = 0;
    window.mouseX = 0;
    window.mouseY = 0;
    window.mouseKeys = 0;
    window.hotControl = 0;
    window.dpi = USER_DEFAULT_SCREEN_DPI;
    window.unitClient = {};
    window.scalePending = 0;
    if (!window.instance) {
        window.instance = GetModuleHandleW(nullptr);
    }
    window.backgroundBitmap = nullptr;
    window.backgroundBrush = nullptr;
    window.patternBrush = nullptr;
    window.classAtom = 0;
    window.defaultButton = 0;
    window.nextControlFlags = 0;
    window.cursor = nullptr;
    window.backgroundKind = SolidBrush;
    window.nextStartsGroup = 0;
    window.memoryDC = nullptr;
    window.nextTextColour = -1;
    window.nextBackColour = -1;
    if (clearControls) {
        window.controls = nullptr;
        window.controlCount = 0;
        window.controlCapacity = 0;
    }
}

HWND createWindow(UiWindow& window,
                  const wchar_t* className,
                  const wchar_t* title,
                  int32_t clientWidth,
                  int32_t clientHeight,
                  int32_t x,
                  int32_t y,
                  DWORD style,
                  DWORD exStyle,
                  HWND parent) {
    if (window.hwnd) {
        destroyWindow(window);
    }
    if (style == static_cast<DWORD>(-1)) {
        style = UI_DEFAULT_STYLE;
    }
    if (exStyle == static_cast<DWORD>(-1)) {
        exStyle = UI_DEFAULT_EX_STYLE;
    }
    if (!registerWindowClass(window, className)) {
        return nullptr;
    }
    // The window opens beside its parent, or where the system puts new windows; on another
    // monitor it is sized again below for that monitor's DPI.
    window.unitClient = {clientWidth, clientHeight};
    UINT dpi = parent ? windowDpi(parent) : systemDpi();
    RECT outer = windowRectForDpi(window, style, exStyle, dpi);
    window.hwnd = heldUserObject(CreateWindowExW(exStyle, className, title, style, x, y, outer.right - outer.left,
                                                 outer.bottom - outer.top, parent, nullptr, window.instance, nullptr));
    if (!window.hwnd) {
        return nullptr;
    }
    window.dpi = windowDpi(window.hwnd);
    if (window.dpi != dpi) {
        outer = windowRectForDpi(window, style, exStyle, window.dpi);
        SetWindowPos(window.hwnd, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (window.eventTarget) {
        *window.eventTarget = UiEvent{};
    }
    SetWindowSubclass(window.hwnd, windowSubclassProc, reinterpret_cast<UINT_PTR>(&window), 0);
    if (x == -1 && y == -1) {
        centreWindow(window.hwnd, parent);
    }
    applyFontDefaults(window);
    adoptIcons(window, parent);
    window.backgroundBrush = heldGdiObject(CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
    window.controlParent = window.hwnd;
    if (!window.memoryDC) {
        HDC dc = GetDC(window.hwnd);
        window.memoryDC = heldGdiObject(CreateCompatibleDC(dc));
        ReleaseDC(window.hwnd, dc);
    }
    GetClientRect(window.hwnd, &window.clientRect);
    window.clientRect.right -= window.clientRect.left;
    window.clientRect.bottom -= window.clientRect.top;
    window.clientRect.left = 0;
    window.clientRect.top = 0;
    window.clientWidth = window.clientRect.right;
    window.clientHeight = window.clientRect.bottom;
    return window.hwnd;
}

bool destroyWindow(UiWindow& window) {
    if (!window.hwnd) {
        return false;
    }
    if (IsWindowVisible(window.hwnd)) {
        ShowWindow(window.hwnd, SW_HIDE);
    }
    wchar_t className[261] = {};
    GetClassNameW(window.hwnd, className, 261);
    // Before the controls that are its tools.
    destroyHeldWindow(window.tooltip);
    deleteGdiObject(window.tooltipFont);
    for (int32_t i = window.controlCount; i >= 1; --i) {
        if (window.controls && window.controls[i].index) {
            removeControl(window, i);
        }
    }
    if (window.popupWindow) {
        DestroyWindow(window.popupWindow);
    }
    if (window.backgroundKind != BorrowedBrush) {
        deleteGdiObject(window.backgroundBrush);
    }
    deleteGdiObject(window.patternBrush);
    // A bitmap still selected into a DC cannot be deleted: give the DC its own one back first.
    if (window.memoryDC && window.initialDcBitmap) {
        SelectObject(window.memoryDC, window.initialDcBitmap);
    }
    window.initialDcBitmap = nullptr;
    deleteMemoryDc(window.memoryDC);
    deleteGdiObject(window.backgroundBitmap);
    releaseIcons(window.hwnd);
    RemoveWindowSubclass(window.hwnd, windowSubclassProc, reinterpret_cast<UINT_PTR>(&window));
    destroyHeldWindow(window.hwnd);
    if (!window.classExisted && className[0]) {
        UnregisterClassW(className, window.instance);
    }
    resetState(window, false);
    return true;
}

bool centreWindow(HWND hwnd, HWND reference) {
    RECT area{};
    if (reference) {
        if (!GetWindowRect(reference, &area)) {
            return false;
        }
    } else if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
        return false;
    }
    RECT own{};
    if (!GetWindowRect(hwnd, &own)) {
        return false;
    }
    int32_t w = own.right - own.left;
    int32_t h = own.bottom - own.top;
    int32_t x = (area.right - area.left) / 2 + area.left - w / 2;
    int32_t y = (area.bottom - area.top) / 2 + area.top - h / 2;
    if (!reference) {
        // Taller or wider than the work area: the caption and the left edge stay on it.
        x = std::max(x, static_cast<int32_t>(area.left));
        y = std::max(y, static_cast<int32_t>(area.top));
    }
    return SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOOWNERZORDER);
}
