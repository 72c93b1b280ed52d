// Painting: the window background erase and the colours of child controls.
#pragma once

#include "ui/ui_window.h"

// Whether a high-contrast theme is on (SPI_GETHIGHCONTRAST). Then the background and the
// controls take the theme's colours, since the window's own were chosen for its own picture.
// Bound to the system's answer; Wine cannot turn high contrast on, so tests bind their own.
extern bool (*highContrastOn)();

// WM_ERASEBKGND: paints the background into dc, leaving out opaque controls.
LRESULT eraseBackground(UiWindow& window, HWND hwnd, HDC dc, bool& passOn);

// WM_CTLCOLOREDIT and WM_CTLCOLORLISTBOX.
LRESULT editControlColours(UiWindow& window, HDC dc, HWND control, bool& passOn);

// WM_CTLCOLORBTN and WM_CTLCOLORSTATIC: a see-through control gets a brush cut from the
// background behind it.
LRESULT staticControlColours(UiWindow& window, HDC dc, HWND control, bool& passOn);
