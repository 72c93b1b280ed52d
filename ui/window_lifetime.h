// The native window of a UiWindow: class registration, creation, centring, icons and teardown.
#pragma once

#include "ui/ui_window.h"

// Default style and extended style of createWindow (-1).
constexpr DWORD UI_DEFAULT_STYLE = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD UI_DEFAULT_EX_STYLE = WS_EX_ACCEPTFILES;

// Clears the handle fields, rectangles, fonts and background settings; with clearControls
// also forgets the control table (without freeing it: the caller does that).
void resetState(UiWindow& window, bool clearControls);

// Creates the native window with a client area of clientWidth x clientHeight units at the
// window's DPI. style and exStyle -1 take the defaults above; x and y both -1 centre the
// window on parent (or on the work area). Destroys an existing window first. Set
// `eventTarget` before calling: it is zeroed here. Returns the new hwnd or null.
HWND createWindow(UiWindow& window,
                  const wchar_t* className,
                  const wchar_t* title,
                  int32_t clientWidth,
                  int32_t clientHeight,
                  int32_t x,
                  int32_t y,
                  DWORD style,
                  DWORD exStyle,
                  HWND parent);

// Removes the controls (highest index first) and releases every handle; false when there
// is no window.
bool destroyWindow(UiWindow& window);

// Gives the window its own icons; either may be null. The window owns them from then on:
// the icons they replace are destroyed here, and destroyWindow destroys them. False, with
// nothing taken, when there is no window or no icon.
bool setWindowIcons(UiWindow& window, HICON large, HICON small);

// The font of new controls: 9 point "Arial", normal weight, font style 1, default quality.
void applyFontDefaults(UiWindow& window);

// Centres hwnd on reference's window rectangle, or on the work area when reference is null.
bool centreWindow(HWND hwnd, HWND reference);
