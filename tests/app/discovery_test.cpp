#include "app/app_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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
        EXPECT_FALSE(found[i].empty()) << "app " << i;
    }
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

TEST_F(DiscoveryTest, WithAnAccountNameForTheSidOnlyTheMachineCounts) {
    DiscoverProgIds(catalogue, L"alice");
    const Lists found = ListsOf(catalogue);
    const Lists expected = Expected(registry, false);
    for (int i = 0; i < kAppCount; ++i) {
        EXPECT_EQ(found[i], expected[i]) << "app " << i;
    }
    EXPECT_TRUE(found[2].empty());  // Mail lives only in the user's packages
}

}  // namespace
