// Tooltips: one comctl32 tooltip control per toolkit window, with a tool for each control that asks for one.
#pragma once

#include "ui/ui_window.h"

// Gives control `index` a tooltip whose text the control itself supplies each time the tip
// shows: it receives TTN_GETDISPINFOW as WM_NOTIFY. The window's tooltip control is made at
// the first call and destroyed with the window. False when there is no such control.
bool addControlTooltip(UiWindow& window, int32_t index);

// A tip of control `index` on the screen asks for its text again, which Space may have
// changed under the pointer.
void refreshControlTooltip(UiWindow& window, int32_t index);

// Gives the window's tooltip, if it has one, the system's tooltip font and its line width at
// the window's DPI.
void scaleTooltipFont(UiWindow& window);
