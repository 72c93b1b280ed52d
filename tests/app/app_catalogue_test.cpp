#include "app/app_catalogue.h"

#include <gtest/gtest.h>

#include <string>

#include "app/texts.h"

namespace {

struct MatchCase {
    int entry;
    const wchar_t* text;
    bool matches;
};

const MatchCase kMatchCases[] = {
    {0, L"\"C:\\Program Files (x86)\\Microsoft\\Edge\\Application\\msedge.exe\" --single-argument %1", true},
    {0, L"c:\\program files\\MICROSOFT\\edge\\application\\MSEDGE.EXE", true},
    {0, L"\\Microsoft\\Edge\\Application\\msedge.exe", false},  // nothing before the first backslash
    {0, L"C:\\Microsoft\\Edge\\Beta\\Application\\msedge.exe", false},
    {0, L"C:\\Microsoft\\Edge\\Application\\msedgeXexe", true},  // the dot is any character
    {7, L"C:\\Windows\\notepad.exe %1", true},
    {7, L"\"C:\\WINDOWS\\SYSTEM32\\NOTEPAD.EXE\" \"%1\"", true},
    {7, L"%SystemRoot%\\system32\\notepad.exe %1", false},
    {7, L"C:\\Windows\\SysWOW64\\notepad.exe", false},
    {7, L"C:\\Tools\\notepad.exe", false},
    {7, L"@{Microsoft.WindowsNotepad_11.2112.32.0_x64__8wekyb3d8bbwe?ms-resource://x}", true},
    {7, L"Microsoft.WindowsNotepad_", false},  // at least one character must follow
    {1, L"@{Microsoft.MicrosoftEdge_44.19041.1266.0_neutral__8wekyb3d8bbwe?ms-resource://y}", true},
    {1, L"Microsoft-MicrosoftEdge_44", false},  // this dot is escaped
    {2, L"MICROSOFT.WINDOWSCOMMUNICATIONSAPPS_8wekyb3d8bbwe!microsoft.windowslive.mail", true},
    {3, L"@{Microsoft.Windows.Photos_2020.20110.11001.0_x64__8wekyb3d8bbwe?ms-resource://z}", true},
    {3, L"Microsoft.Windows-Photos_2020", true},  // the second dot is not escaped
    {4, L"Microsoft.ZuneVideo_8wekyb3d8bbwe!Microsoft.ZuneVideo", true},
    {4, L"Microsoft.ZuneMusic_8wekyb3d8bbwe", false},
    {5, L"Microsoft.ZuneMusic_8wekyb3d8bbwe", true},
    {6, L"Microsoft.MSPaint_6.2009.30067.0_x64__8wekyb3d8bbwe", true},
    {6, L"", false},
    {0, L"line one\n\"C:\\x\\Microsoft\\Edge\\Application\\msedge.exe\"", true},  // joined multi-strings
    {8, L"@{Microsoft.Paint_11.2406.42.0_x64__8wekyb3d8bbwe?ms-resource://Microsoft.Paint/Resources/AppDisplayName}",
     true},
    {8, L"Microsoft.MSPaint_8wekyb3d8bbwe!Microsoft.MSPaint", false},  // Paint 3D is another app
    {6, L"Microsoft.Paint_8wekyb3d8bbwe!App", false},
    {9, L"@{Microsoft.ScreenSketch_11.2407.3.0_x64__8wekyb3d8bbwe?ms-resource://Microsoft.ScreenSketch/x}", true},
    {10, L"Clipchamp.Clipchamp_yxz26nhyzhsrt!App", true},
    {11, L"Microsoft.OutlookForWindows_8wekyb3d8bbwe!Microsoft.OutlookforWindows", true},
    {11, L"Outlook (new)", false},
};

TEST(MatchesApp, RecognisesEachAppAnywhereInTheText) {
    AppCatalogue catalogue;
    catalogue.CompilePatterns();
    for (const MatchCase& c : kMatchCases) {
        EXPECT_EQ(MatchesApp(catalogue.entries[c.entry], WideString(c.text)), c.matches)
            << "entry " << c.entry << ": " << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(MatchesApp, EveryPatternCompilesAndAFaultyOneNeverMatches) {
    AppCatalogue catalogue;
    catalogue.CompilePatterns();
    for (const AppEntry& entry : catalogue.entries) {
        EXPECT_NE(entry.compiledPattern, nullptr) << testing::PrintToString(std::wstring(entry.pattern));
        EXPECT_GT(entry.plan.coreCount, 0) << "every text would go to PCRE2";
    }
    EXPECT_TRUE(catalogue.entries[0].plan.lineStarts) << "the leading .+ would try every position";
    catalogue.entries[3].pattern = L"Microsoft\\.Windows.Photos_(";
    catalogue.CompilePatterns();
    EXPECT_EQ(catalogue.entries[3].compiledPattern, nullptr);
    EXPECT_FALSE(MatchesApp(catalogue.entries[3], WideString(L"Microsoft.Windows.Photos_1")));
    EXPECT_NE(catalogue.entries[4].compiledPattern, nullptr);
}

// The tiles' order, which the cases above and the test registry's apps follow; later apps come after.
const std::wstring kFirstApps =
    L"Chromium Microsoft Edge|Microsoft Edge|Mail|Photos|Movies & TV|Groove Music|"
    L"Paint 3D|Notepad|Paint|Snipping Tool|Clipchamp|Outlook|";

// An app is named by its picture: the English text of that id is its name in each of its looks.
TEST(AppCatalogue, HoldsTheTilesInOrderEachNamedByItsPicture) {
    AppCatalogue catalogue;
    const Texts english{nullptr, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)};
    std::wstring names;
    for (int i = 0; i < kAppCount; ++i) {
        names += catalogue.entries[i].look.name + std::wstring(L"|");
        for (const AppLook& look : {catalogue.entries[i].look, catalogue.entries[i].laterLook}) {
            EXPECT_STREQ(look.name ? english.Get(look.normalImageId).CStr() : nullptr, look.name) << "app " << i;
        }
        EXPECT_EQ(catalogue.entries[i].offeredWhenAbsent, i < 8);
        EXPECT_EQ(catalogue.entries[i].progIds.count, 0u);
    }
    EXPECT_EQ(names.substr(0, kFirstApps.size()), kFirstApps);
}

}  // namespace
