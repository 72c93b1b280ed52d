// Painting: the window background erase and the colours of child controls.
#include "ui/painting.h"

#include "ui/controls.h"
#include "ui/object_ledger.h"

namespace {

LRESULT passed(bool& passOn) {
    passOn = true;
    return 0;
}

bool systemHighContrast() {
    HIGHCONTRASTW contrast{sizeof(contrast), 0, nullptr};
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

void excludeOpaqueControls(UiWindow& window, HWND hwnd, HDC dc) {
    for (int32_t i = 1; i <= window.controlCount; ++i) {
        const UiControl& control = window.controls[i];
        if (!control.index || !control.hwnd || !(control.flags & UI_FLAG_OPAQUE) ||
            control.backColour == UI_COLOUR_TRANSPARENT || !IsWindowVisible(control.hwnd) ||
            GetParent(control.hwnd) != window.hwnd) {
            continue;
        }
        RECT area{};
        if (!GetWindowRect(control.hwnd, &area)) {
            continue;
        }
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&area), 2);
        ExcludeClipRect(dc, area.left, area.top, area.right, area.bottom);
    }
}

// A brush holding the part of the background that lies behind `control`, or the
// background brush itself when the control's place cannot be read; null to pass on.
HBRUSH brushBehind(UiWindow& window, HDC dc, HWND control) {
    RECT area{};
    if (!GetWindowRect(control, &area)) {
        return window.backgroundBrush;
    }
    int32_t width = area.right - area.left;
    int32_t height = area.bottom - area.top;
    MapWindowPoints(nullptr, window.hwnd, reinterpret_cast<POINT*>(&area), 2);
    HDC memory = heldGdiObject(CreateCompatibleDC(dc));
    if (!memory) {
        return nullptr;
    }
    HBITMAP bitmap = heldGdiObject(CreateCompatibleBitmap(dc, width, height));
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    if (window.backgroundKind == StretchedBitmap && window.memoryDC) {
        GetClientRect(window.hwnd, &window.scratchRect2);
        int32_t clientRight = window.scratchRect2.right;
        int32_t clientBottom = window.scratchRect2.bottom;
        if (clientRight > 0 && clientBottom > 0) {
            int32_t left = area.left * window.clientWidth / clientRight;
            int32_t right = area.right * window.clientWidth / clientRight;
            int32_t top = area.top * window.clientHeight / clientBottom;
            int32_t bottom = area.bottom * window.clientHeight / clientBottom;
            SetStretchBltMode(memory, HALFTONE);
            StretchBlt(memory, 0, 0, width, height, window.memoryDC, left, top, right - left, bottom - top, SRCCOPY);
        }
    } else {
        // The pattern then lines up with what the erase painted behind the control.
        SetBrushOrgEx(memory, -area.left, -area.top, nullptr);
        HGDIOBJ oldBrush = SelectObject(memory, window.backgroundBrush);
        PatBlt(memory, 0, 0, width, height, PATCOPY);
        SelectObject(memory, oldBrush);
    }
    SelectObject(memory, oldBitmap);
    deleteMemoryDc(memory);
    deleteGdiObject(window.patternBrush);
    window.patternBrush = bitmap ? heldGdiObject(CreatePatternBrush(bitmap)) : nullptr;
    deleteGdiObject(bitmap);
    return window.patternBrush;
}

}  // namespace

bool (*highContrastOn)() = systemHighContrast;

LRESULT eraseBackground(UiWindow& window, HWND hwnd, HDC dc, bool& passOn) {
    if (window.backgroundKind == NoBackground) {
        return passed(passOn);
    }
    if (!window.backgroundBrush) {
        return 1;
    }
    excludeOpaqueControls(window, hwnd, dc);
    RECT client{};
    if (GetClientRect(hwnd, &client)) {
        if (highContrastOn()) {
            FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
        } else if (window.backgroundKind == StretchedBitmap) {
            SetStretchBltMode(dc, HALFTONE);
            StretchBlt(dc, 0, 0, client.right, client.bottom, window.memoryDC, 0, 0, window.clientWidth,
                       window.clientHeight, SRCCOPY);
        } else {
            FillRect(dc, &client, window.backgroundBrush);
        }
    }
    SelectClipRgn(dc, nullptr);
    return 1;
}

LRESULT editControlColours(UiWindow& window, HDC dc, HWND hwnd, bool& passOn) {
    UiControl* control = controlOfHandle(window, hwnd);
    if (!control) {
        return passed(passOn);
    }
    if (control->textColour != UI_COLOUR_NONE) {
        SetTextColor(dc, static_cast<COLORREF>(control->textColour));
    }
    if (control->backColour != UI_COLOUR_NONE) {
        SetBkColor(dc, static_cast<COLORREF>(control->backColour));
    }
    if (!control->backBrush) {
        return passed(passOn);
    }
    return reinterpret_cast<LRESULT>(control->backBrush);
}

LRESULT staticControlColours(UiWindow& window, HDC dc, HWND hwnd, bool& passOn) {
    UiControl* control = controlOfHandle(window, hwnd);
    if (!control) {
        return passed(passOn);
    }
    if (highContrastOn()) {
        SetTextColor(dc, GetSysColor(control->kind == UI_KIND_LINK ? COLOR_HOTLIGHT : COLOR_WINDOWTEXT));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    if (control->textColour != UI_COLOUR_NONE) {
        SetTextColor(dc, static_cast<COLORREF>(control->textColour));
    }
    if (control->backColour == UI_COLOUR_TRANSPARENT) {
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    if (control->backColour == UI_COLOUR_NONE) {
        SetBkMode(dc, TRANSPARENT);
    } else {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, static_cast<COLORREF>(control->backColour));
    }
    HBRUSH brush = control->backBrush;
    if (!brush) {
        bool plain = window.backgroundKind == SolidBrush || window.backgroundKind == NoBackground;
        brush = plain ? window.backgroundBrush : brushBehind(window, dc, hwnd);
    }
    if (!brush) {
        return passed(passOn);
    }
    return reinterpret_cast<LRESULT>(brush);
}
