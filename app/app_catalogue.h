// The apps that can be blocked, and the start-up scan that finds their ProgIds.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <iterator>

#include "app/app_entry.h"
#include "resources/pictures/picture_ids.h"
#include "text/wide_string.h"

// One app of the catalogue, as written in the table below.
struct AppDefinition {
    AppLook look;
    const wchar_t* pattern;
    bool offeredWhenAbsent;
    bool modelIdCounts;
    AppLook laterLook;
    int32_t laterFrom;
};

inline constexpr AppLook kNoLaterLook{nullptr, 0, 0};

// The catalogue, in tile order: an app is added here, with its pictures' ids from
// tools/make-pictures, and everything sized by the apps follows kAppCount. Every backslash
// here is one character of the pattern: "\\\\" is the regular expression for one literal
// backslash. The first eight are the apps that took file types over on Windows 10; those
// after them do so on Windows 11.
inline constexpr AppDefinition kApps[] = {
    {{L"Chromium Microsoft Edge", IDP_CHROMIUM_EDGE, IDP_CHROMIUM_EDGE_BLOCKED},
     L".+\\\\Microsoft\\\\Edge\\\\Application\\\\msedge.exe",
     true,
     false,
     kNoLaterLook,
     0},
    {{L"Microsoft Edge", IDP_EDGE, IDP_EDGE_BLOCKED}, L"Microsoft\\.MicrosoftEdge_.+", true, false, kNoLaterLook, 0},
    {{L"Mail", IDP_MAIL, IDP_MAIL_BLOCKED}, L"microsoft\\.windowscommunicationsapps_.+", true, false, kNoLaterLook, 0},
    {{L"Photos", IDP_PHOTOS, IDP_PHOTOS_BLOCKED}, L"Microsoft\\.Windows.Photos_.+", true, false, kNoLaterLook, 0},
    {{L"Movies & TV", IDP_MOVIES_TV, IDP_MOVIES_TV_BLOCKED}, L"Microsoft\\.ZuneVideo_.+", true, false, kNoLaterLook, 0},
    // Media Player took over Groove Music's package with version 11.
    {{L"Groove Music", IDP_GROOVE_MUSIC, IDP_GROOVE_MUSIC_BLOCKED},
     L"Microsoft\\.ZuneMusic_.+",
     true,
     false,
     {L"Media Player", IDP_MEDIA_PLAYER, IDP_MEDIA_PLAYER_BLOCKED},
     11},
    {{L"Paint 3D", IDP_PAINT_3D, IDP_PAINT_3D_BLOCKED}, L"Microsoft\\.MSPaint_.+", true, false, kNoLaterLook, 0},
    {{L"Notepad", IDP_NOTEPAD, IDP_NOTEPAD_BLOCKED},
     L"(Microsoft\\.WindowsNotepad_.+)|(\\\\Windows\\\\(System32\\\\)?notepad.exe)",
     true,
     false,
     kNoLaterLook,
     0},
    {{L"Paint", IDP_PAINT, IDP_PAINT_BLOCKED}, L"Microsoft\\.Paint_.+", false, true, kNoLaterLook, 0},
    {{L"Snipping Tool", IDP_SNIPPING_TOOL, IDP_SNIPPING_TOOL_BLOCKED},
     L"Microsoft\\.ScreenSketch_.+",
     false,
     true,
     kNoLaterLook,
     0},
    {{L"Clipchamp", IDP_CLIPCHAMP, IDP_CLIPCHAMP_BLOCKED}, L"Clipchamp\\.Clipchamp_.+", false, true, kNoLaterLook, 0},
    // Its ApplicationName is the plain "Outlook (new)"; its AppUserModelID names the package.
    {{L"Outlook", IDP_OUTLOOK, IDP_OUTLOOK_BLOCKED}, L"Microsoft\\.OutlookForWindows_.+", false, true, kNoLaterLook, 0},
};

constexpr int kAppCount = static_cast<int>(std::size(kApps));

// The apps of kApps in tile order. Entry 0 is recognised by its open command, entry 7 by its
// open command and the identity of its package, the others by the identity of their package.
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
