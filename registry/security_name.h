// Registry paths turned into the object names of the security functions ("USERS\...").
#pragma once

#include "text/wide_string.h"

// Whether this is a 32-bit process on 64-bit Windows. Looked up at run time, so that the
// program still starts where kernel32 lacks the function.
bool IsRunningUnderWow64();

// Rewrites `path` from a registry path into the object name that SetNamedSecurityInfoW
// takes: "HKU\X" becomes "USERS\X", and so on. A leading "\\machine\" is dropped: the name
// always means a key of this machine. The 64-bit and 32-bit view suffixes become the
// matching "WOW6432Node" form for the process's own WOW64 state, or are refused where the
// security functions cannot reach that view. Returns false with `path` unchanged for a
// missing machine-name end or an empty root, and false with `path` emptied for a root or
// view that has no object name.
bool RegistryPathToSecurityName(WideString& path, bool (*isWow64)() = IsRunningUnderWow64);
