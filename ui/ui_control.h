// UiControl: one slot of a toolkit window's control table, and the codes that describe a control.
#pragma once

#include <windows.h>

#include <cstdint>

// Control kinds the toolkit creates.
constexpr int32_t UI_KIND_BUTTON = 3;
constexpr int32_t UI_KIND_LABEL = 13;
constexpr int32_t UI_KIND_IMAGE = 19;
constexpr int32_t UI_KIND_LINK = 31;

// Layout bits of `flags`.
constexpr uint32_t UI_ANCHOR_LEFT = 0x0001;
constexpr uint32_t UI_ANCHOR_RIGHT = 0x0002;
constexpr uint32_t UI_CENTRE_X = 0x0004;
constexpr uint32_t UI_PROPORTIONAL_CENTRE_X = 0x0008;
constexpr uint32_t UI_ANCHOR_TOP = 0x0010;
constexpr uint32_t UI_ANCHOR_BOTTOM = 0x0020;
constexpr uint32_t UI_CENTRE_Y = 0x0040;
constexpr uint32_t UI_PROPORTIONAL_CENTRE_Y = 0x0080;
constexpr uint32_t UI_SCALE_WIDTH = 0x0100;
constexpr uint32_t UI_SCALE_HEIGHT = 0x0200;
constexpr uint32_t UI_SCALE_X = 0x2000;
constexpr uint32_t UI_SCALE_Y = 0x4000;
// Every layout bit except the plain left and top anchors: a control takes part in layout
// only with one of these.
constexpr uint32_t UI_LAYOUT_MASK = 0x63EE;

// Behaviour bits of `flags` read by the window procedure.
constexpr uint32_t UI_FLAG_OPAQUE = 0x0400;
constexpr uint32_t UI_FLAG_DRAGS_WINDOW = 0x1000;
constexpr uint32_t UI_FLAG_REPAINT_AFTER_SIZING = 0x8000;

// `backColour` values with a meaning of their own.
constexpr int32_t UI_COLOUR_NONE = -1;         // leave the DC's colour alone
constexpr int32_t UI_COLOUR_TRANSPARENT = -2;  // fully see-through

// A slot is free when `index` is 0. Slot indices are also the controls' window identifiers.
struct UiControl {
    int32_t kind;
    HWND hwnd;
    int32_t index;
    HBRUSH backBrush;  // owned
    HFONT font;        // owned
    double fontPoints;  // the font's size, for making it again at another DPI
    HCURSOR icon;      // not owned
    int32_t textColour;
    int32_t backColour;
    // Where the control was placed, and its parent's client size then, in units of 1/96 inch.
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    int32_t parentWidth;
    int32_t parentHeight;
    uint32_t flags;
    int32_t auxValue;
    HANDLE extra;  // owned; for images the control's own copy of its bitmap
};
