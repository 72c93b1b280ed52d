// Layout: moving and sizing anchored controls when their window's client area changes.
#include "ui/layout.h"

#include "ui/controls.h"

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

bool layoutControls(UiWindow& window, HWND hwnd) {
    if (!hwnd || hwnd != window.hwnd || !window.controls || window.controlCount < 1 ||
        (GetWindowLongW(hwnd, GWL_STYLE) & WS_MINIMIZE) || !GetClientRect(hwnd, &window.currentClient)) {
        return false;
    }
    int32_t w = window.currentClient.right - window.currentClient.left;
    int32_t h = window.currentClient.bottom - window.currentClient.top;
    if (w == window.clientRect.right && h == window.clientRect.bottom) {
        return false;
    }
    window.clientRect = {0, 0, w, h};
    HDWP batch = BeginDeferWindowPos(window.controlCount + 1);
    if (!batch) {
        return false;
    }
    for (int32_t i = 1; i <= window.controlCount; ++i) {
        UiControl& control = window.controls[i];
        if (!control.index || !control.hwnd || !(control.flags & UI_LAYOUT_MASK)) {
            continue;
        }
        int32_t x = 0;
        int32_t width = 0;
        int32_t y = 0;
        int32_t height = 0;
        bool placedX =
            placeOnAxis({control.x, control.width, control.parentWidth, w}, control.flags, kHorizontalBits, x, width);
        bool placedY =
            placeOnAxis({control.y, control.height, control.parentHeight, h}, control.flags, kVerticalBits, y, height);
        HWND parent = GetParent(control.hwnd);
        if (!placedX || !placedY) {
            if (GetWindowRect(control.hwnd, &window.scratchRect2)) {
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
            } else {
                if (!placedX) {
                    x = control.x;
                    width = control.width;
                }
                if (!placedY) {
                    y = control.y;
                    height = control.height;
                }
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
