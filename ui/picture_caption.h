// Captions written into pictures at run time, so that one picture serves whatever the name.
#pragma once

#include <windows.h>

// gdiplus.h needs the COM property types declared first.
#include <objidl.h>
#include <gdiplus.h>

// Writes `caption` into the lower part of a square picture: white, bold, in `face` (Arial when
// that is not installed), centred, on one line or on two broken between words, the font made
// smaller until every line fits. Places and sizes scale with the picture's width. False when
// nothing could be drawn.
bool drawPictureCaption(Gdiplus::Bitmap& picture, const wchar_t* caption, const wchar_t* face);
