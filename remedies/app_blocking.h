// Method 2: blocking an app by marking each of its ProgIds in the user's classes.
#pragma once

#include <cstdint>

#include "text/wide_string_list.h"

// Blocked means: at least one of the app's ProgId keys exists under
// HKU\<sid>\Software\Classes, and none of those that exist lacks both markers. A key with
// only "NoOpenWith" is completed with "NoStaticDefaultVerb" on the way, so this may write.
bool IsAppBlocked(const wchar_t* sid, const WideStringList& progIds);

// Writes (block) or deletes (unblock) the two markers on every ProgId; returns how many
// writes or deletions succeeded, 0 to 2 per ProgId. Blocking creates missing keys;
// unblocking leaves the keys in place.
uint32_t SetAppBlocked(const wchar_t* sid, const WideStringList& progIds, bool block);

constexpr const wchar_t* kNoOpenWith = L"NoOpenWith";
constexpr const wchar_t* kNoStaticDefaultVerb = L"NoStaticDefaultVerb";
