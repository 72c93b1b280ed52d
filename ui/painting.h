// Painting: the window background erase and the colours of child controls.
#pragma once

#include "ui/ui_window.h"

// WM_ERASEBKGND: paints the background into dc, leaving out opaque controls.
LRESULT eraseBackground(UiWindow& window, HWND hwnd, HDC dc, bool& passOn);

// WM_CTLCOLOREDIT and WM_CTLCOLORLISTBOX.
LRESULT editControlColours(UiWindow& window, HDC dc, HWND control, bool& passOn);

// WM_CTLCOLORBTN and WM_CTLCOLORSTATIC: a see-through control gets a brush cut from the
// background behind it.
LRESULT staticControlColours(UiWindow& window, HDC dc, HWND control, bool& passOn);
