// Links: SysLink controls whose text is link markup.
#pragma once

#include "ui/ui_window.h"

// A link (UI_KIND_LINK) with SysLink markup text; returns its index or 0.
int32_t addLink(UiWindow& window, const wchar_t* markup, int32_t x, int32_t y, int32_t width, int32_t height);

// Lets the last registered control, when it is a link, draw its first item in the colour
// its parent sets for it instead of the system's link colour.
bool setLinkDefaultColours(UiWindow& window);
