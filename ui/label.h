// Text labels: static controls that notify their parent of clicks.
#pragma once

#include "ui/ui_window.h"

// A text label (UI_KIND_LABEL) at (x, y) of width x height; returns its index or 0.
int32_t addLabel(UiWindow& window, const wchar_t* text, int32_t x, int32_t y, int32_t width, int32_t height);
