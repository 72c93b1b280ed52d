// Pictures: PNG resources decoded by GDI+, scaled copies, blank DIBs and window backgrounds.
#pragma once

#include <windows.h>

// gdiplus.h needs the COM property types declared first.
#include <objidl.h>
#include <gdiplus.h>

#include "ui/ui_window.h"

// What transparent parts of a window background become: the window class's RGB(254, 254, 254).
constexpr Gdiplus::ARGB UI_WINDOW_BACKGROUND_ARGB = 0x00FEFEFE;

// Decodes resource `id` of type "IMAGE" from `module`, at width x height (0 = the image's
// own). The caller owns the result; null when the resource is missing or undecodable.
Gdiplus::Bitmap* loadImageResource(HMODULE module, const wchar_t* id, int32_t width, int32_t height);

// Resource `id` as loadImageResource gives it; at more than 96 DPI `largeId` instead (the
// same picture at twice its size, sharper once scaled down), when given and there.
Gdiplus::Bitmap* loadImageForDpi(HMODULE module,
                                 const wchar_t* id,
                                 const wchar_t* largeId,
                                 UINT dpi,
                                 int32_t width,
                                 int32_t height);

// Draws all of source into (0, 0, width, height) of target with the high-quality filter.
bool scaleImageInto(Gdiplus::Image* source, Gdiplus::Image* target, int32_t width, int32_t height);

// `source` drawn in grey at a third of its strength over `background`, at width x height:
// the picture of something that cannot be used. The caller owns the result; null on failure.
Gdiplus::Bitmap* fadedImage(Gdiplus::Image* source, Gdiplus::ARGB background, int32_t width, int32_t height);

// A top-down 32 bpp DIB section whose pixels all read 0x01000000, or null.
HBITMAP createBlankDib(int32_t width, int32_t height);

// Makes `image` the window's tiled background, at width x height: 0 = the client size,
// -1 = the image's own. The caller keeps the image. Nothing happens without a memory DC.
void setBackgroundImage(UiWindow& window, Gdiplus::Bitmap* image, int32_t width, int32_t height);

// Replaces the window's background bitmap and brush by `bitmap` (taken over) and selects it
// into the memory DC; the kind becomes TiledPattern, and the window is painted again with it.
void adoptBackgroundBitmap(UiWindow& window, HBITMAP bitmap);
