// Registry locations written as one line of text, such as "HKLM64\Software\Classes".
#pragma once

#include <windows.h>

#include "text/wide_string.h"

// A registry path is a root name ("HKLM", "HKCU", "HKCR", "HKU", "HKCC" or their long
// forms), optionally the view suffix "64" or "32", then optionally "\" and the subkey.
//
// Returns the predefined root key and rewrites `path` to the subkey alone. A view suffix
// ORs KEY_WOW64_64KEY or KEY_WOW64_32KEY into `access`. Returns null, with `path` as it
// was, for an empty text or an unknown root (`access` may then carry a view bit already;
// callers ignore it).
HKEY ParseRegistryPath(WideString& path, REGSAM& access);
