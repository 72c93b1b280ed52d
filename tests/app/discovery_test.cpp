#include "app/app_catalogue.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/discovery_floor.h"
#include "support/realistic_registry.h"
#include "support/scratch_key.h"

namespace {

using Lists = std::vector<std::vector<std::wstring>>;

Lists ListsOf(const AppCatalogue& catalogue) {
    Lists lists(kAppCount);
    for (int i = 0; i < kAppCount; ++i) {
        for (uint32_t j = 0; j < catalogue.entries[i].progIds.count; ++j) {
            lists[i].push_back(catalogue.entries[i].progIds.items[j].CStr());
        }
    }
    return lists;
}

// What discovery must find: the machine's classes first, then the user's, each in the
// order the registry lists them, every ProgId under each app it was written for.
Lists Expected(const RealisticRegistry& registry, bool withUser) {
    Lists lists(kAppCount);
    for (const std::wstring& name : EnumerateSubkeys(HKEY_LOCAL_MACHINE, L"Software\\Classes", KEY_WOW64_64KEY)) {
        for (const wchar_t* pristine : kPristineNotepadClasses) {
            if (name == pristine) {
                lists[7].push_back(name);
            }
        }
        auto found = registry.machineMembers.find(name);
        if (found != registry.machineMembers.end()) {
            for (int app : found->second) {
                lists[app].push_back(name);
            }
        }
    }
    if (withUser) {
        for (const std::wstring& name : EnumerateSubkeys(HKEY_USERS, registry.UserClasses(), 0)) {
            auto found = registry.userMembers.find(name);
            if (found != registry.userMembers.end()) {
                for (int app : found->second) {
                    lists[app].push_back(name);
                }
            }
        }
    }
    return lists;
}

// Each app's file types: every extension, of either root and in any letter case, that offers
// one of its ProgIds, counted once.
void ExpectFileTypes(const AppCatalogue& catalogue, RealisticRegistry& registry) {
    for (int i = 0; i < kAppCount; ++i) {
        EXPECT_EQ(catalogue.entries[i].fileTypes.count, registry.fileTypes[i].size()) << "app " << i;
        EXPECT_EQ(registry.fileTypes[i].empty(), catalogue.entries[i].progIds.count == 0) << "app " << i;
    }
}

// PCRE2 alone, as each text was matched before anything spared it: one match from offset 0.
bool MatchesWithPcre2Alone(const AppEntry& entry, const WideString& text) {
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(entry.compiledPattern, nullptr);
    const int result = pcre2_match(entry.compiledPattern, reinterpret_cast<PCRE2_SPTR16>(text.CStr()),
                                   wcslen(text.CStr()), 0, 0, data, nullptr);
    pcre2_match_data_free(data);
    return result >= 1;
}

// Patterns beyond the catalogue's, on the edges of what the literal cores and the line starts
// may assume: alternatives outside groups, optional and repeated parts, lazy and possessive
// repeats, and syntax left to PCRE2 alone.
const wchar_t* const kOtherPatterns[] = {
    L".+ab|c",
    L".+?ab",
    L".++",
    L"(ab)+c",
    L"x*y?z",
    L"((a)|(bc))d",
    L"(ab)|(c.d)",
    L"ab|",
    L"a|b|c|d|e",
    L".+a\\.b",
    L"[ab]c",
    L"\\d+x",
    L".+(?<=a)b",
    L"(?s).+b",
    L"^.+b",
    L"(*CR).+b",
    L"\\Gab",
    L".+a(b|c)",
    L"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab",
};

// Texts on the same edges, and on those of the catalogue's patterns: a literal at the very
// start of a line or split by a line feed, mixed case, characters that fold to ASCII letters
// only with Unicode rules, a dot meeting a line feed or a carriage return, multi-strings.
const wchar_t* const kEdgeTexts[] = {
    L"",
    L"\\Microsoft\\Edge\\Application\\msedge.exe",
    L"x\\Microsoft\\Edge\\Application\\msedge.exe",
    L"\\\\\\Microsoft\\Edge\\Application\\msedge.exe",
    L"\nC:\\Microsoft\\Edge\\Application\\msedge.exe",
    L"\\Microsoft\\Edge\\Application\\msedge.exe\n\\Microsoft\\Edge\\Application\\msedge.exe",
    L"line one\nx\\Microsoft\\Edge\\Application\\msedge.exe\n",
    L"C:\\\nMicrosoft\\Edge\\Application\\msedge.exe",
    L"\n\n\\Microsoft\\Edge\\Application\\msedge.exe\n\nx\\Microsoft\\Edge\\Application\\msedge.exe",
    L"\r\\Microsoft\\Edge\\Application\\msedge.exe",
    L"c:\\MICROSOFT\\edge\\APPLICATION\\MsEdge.ExE\r",
    L"C:\\Microsoft\\Edge\\Application\\msedge\nexe",
    L"C:\\Microsoft\\Edge\\Application\\msedge_exe",
    L"C:\\Microsoft\\Edge\\Application\\msedge.ex",
    L"C:\\Micro\u017Foft\\Edge\\Application\\msedge.exe",
    L"C:\\Windows\\notepad.exe",
    L"C:\\WINDOWS\\SYSTEM32\\NOTEPAD.EXE \"%1\"",
    L"C:\\Windows\\System32\\notepad.exe\n\"%1\"",
    L"\\Windows\\System32\\notepad\nexe",
    L"C:\\Windows\\System32notepad.exe",
    L"C:\\W\u0131ndows\\notepad.exe",
    L"Microsoft.WindowsNotepad_",
    L"Microsoft.WindowsNotepad_\n",
    L"microsoft.windowsnotepad_X",
    L"Microsoft.Windows\nPhotos_x",
    L"Microsoft.Windows Photos_x",
    L"MicrosoftXMicrosoftEdge_x",
    L"MICROSOFT.MSPA\u00CDNT_x",
    L"micro\u017Foft.windowscommunicationsapps_x",
    L"Microsoft.ZuneMusic_\u212A",
    L"Microsoft.Paint_1",
    L"Microsoft.Paint_",
    L"MICROSOFT.SCREENSKETCH_x",
    L"x\nclipchamp.CLIPCHAMP_x",
    L"Outlook (new)\nMicrosoft.OutlookForWindows_8wekyb3d8bbwe!x",
    L"ab",
    L"xab",
    L"x\nab",
    L"ab\nxab",
    L"\nab",
    L"abc",
    L"xa.b",
    L"xa\nb",
    L"xaXb",
    L"c",
    L"cd",
    L"bd",
    L"cxd",
    L"c\nd",
    L"ababc",
    L"ABC",
    L"y",
    L"xz",
    L"z",
    L"\u212Ab",
    L"a\rb",
    L"ab\u00E1",
    L"12x",
    L"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab",
};

struct DiscoveryTest : testing::Test {
    RealisticRegistry registry{CurrentUserSid(), RealisticRegistryShape{}};
    AppCatalogue catalogue;

