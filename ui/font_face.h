// Font faces: which face of a list is installed for the script of a language.
#pragma once

#include <windows.h>

// Into `face`: the first of `faces` (separated by semicolons) that is installed with the script
// of `language`; else the first installed face of that script, as a system without the named
// faces offers it; else the first of `faces`.
void chooseFontFace(const wchar_t* faces, LANGID language, wchar_t (&face)[LF_FACESIZE]);
