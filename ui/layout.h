// Layout: moving and sizing anchored controls when their window's client area changes.
#pragma once

#include "ui/ui_window.h"

// Lays out the controls of `window` (whose own handle hwnd must be) for the current client
// size, from each control's placement at creation. False when nothing was done.
bool layoutControls(UiWindow& window, HWND hwnd);

// One axis of a control's placement: the stored offset and extent, the parent extent at
// creation and now. Returns false when the axis keeps the control's current placement.
struct LayoutAxis {
    int32_t offset;
    int32_t extent;
    int32_t parentExtent;
    int32_t newParentExtent;
};
struct LayoutBits {
    uint32_t scaleExtent;
    uint32_t scaleOffset;
    uint32_t proportionalCentre;
    uint32_t centre;
    uint32_t anchorNear;
    uint32_t anchorFar;
};
constexpr LayoutBits kHorizontalBits{UI_SCALE_WIDTH, UI_SCALE_X, UI_PROPORTIONAL_CENTRE_X,
                                     UI_CENTRE_X,    UI_ANCHOR_LEFT, UI_ANCHOR_RIGHT};
constexpr LayoutBits kVerticalBits{UI_SCALE_HEIGHT, UI_SCALE_Y, UI_PROPORTIONAL_CENTRE_Y,
                                   UI_CENTRE_Y,     UI_ANCHOR_TOP,  UI_ANCHOR_BOTTOM};
bool placeOnAxis(const LayoutAxis& axis, uint32_t flags, const LayoutBits& bits, int32_t& offset, int32_t& extent);
