// Layout: moving and sizing controls when their window's client area or DPI changes.
#include "ui/layout.h"

#include <commctrl.h>

#include <string>

#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/object_ledger.h"
#include "ui/tooltip.h"

namespace {

// The text as a link shows it: without its markup.
std::wstring shownText(const wchar_t* text) {
    std::wstring shown(text);
    for (size_t open = shown.find(L'<'); open != std::wstring::npos; open = shown.find(L'<', open)) {
        const size_t close = shown.find(L'>', open);
        const bool tag = close != std::wstring::npos &&
                         (shown.compare(open, 3, L"<a>") == 0 || shown.compare(open, 3, L"<a ") == 0 ||
                          shown.compare(open, 4, L"</a>") == 0);
        if (tag) {
            shown.erase(open, close - open + 1);
        } else {
            ++open;
        }
    }
    return shown;
}

int32_t pixelsToUnitsRoundingUp(int32_t pixels, UINT dpi) {
    const int32_t perInch = static_cast<int32_t>(dpi);
    return (pixels * USER_DEFAULT_SCREEN_DPI + perInch - 1) / perInch;
}

}  // namespace

UiSize measureText(const UiWindow& window, const wchar_t* text, int32_t width, double pointSize) {
    const std::wstring shown = shownText(text);
    RECT area = {0, 0, unitsToPixels(width, window.dpi), 0};
    // The message box's text shows an & as it is; the other texts hold none.
    const UINT format = DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    HDC dc = GetDC(nullptr);
    HFONT font = createControlFont(window, pointSize, window.fontWeight);
    if (dc) {
        HGDIOBJ previous = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
        DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &area, format);
        SelectObject(dc, previous);
        ReleaseDC(nullptr, dc);
    }
    deleteGdiObject(font);
    return {pixelsToUnitsRoundingUp(area.right, window.dpi), pixelsToUnitsRoundingUp(area.bottom, window.dpi)};
}

namespace {

// SysLink's wrapped height at `width` pixels. With a width the message is LM_GETIDEALSIZE, which
// writes the size to lParam (Wine writes it there without a check):
// https://learn.microsoft.com/windows/win32/controls/lm-getidealsize
int32_t linkHeight(HWND link, int32_t width) {
    SIZE ideal{};
    return static_cast<int32_t>(
        SendMessageW(link, LM_GETIDEALHEIGHT, static_cast<WPARAM>(width), reinterpret_cast<LPARAM>(&ideal)));
}

// The control's text without link markup, and the size DrawText gives it in the control's font.
SIZE drawnTextSize(HWND control, int32_t width) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, &text[0], length + 1)));
    const std::wstring shown = shownText(text.c_str());
    RECT area = {0, 0, width, 0};
    const UINT format = DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    HDC dc = GetDC(control);
    if (dc) {
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
        DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &area, format);
        SelectObject(dc, previous);
        ReleaseDC(control, dc);
    }
    return {area.right, area.bottom};
}

// Wider than any text of ours on one line.
constexpr int32_t kOneLineWidth = 32767;
// How far past DrawText's width a link is widened at most to keep it on one line.
constexpr int32_t kMostLinkWidening = 64;

}  // namespace

int32_t controlTextHeight(UiWindow& window, int32_t index, int32_t width) {
    const UiControl* control = liveControl(window, index);
    if (!control || !control->hwnd) {
        return 0;
    }
    return control->kind == UI_KIND_LINK ? linkHeight(control->hwnd, width) : drawnTextSize(control->hwnd, width).cy;
}

int32_t controlTextWidth(UiWindow& window, int32_t index) {
    const UiControl* control = liveControl(window, index);
    if (!control || !control->hwnd) {
        return 0;
    }
    int32_t width = drawnTextSize(control->hwnd, 0).cx;
    if (control->kind == UI_KIND_LINK) {
        // SysLink measures and wraps its items its own way: widen until it keeps one line.
        const int32_t oneLine = linkHeight(control->hwnd, kOneLineWidth);
        for (const int32_t most = width + kMostLinkWidening;
             width < most && linkHeight(control->hwnd, width) > oneLine;) {
            width += 1;
        }
    }
    return width;
}

void setControlBox(UiWindow& window, int32_t index, const UiBox& box) {
    if (UiControl* control = liveControl(window, index)) {
        control->x = box.x;
        control->y = box.y;
        control->width = box.width;
        control->height = box.height;
    }
}

