// Push buttons and the window's default button.
#pragma once

#include "ui/ui_window.h"

// A push button (UI_KIND_BUTTON) at (x, y) of width x height; returns its index or 0.
int32_t addButton(UiWindow& window, const wchar_t* text, int32_t x, int32_t y, int32_t width, int32_t height);

// Makes control `index` (-1 = the last) the default button, taking BS_DEFPUSHBUTTON from the
// previous one. Returns the previous default index, or 0 when index is not a control.
int32_t setDefaultButton(UiWindow& window, int32_t index);
