// Reading registry values as text.
#pragma once

#include <windows.h>

#include "text/wide_string.h"

// Reads value `name` ("" or null for the default value) of the open `key` as text, for the
// types REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ only; environment references are not
// expanded. The text ends at the first zero unit, and is terminated even when the stored
// data is not. REG_MULTI_SZ strings come joined by line feeds. Whatever the stored size,
// type or alignment, nothing is read or written outside the buffer. On failure (missing
// value, other type, failed query) `text` is left untouched and the result is false.
bool ReadValueText(HKEY key, const wchar_t* name, WideString& text);
