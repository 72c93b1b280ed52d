// One app as the catalogue holds it: how it looks, how it is recognised, and what was found of it.
#pragma once

#include <cstdint>

#include "app/match_plan.h"
#include "text/wide_string_list.h"

struct pcre2_real_code_16;

// How the window shows an app: its caption (also what screen readers call it) and pictures.
struct AppLook {
    const wchar_t* name;
    uint16_t normalImageId;
    uint16_t blockedImageId;  // the same picture with a stop sign
};

struct AppEntry {
    AppLook look;
    // Windows renamed some apps in a later major version of the same package; from version
    // `laterFrom` on, the app looks like this, when it has a name.
    AppLook laterLook{};
    int32_t laterFrom = 0;
    const wchar_t* pattern;                         // regular expression that recognises the app's ProgIds
    pcre2_real_code_16* compiledPattern = nullptr;  // owned; none when compiling failed
    MatchPlan plan;                                 // made with the compiled pattern
    WideStringList progIds;                         // in the order found, repeats included
    // The extensions whose OpenWithProgids name one of its ProgIds, each once, most common first.
    WideStringList fileTypes;
    // One of the apps the window has always offered: shown, faded, even when it is not on the PC.
    bool offeredWhenAbsent = false;
    // Its AppUserModelID is matched too, not only where ApplicationName cannot be read: some
    // packages give a plain display name there that names no package.
    bool modelIdCounts = false;
    int32_t packageVersion = 0;  // major version of the newest package found that names one; 0 for none

    const AppLook& Look() const;
};
