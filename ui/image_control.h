// Image controls: bitmap statics that keep their own copy of the picture they show.
#pragma once

#include "ui/ui_window.h"

// An image control (UI_KIND_IMAGE) showing a copy of `bitmap` (the caller keeps its own);
// returns its index or 0.
int32_t addImage(UiWindow& window, HBITMAP bitmap, int32_t x, int32_t y, int32_t width, int32_t height);

// PNG resource `id` (or at more than 96 DPI `largeId`, see loadImageForDpi) as a bitmap of
// width x height pixels. The caller owns it; null when the picture cannot be loaded.
HBITMAP loadPicture(HMODULE module, const wchar_t* id, const wchar_t* largeId, UINT dpi, int32_t width, int32_t height);

// An image control showing that picture at its place for the window's DPI; without the
// picture when it cannot be loaded.
int32_t addResourceImage(UiWindow& window,
                         HMODULE module,
                         const wchar_t* id,
                         const wchar_t* largeId,
                         int32_t x,
                         int32_t y,
                         int32_t width,
                         int32_t height);

// Shows a copy of `bitmap` (a blank picture of width x height units when null) in image control
// `index` (-1 = the last). The caller keeps its bitmap.
bool setControlImage(UiWindow& window, int32_t index, HBITMAP bitmap, int32_t width, int32_t height);