    DiscoveryTest() {
        registry.Seed();
        catalogue.CompilePatterns();
    }
};

TEST_F(DiscoveryTest, FindsExactlyEachAppsProgIdsInOrderOnARealisticRegistry) {
    DiscoverProgIds(catalogue, registry.sid.c_str());
    const Lists found = ListsOf(catalogue);
    const Lists expected = Expected(registry, true);
    for (int i = 0; i < kAppCount; ++i) {
        EXPECT_EQ(found[i], expected[i]) << "app " << i;
        EXPECT_EQ(found[i].empty(), i >= 8) << "app " << i;
    }
    ExpectFileTypes(catalogue, registry);
    // A ProgId of both the machine and the user is listed twice.
    int edgeHtm = 0;
    for (const std::wstring& name : found[0]) {
        edgeHtm += name == L"MSEdgeHTM";
    }
    EXPECT_EQ(edgeHtm, 2);
    // One identity naming two packages joins both lists.
    int inBoth = 0;
    for (const std::wstring& name : found[3]) {
        inBoth += std::count(found[6].begin(), found[6].end(), name) > 0;
    }
    EXPECT_EQ(inBoth, 1);
}

// A Windows 11 user's apps: the new ones found by their package, Outlook by its model id.
TEST(Windows11Discovery, FindsTheAppsOfWindows11) {
    RealisticRegistry registry(CurrentUserSid(), RealisticRegistryShape{1000, 300, 40, 0, true});
    registry.Seed();
    AppCatalogue catalogue;
    catalogue.CompilePatterns();
    DiscoverProgIds(catalogue, registry.sid.c_str());
    EXPECT_EQ(ListsOf(catalogue), Expected(registry, true));
    ExpectFileTypes(catalogue, registry);
}

TEST_F(DiscoveryTest, WithAnAccountNameForTheSidOnlyTheMachineCounts) {
    DiscoverProgIds(catalogue, L"alice");
    const Lists found = ListsOf(catalogue);
    const Lists expected = Expected(registry, false);
    for (int i = 0; i < kAppCount; ++i) {
        EXPECT_EQ(found[i], expected[i]) << "app " << i;
    }
    EXPECT_TRUE(found[2].empty());  // Mail lives only in the user's packages
}

// The literal cores and the line starts only spare work: every text discovery reads from the
// realistic registries of Windows 10 and 11, and every text on an edge, gets exactly the answer
// of PCRE2 alone.
TEST_F(DiscoveryTest, MatchingAnswersExactlyAsPcre2AloneForEveryText) {
    DiscoveryTexts read;
    DiscoveryFloor(registry.sid, &read);
    ASSERT_GT(read.commands.size(), 500u);
    ASSERT_GT(read.identities.size(), 40u);
    RealisticRegistry windows11(CurrentUserSid(), RealisticRegistryShape{1000, 300, 40, 0, true});
    windows11.Seed();  // with the apps that only Windows 11 has
    DiscoveryFloor(windows11.sid, &read);
    std::vector<WideString> texts = std::move(read.commands);
    texts.insert(texts.end(), read.identities.begin(), read.identities.end());
    for (const wchar_t* edge : kEdgeTexts) {
        texts.emplace_back(edge);
    }
    texts.push_back(NearMissCommand(3000));
    std::wstring farMatch = L"\\Microsoft\\Edge\\Application\\msedge.exe";
    farMatch += std::wstring(2000, L'a') + farMatch;
    texts.emplace_back(farMatch.c_str());

    std::vector<const wchar_t*> patterns;
    for (const AppEntry& entry : catalogue.entries) {
        patterns.push_back(entry.pattern);
    }
    patterns.insert(patterns.end(), std::begin(kOtherPatterns), std::end(kOtherPatterns));
    AppCatalogue trial;
    for (const wchar_t* pattern : patterns) {
        trial.entries[0].pattern = pattern;
        trial.CompilePatterns();
        ASSERT_NE(trial.entries[0].compiledPattern, nullptr) << testing::PrintToString(std::wstring(pattern));
        int matches = 0;
        for (const WideString& text : texts) {
            const bool alone = MatchesWithPcre2Alone(trial.entries[0], text);
            EXPECT_EQ(MatchesApp(trial.entries[0], text), alone)
                << testing::PrintToString(std::wstring(pattern)) << " on "
                << testing::PrintToString(std::wstring(text.CStr()).substr(0, 200));
            matches += alone;
        }
        EXPECT_GT(matches, 0) << testing::PrintToString(std::wstring(pattern));
    }
}

}  // namespace
