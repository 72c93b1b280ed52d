// The apps that can be blocked, and the start-up scan that finds their ProgIds.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "app/match_plan.h"
#include "text/wide_string.h"
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

constexpr int kAppCount = 12;

// The apps in tile order. Entry 0 is recognised by its open command, entries 1 to 6 and 8 to
// 11 by the identity of their package, entry 7 by both.
struct AppCatalogue {
    AppEntry entries[kAppCount];

    AppCatalogue();
    AppCatalogue(const AppCatalogue&) = delete;
    AppCatalogue& operator=(const AppCatalogue&) = delete;
    ~AppCatalogue();

    // Compiles every pattern (caseless); a pattern that does not compile is never matched.
    void CompilePatterns();

    // The apps that get a tile, in catalogue order: every app found on this PC and, while that
    // makes fewer than `fewest`, the first apps offered even when absent. Returns their count.
    int ShownApps(int (&apps)[kAppCount], int fewest) const;
};

// Whether `text` matches the entry's pattern anywhere, exactly as one pcre2_match from offset 0
// decides, but without calling it for texts that lack the pattern's literal cores, and in time
// linear in the text's length.
bool MatchesApp(const AppEntry& entry, const WideString& text);

// Fills every entry's ProgIds from the machine's classes (64-bit view; classic ProgIds
// only) and from the user's classes under HKU\<sid> (classic and AppX ProgIds), the
// package version of each app whose identity names one, and the file types the extensions
// of both roots offer its ProgIds for. Reads the registry only, and stops between two class
// keys once `stop` is set.
void DiscoverProgIds(AppCatalogue& catalogue, const wchar_t* sid, const std::atomic<bool>* stop = nullptr);
