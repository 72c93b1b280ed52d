// The control table of a UiWindow: growth, registration, lookup, fonts and removal.
#pragma once

#include "ui/ui_window.h"

// Makes room for one more slot; always true (running out of memory ends the program).
bool ensureControlCapacity(UiWindow& window);

// Enters an already created native control into the next slot, with the window's font and
// colours for new controls. Returns the new index.
int32_t registerControl(UiWindow& window, int32_t kind, HWND hwnd);

// Creates a child control of the window's `controlParent` with the identifier it is about to
// get, at a place given in units, registers it and records its placement. Returns the index or 0.
int32_t addChildControl(UiWindow& window,
                        int32_t kind,
                        const wchar_t* className,
                        const wchar_t* text,
                        DWORD style,
                        int32_t x,
                        int32_t y,
                        int32_t width,
                        int32_t height);

// The slot of a control in use, or null; -1 means the last registered control.
UiControl* liveControl(UiWindow& window, int32_t index);
// The slot whose window is `hwnd`, found through its identifier, or null.
UiControl* controlOfHandle(UiWindow& window, HWND hwnd);

// A font of `pointSize` (8.5 below 1) at the window's DPI with its font fields; weight 0
// takes theirs.
HFONT createControlFont(const UiWindow& window, double pointSize, int32_t weight);

// Gives the last registered control its own font of that point size.
bool setLastControlFontSize(UiWindow& window, double pointSize);

// Makes the control's font again at the window's DPI, keeping its face, size and style.
void rescaleControlFont(const UiWindow& window, UiControl& control);

// Invalidates, with erase, the area that `control` covers in its parent.
void invalidateInParent(HWND control);

// Destroys the control and frees its slot; controlCount falls past trailing free slots.
bool removeControl(UiWindow& window, int32_t index);
