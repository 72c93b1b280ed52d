// The control table of a UiWindow: growth, registration, lookup, fonts and removal.
#include "ui/controls.h"

#include <commctrl.h>

#include <cmath>
#include <cstring>

#include "ui/dpi.h"
#include "ui/event_loop.h"
#include "ui/object_ledger.h"

namespace {

constexpr int32_t kFirstCapacity = 512;

}  // namespace

bool ensureControlCapacity(UiWindow& window) {
    if (!window.controls) {
        window.controls = new UiControl[kFirstCapacity]();
        window.controlCapacity = kFirstCapacity;
        window.controlCount = 0;
        return true;
    }
    if (window.controlCount > window.controlCapacity - 4) {
        int32_t capacity = window.controlCapacity * 2;
        auto* grown = new UiControl[capacity]();
        memcpy(grown, window.controls, sizeof(UiControl) * (static_cast<size_t>(window.controlCount) + 1));
        delete[] window.controls;
        window.controls = grown;
        window.controlCapacity = capacity;
    }
    return true;
}

namespace {

// The character height of a font of pointSize (8.5 below 1) at dpi, as CreateFont takes it,
// rounded as MulDiv rounds: 10 points at 120 DPI are 17 pixels.
int32_t fontHeight(double pointSize, UINT dpi) {
    double size = pointSize < 1 ? 8.5 : pointSize;
    return -static_cast<int32_t>(std::lround(size * dpi / 72));
}

}  // namespace

HFONT createControlFont(const UiWindow& window, double pointSize, int32_t weight) {
    const int32_t height = fontHeight(pointSize, window.dpi);
    // Bit 0 of the style (the default style 1) changes nothing: the weight decides boldness.
    return heldGdiObject(CreateFontW(height, 0, 0, 0, weight < 1 ? FW_NORMAL : weight, (window.fontStyle >> 1) & 1,
                                     (window.fontStyle >> 2) & 1, (window.fontStyle >> 3) & 1, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     window.fontQuality ? window.fontQuality : CLEARTYPE_QUALITY, 0, window.fontFace));
}

int32_t registerControl(UiWindow& window, int32_t kind, HWND hwnd) {
    window.controlCount += 1;
    int32_t n = window.controlCount;
    UiControl& slot = window.controls[n];
    slot = UiControl{};
    slot.hwnd = hwnd;
    slot.index = n;
    slot.kind = kind;
    if (window.fontSize != 0 && hwnd) {
        // Kept in the slot so that removing the control deletes it.
        slot.font = createControlFont(window, window.fontSize, window.fontWeight);
        slot.fontPoints = window.fontSize;
        if (slot.font) {
            SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(slot.font), FALSE);
        }
    }
    slot.flags = window.nextControlFlags;
    slot.textColour =
        window.nextTextColour < 0 ? static_cast<int32_t>(GetSysColor(COLOR_BTNTEXT)) : window.nextTextColour;
    slot.backColour = window.nextBackColour;
    if (slot.backColour >= 0) {
        slot.backBrush = heldGdiObject(CreateSolidBrush(static_cast<COLORREF>(slot.backColour)));
    }
    window.nextStartsGroup = 0;
    if (slot.flags & UI_LAYOUT_MASK) {
        GetClientRect(window.hwnd, &window.scratchRect);
        const int dpi = static_cast<int>(window.dpi);
        slot.parentWidth = MulDiv(window.scratchRect.right - window.scratchRect.left, USER_DEFAULT_SCREEN_DPI, dpi);
        slot.parentHeight = MulDiv(window.scratchRect.bottom - window.scratchRect.top, USER_DEFAULT_SCREEN_DPI, dpi);
    }
    return n;
}

int32_t addChildControl(UiWindow& window,
                        int32_t kind,
                        const wchar_t* className,
                        const wchar_t* text,
                        DWORD style,
                        int32_t x,
                        int32_t y,
                        int32_t width,
                        int32_t height) {
    ensureControlCapacity(window);
    if (window.nextStartsGroup) {
        style |= WS_GROUP;
    }
    const RECT place = unitRectToPixels(x, y, width, height, window.dpi);
    HWND hwnd = heldUserObject(CreateWindowExW(0, className, text, style, place.left, place.top,
                                               place.right - place.left, place.bottom - place.top, window.controlParent,
                                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(window.controlCount + 1)),
                                               window.instance, nullptr));
    if (!hwnd) {
        return 0;
    }
    int32_t index = registerControl(window, kind, hwnd);
    UiControl& slot = window.controls[index];
    slot.x = x;
    slot.y = y;
    slot.width = width;
    slot.height = height;
    return index;
}

UiControl* liveControl(UiWindow& window, int32_t index) {
    if (index == -1) {
        index = window.controlCount;
    }
    if (!window.controls || index < 1 || index > window.controlCount || !window.controls[index].index) {
        return nullptr;
    }
    return &window.controls[index];
}

UiControl* controlOfHandle(UiWindow& window, HWND hwnd) {
    if (!hwnd) {
        return nullptr;
    }
    UiControl* control = liveControl(window, static_cast<int32_t>(GetWindowLongW(hwnd, GWL_ID)));
    return control && control->hwnd == hwnd ? control : nullptr;
}

void invalidateInParent(HWND control) {
    HWND parent = GetParent(control);
    RECT area{};
    GetClientRect(control, &area);
    MapWindowPoints(control, parent, reinterpret_cast<POINT*>(&area), 2);
    InvalidateRect(parent, &area, TRUE);
}

bool setLastControlFontSize(UiWindow& window, double pointSize) {
    UiControl* control = liveControl(window, -1);
    if (!control || !control->hwnd) {
        return false;
    }
    HFONT font = createControlFont(window, pointSize, FW_NORMAL);
    if (!font) {
        return false;
    }
    SendMessageW(control->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    deleteGdiObject(control->font);
    control->font = font;
    control->fontPoints = pointSize;
    return true;
}

void rescaleControlFont(const UiWindow& window, UiControl& control) {
    LOGFONTW shape{};
    if (!control.font || !GetObjectW(control.font, sizeof(shape), &shape)) {
        return;
    }
    shape.lfHeight = fontHeight(control.fontPoints, window.dpi);
    HFONT font = heldGdiObject(CreateFontIndirectW(&shape));
    if (!font) {
        return;
    }
    SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    deleteGdiObject(control.font);
    control.font = font;
}

bool removeControl(UiWindow& window, int32_t index) {
    if (index == -1) {
        return false;
    }
    UiControl* control = liveControl(window, index);
    if (!control) {
        return false;
    }
    if (control->kind == UI_KIND_BUTTON && control->hwnd) {
        BUTTON_IMAGELIST images{};
        if (SendMessageW(control->hwnd, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images)) && images.himl) {
            ImageList_Destroy(images.himl);
        }
    }
    if (control->hwnd) {
        ShowWindow(control->hwnd, SW_HIDE);
        destroyHeldWindow(control->hwnd);
    }
    deleteGdiObject(control->font);
    deleteGdiObject(control->backBrush);
    if (control->kind == UI_KIND_IMAGE) {
        deleteGdiObject(control->extra);
    }
    *control = UiControl{};
    if (index == window.controlCount) {
        while (window.controlCount > 0 && !window.controls[window.controlCount].index) {
            window.controlCount -= 1;
        }
    }
    pumpPending(window.eventTarget);
    return true;
}
