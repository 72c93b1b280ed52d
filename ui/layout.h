// Layout: moving and sizing controls when their window's client area or DPI changes.
#pragma once

#include "ui/ui_window.h"

// Lays out the controls of `window` (whose own handle hwnd must be) for the current client
// size, from each control's placement at creation; first applies a DPI change that came while
// the window was minimised. False when nothing was done.
bool layoutControls(UiWindow& window, HWND hwnd);

// WM_DPICHANGED: the window takes `dpi` and makes its controls' fonts again; it moves to
// `suggested` (the system's rectangle for it; null keeps its own), takes the size whose client
// area is its size in units at the DPI, puts every control at its place, lets its maker draw
// again (`dpiChanged`) and repaints. A minimised window does all but the fonts when it is
// restored (layoutControls). False without a window.
bool rescaleWindow(UiWindow& window, UINT dpi, const RECT* suggested);

// The window rectangle, at the origin, around the window's client size in units at dpi.
RECT windowRectForDpi(const UiWindow& window, DWORD style, DWORD exStyle, UINT dpi);

// WM_GETDPISCALEDSIZE: the window size whose client area is the window's size in units at
// dpi, with the frame the system draws there. False when the system's linear scaling has
// to do (no window, or a frameless one).
bool scaledWindowSize(const UiWindow& window, UINT dpi, SIZE& size);

// The size in units that `text` takes in a font of `pointSize` with the window's font fields at
// its DPI: wrapped at `width` units as a label wraps it, or on one line when `width` is 0. Link
// markup (<a ...> and </a>) takes no room. Rounded up, so that the box of that many units holds
// the text at that DPI.
UiSize measureText(const UiWindow& window, const wchar_t* text, int32_t width, double pointSize);

// The height in pixels that the text of control `index` needs in its own font wrapped at `width`
// pixels: a link's as the SysLink measures it (LM_GETIDEALHEIGHT, a pixel or more taller than
// DrawText gives), any other's as DrawText wraps it. 0 when there is no such control.
int32_t controlTextHeight(UiWindow& window, int32_t index, int32_t width);

// The width in pixels that the text of control `index` needs on one line in its own font; a
// link is as wide as the SysLink needs to keep it on one line.
int32_t controlTextWidth(UiWindow& window, int32_t index);

// A box in units.
struct UiBox {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// Control `index` takes `box` as its placement in units; it moves there at the next placement
// (setClientUnits, a change of DPI).
void setControlBox(UiWindow& window, int32_t index, const UiBox& box);

// The window's client area becomes `width` x `height` units at its DPI, and every control moves
// to its placement.
void setClientUnits(UiWindow& window, int32_t width, int32_t height);

// Text controls down a window, each as high as its text needs at least at the window's DPI: a
// box grows down to hold its text, and every box fitted after it moves down as far.
struct TextFlow {
    int32_t growth = 0;  // how far the boxes have grown so far, in units

    // Control `index` placed at `box` moved down by the growth so far, and grown to the height
    // its text needs in its own font, wrapped at the box's width; returns that placement.
    UiBox Fit(UiWindow& window, int32_t index, UiBox box);
};

// One axis of a control's placement: its stored offset and extent, and the parent's extent
// at the control's creation and now.
struct LayoutAxis {
    int32_t offset;
    int32_t extent;
    int32_t parentExtent;
    int32_t newParentExtent;
};

// The flag bits that steer one axis.
struct LayoutBits {
    uint32_t scaleExtent;
    uint32_t scaleOffset;
    uint32_t proportionalCentre;
    uint32_t centre;
    uint32_t anchorNear;
    uint32_t anchorFar;
};

constexpr LayoutBits kHorizontalBits{UI_SCALE_WIDTH, UI_SCALE_X,     UI_PROPORTIONAL_CENTRE_X,
                                     UI_CENTRE_X,    UI_ANCHOR_LEFT, UI_ANCHOR_RIGHT};
constexpr LayoutBits kVerticalBits{UI_SCALE_HEIGHT, UI_SCALE_Y,    UI_PROPORTIONAL_CENTRE_Y,
                                   UI_CENTRE_Y,     UI_ANCHOR_TOP, UI_ANCHOR_BOTTOM};

// The new offset and extent on one axis; false when no rule of `flags` applies to it, so the
// control keeps its current placement there. A rule that would divide by zero keeps the
// stored value instead.
bool placeOnAxis(const LayoutAxis& axis, uint32_t flags, const LayoutBits& bits, int32_t& offset, int32_t& extent);
