// The eight apps that can be blocked, and the start-up scan that finds their ProgIds.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/match_plan.h"
#include "text/wide_string.h"
#include "text/wide_string_list.h"

struct pcre2_real_code_16;

struct AppEntry {
    const wchar_t* name;                            // the caption of the app's picture
    const wchar_t* pattern;                         // regular expression that recognises the app's ProgIds
    pcre2_real_code_16* compiledPattern = nullptr;  // owned; none when compiling failed
    MatchPlan plan;                                 // made with the compiled pattern
    WideStringList progIds;                         // in the order found, repeats included
    uint16_t normalImageId;
    uint16_t blockedImageId;
    int32_t tileX;  // left edge of the app's tile in the main window
};

constexpr int kAppCount = 8;

// The apps in tile order, left to right. Entry 0 is recognised by its open command,
// entries 1 to 6 by the identity of their AppX package, entry 7 by both.
struct AppCatalogue {
    AppEntry entries[kAppCount];

    AppCatalogue();
    AppCatalogue(const AppCatalogue&) = delete;
    AppCatalogue& operator=(const AppCatalogue&) = delete;
    ~AppCatalogue();

    // Compiles every pattern (caseless); a pattern that does not compile is never matched.
    void CompilePatterns();
};

// Whether `text` matches the entry's pattern anywhere, exactly as one pcre2_match from offset 0
// decides, but without calling it for texts that lack the pattern's literal cores, and in time
// linear in the text's length.
bool MatchesApp(const AppEntry& entry, const WideString& text);

// Fills every entry's ProgIds from the machine's classes (64-bit view; classic ProgIds
// only) and from the user's classes under HKU\<sid> (classic and AppX ProgIds).
void DiscoverProgIds(AppCatalogue& catalogue, const wchar_t* sid);
