// Each remedy changes exactly the keys and values it is meant to, in the whole user hive and
// the machine's classes, and nothing else.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/app_catalogue.h"
#include "remedies/app_blocking.h"
#include "remedies/reset_and_fix.h"
#include "support/realistic_registry.h"
#include "support/registry_snapshot.h"
#include "support/scratch_key.h"

namespace {

constexpr int kPhotos = 3;
constexpr int kNotepad = 7;

struct HiveTest : testing::Test {
    RealisticRegistry registry{CurrentUserSid(), [] {
                                   RealisticRegistryShape shape;
                                   shape.fileExtensions = 25;
                                   return shape;
                               }()};
    AppCatalogue catalogue;
    RegistrySnapshot userBefore;
    RegistrySnapshot machineBefore;

    HiveTest() {
        registry.Seed();
        catalogue.CompilePatterns();
        DiscoverProgIds(catalogue, registry.sid.c_str());
        userBefore = User();
        machineBefore = Machine();
    }

    RegistrySnapshot User() const { return TakeSnapshot(HKEY_USERS, registry.sid); }
    // The program only reads the machine's classes: their keys and values are compared, and
    // their security is left out to keep the capture fast.
    static RegistrySnapshot Machine() {
        return TakeSnapshot(HKEY_LOCAL_MACHINE, L"Software\\Classes", KEY_WOW64_64KEY, false);
    }
    const wchar_t* Sid() const { return registry.sid.c_str(); }

    std::set<std::wstring> ProgIds(int app) const {
        std::set<std::wstring> names;
        const WideStringList& list = catalogue.entries[app].progIds;
        for (uint32_t i = 0; i < list.count; ++i) {
            names.insert(list.items[i].CStr());
        }
        return names;
    }

    static std::vector<std::wstring> Sorted(std::vector<std::wstring> lines) {
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    // The lines that blocking `app` must add: its ProgId keys where the user had none, and
    // both markers on every one.
    std::vector<std::wstring> BlockLines(int app, bool withMarkers) const {
        std::vector<std::wstring> lines;
        for (const std::wstring& progId : ProgIds(app)) {
            const std::wstring key = L"Software\\Classes\\" + progId;
            if (!userBefore.count(key)) {
                lines.push_back(L"+key " + key);
            }
            if (withMarkers) {
                lines.push_back(L"+value " + key + L"|NoOpenWith");
                lines.push_back(L"+value " + key + L"|NoStaticDefaultVerb");
            }
        }
        return Sorted(lines);
    }
};

// One realistic registry for the whole series: seeding it and capturing the machine's
// classes are what costs the time here.
TEST_F(HiveTest, EachRemedyChangesExactlyWhatItShould) {
    const WideStringList& notepad = catalogue.entries[kNotepad].progIds;
    ASSERT_TRUE(ProgIds(kNotepad).count(L"txtfile"));  // a machine ProgId the user has no key for
    {
        SCOPED_TRACE("block");
        EXPECT_EQ(SetAppBlocked(Sid(), notepad, true), 2 * notepad.count);
        EXPECT_EQ(DiffSnapshots(userBefore, User()), BlockLines(kNotepad, true));
        EXPECT_TRUE(IsAppBlocked(Sid(), notepad));
    }
    {
        SCOPED_TRACE("unblock: the markers go, the keys stay");
        EXPECT_GT(SetAppBlocked(Sid(), notepad, false), 0u);
        EXPECT_EQ(DiffSnapshots(userBefore, User()), BlockLines(kNotepad, false));
    }
    {
        SCOPED_TRACE("testing a half-written block completes it and writes nothing else");
        const std::wstring progId = catalogue.entries[kPhotos].progIds.items[0].CStr();  // the first one tested
        RawSetValue(HKEY_USERS, registry.UserClasses() + L"\\" + progId, L"NoOpenWith", REG_SZ, nullptr, 0);
        const RegistrySnapshot halfBlocked = User();
        EXPECT_FALSE(IsAppBlocked(Sid(), catalogue.entries[kPhotos].progIds));  // other ProgIds are unmarked
        EXPECT_EQ(DiffSnapshots(halfBlocked, User()),
                  std::vector<std::wstring>{L"+value Software\\Classes\\" + progId + L"|NoStaticDefaultVerb"});
    }
    {
        SCOPED_TRACE("reset and fix");
        SetAppBlocked(Sid(), catalogue.entries[kPhotos].progIds, true);
        const RegistrySnapshot beforeReset = User();
        EXPECT_EQ(ResetAndFixAssociations(Sid()).count, 2u);
        std::vector<std::wstring> expected;
        const std::wstring fileExts = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
        for (const auto& [path, state] : beforeReset) {
            if (path.rfind(fileExts + L"\\", 0) == 0) {
                expected.push_back(L"-key " + path);
            }
        }
        EXPECT_EQ(expected.size(), 25u * 4);  // each extension with its three subkeys
        expected.push_back(L"~security " + fileExts);
        EXPECT_EQ(DiffSnapshots(beforeReset, User()), Sorted(expected));
    }
    EXPECT_TRUE(DiffSnapshots(machineBefore, Machine()).empty());
}

}  // namespace