UiBox TextFlow::Fit(UiWindow& window, int32_t index, UiBox box) {
    box.y += growth;
    const RECT place = unitRectToPixels(box.x, box.y, box.width, box.height, window.dpi);
    const int32_t needed =
        unitsSpanning(box.y, 1, controlTextHeight(window, index, place.right - place.left), window.dpi);
    if (needed > box.height) {
        growth += needed - box.height;
        box.height = needed;
    }
    setControlBox(window, index, box);
    return box;
}

bool placeOnAxis(const LayoutAxis& axis, uint32_t flags, const LayoutBits& bits, int32_t& offset, int32_t& extent) {
    const int32_t stored = axis.offset;
    const int32_t size = axis.extent;
    const int32_t parent = axis.parentExtent;
    const int32_t now = axis.newParentExtent;
    // A parent extent of 0 at creation gives nothing to scale by: the stored values stay.
    extent = (flags & bits.scaleExtent) && parent != 0 ? now * size / parent : size;
    if (flags & bits.scaleOffset) {
        offset = parent != 0 ? now * stored / parent : stored;
    } else if (flags & bits.proportionalCentre) {
        int32_t centre = size / 2 + stored;
        int32_t fraction = centre != 0 ? parent * 1000 / centre : 0;
        // A centre at 0, or one beyond 1000 parent widths, has no fraction: keep the stored offset.
        offset = fraction != 0 ? now * 1000 / fraction - extent / 2 : stored;
    } else if (flags & bits.centre) {
        offset = size / 2 + stored - extent / 2 + now / 2 - parent / 2;
    } else if (flags & (bits.anchorNear | bits.anchorFar)) {
        offset = stored;
        if (flags & bits.anchorFar) {
            int32_t distance = now - parent + size - extent;
            if (flags & bits.anchorNear) {
                extent += distance;
            } else {
                offset = stored + distance;
            }
        }
    } else {
        return false;
    }
    return true;
}

namespace {

// Places the controls for the client size and DPI. With `rescale` every control the toolkit
// placed moves to its place at the DPI, even when the client size did not change; otherwise
// only controls with layout bits move, and only when it did.
bool placeControls(UiWindow& window, HWND hwnd, bool rescale) {
    if (!hwnd || hwnd != window.hwnd || !window.controls || window.controlCount < 1 ||
        (GetWindowLongW(hwnd, GWL_STYLE) & WS_MINIMIZE) || !GetClientRect(hwnd, &window.currentClient)) {
        return false;
    }
    int32_t w = window.currentClient.right - window.currentClient.left;
    int32_t h = window.currentClient.bottom - window.currentClient.top;
    if (!rescale && w == window.clientRect.right && h == window.clientRect.bottom) {
        return false;
    }
    window.clientRect = {0, 0, w, h};
    HDWP batch = BeginDeferWindowPos(window.controlCount + 1);
    if (!batch) {
        return false;
    }
    for (int32_t i = 1; i <= window.controlCount; ++i) {
        UiControl& control = window.controls[i];
        const bool laidOut = control.flags & UI_LAYOUT_MASK;
        // A control registered after it was made elsewhere has no placement of the toolkit's.
        const bool placed = control.width != 0 || control.height != 0;
        if (!control.index || !control.hwnd || !(laidOut || (rescale && placed))) {
            continue;
        }
        const RECT unit = unitRectToPixels(control.x, control.y, control.width, control.height, window.dpi);
        int32_t x = unit.left;
        int32_t width = unit.right - unit.left;
        int32_t y = unit.top;
        int32_t height = unit.bottom - unit.top;
        bool placedX = !laidOut;
        bool placedY = !laidOut;
        if (laidOut) {
            const int32_t parentWidth = unitsToPixels(control.parentWidth, window.dpi);
            const int32_t parentHeight = unitsToPixels(control.parentHeight, window.dpi);
            placedX = placeOnAxis({x, width, parentWidth, w}, control.flags, kHorizontalBits, x, width);
            placedY = placeOnAxis({y, height, parentHeight, h}, control.flags, kVerticalBits, y, height);
        }
        HWND parent = GetParent(control.hwnd);
        // An axis no rule steers keeps the control's current place, or its own at a new DPI.
        if ((!placedX || !placedY) && !rescale && GetWindowRect(control.hwnd, &window.scratchRect2)) {
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window.scratchRect2), 2);
            const RECT& current = window.scratchRect2;
            if (!placedX) {
                x = current.left;
                width = current.right - current.left;
            }
            if (!placedY) {
                y = current.top;
                height = current.bottom - current.top;
            }
        }
        if (parent == hwnd) {
            batch = DeferWindowPos(batch, control.hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOOWNERZORDER);
            if (!batch) {
                return false;
            }
        } else {
            SetWindowPos(control.hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOOWNERZORDER);
        }
        if (control.flags & UI_FLAG_REPAINT_AFTER_SIZING) {
            invalidateInParent(control.hwnd);
        }
    }
    return EndDeferWindowPos(batch) != 0;
}

