// The file types each app is registered for: extensions whose OpenWithProgids name its ProgIds.
#pragma once

#include <vector>

#include "app/app_entry.h"
#include "text/wide_string.h"

// One value of an extension's OpenWithProgids key: the extension offers that ProgId.
struct OfferedProgId {
    WideString extension;
    WideString progId;
};

// Fills each app's file types from what the extensions of both classes roots offer: an
// extension counts once for an app when any of its rows names one of the app's ProgIds, in
// any letter case. The most common types come first, then the rest alphabetically.
void AssignFileTypes(AppEntry* apps, int appCount, const std::vector<OfferedProgId>& offered);