// Sizes the window so that its client area is the window's size in units at its DPI, with
// the frame measured as it is now. Windows scales the rectangle it suggests on WM_DPICHANGED
// linearly, frame included, though frame metrics are whole pixels per DPI, and under
// Per-Monitor v1 it does not scale the frame at all.
void fitClient(UiWindow& window) {
    RECT outer{};
    RECT client{};
    if (window.unitClient.width <= 0 || !GetWindowRect(window.hwnd, &outer) || !GetClientRect(window.hwnd, &client)) {
        return;
    }
    const int32_t width = unitsToPixels(window.unitClient.width, window.dpi);
    const int32_t height = unitsToPixels(window.unitClient.height, window.dpi);
    if (client.right != width || client.bottom != height) {
        SetWindowPos(window.hwnd, nullptr, 0, 0, outer.right - outer.left - client.right + width,
                     outer.bottom - outer.top - client.bottom + height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
}

// The window at its size in units at its DPI, and every control at its place.
void fitAndPlace(UiWindow& window) {
    fitClient(window);
    GetClientRect(window.hwnd, &window.scratchRect);
    window.clientWidth = window.scratchRect.right;
    window.clientHeight = window.scratchRect.bottom;
    placeControls(window, window.hwnd, true);
}

// The window at its DPI: its size, every control at its place, and what its maker draws.
void applyScale(UiWindow& window) {
    window.scalePending = 0;
    fitAndPlace(window);
    if (window.dpiChanged) {
        window.dpiChanged(window.dpiContext);
    }
    RedrawWindow(window.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace

void setClientUnits(UiWindow& window, int32_t width, int32_t height) {
    window.unitClient = {width, height};
    if (!window.hwnd || IsIconic(window.hwnd)) {
        return;
    }
    fitAndPlace(window);
}

bool layoutControls(UiWindow& window, HWND hwnd) {
    if (window.scalePending && hwnd && hwnd == window.hwnd && !IsIconic(hwnd)) {
        applyScale(window);
        return true;
    }
    return placeControls(window, hwnd, false);
}

bool rescaleWindow(UiWindow& window, UINT dpi, const RECT* suggested) {
    if (!window.hwnd || dpi == 0) {
        return false;
    }
    window.dpi = dpi;
    for (int32_t i = 1; i <= window.controlCount; ++i) {
        if (window.controls[i].index) {
            rescaleControlFont(window, window.controls[i]);
        }
    }
    scaleTooltipFont(window);
    // A minimised window has no client area to fit: it is sized and laid out when restored.
    if (IsIconic(window.hwnd)) {
        window.scalePending = 1;
        return true;
    }
    if (suggested) {
        SetWindowPos(window.hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
    applyScale(window);
    return true;
}

RECT windowRectForDpi(const UiWindow& window, DWORD style, DWORD exStyle, UINT dpi) {
    RECT outer = {0, 0, unitsToPixels(window.unitClient.width, dpi), unitsToPixels(window.unitClient.height, dpi)};
    adjustWindowRectForDpi(outer, style, exStyle, dpi);
    return outer;
}

bool scaledWindowSize(const UiWindow& window, UINT dpi, SIZE& size) {
    if (!window.hwnd || window.frameless || window.unitClient.width <= 0 || dpi == 0) {
        return false;
    }
    const RECT outer = windowRectForDpi(window, static_cast<DWORD>(GetWindowLongW(window.hwnd, GWL_STYLE)),
                                        static_cast<DWORD>(GetWindowLongW(window.hwnd, GWL_EXSTYLE)), dpi);
    size = {outer.right - outer.left, outer.bottom - outer.top};
    return true;
}
