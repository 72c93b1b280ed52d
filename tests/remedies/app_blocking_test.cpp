#include "remedies/app_blocking.h"

#include <gtest/gtest.h>

#include <string>

#include "support/scratch_key.h"

namespace {

// The remedies put "HKU\" before the SID and "\Software\Classes\<ProgId>" after it. A "SID"
// that is this test's scratch key below the real one keeps each test in a tree of its own.
struct BlockingTest : testing::Test {
    ScratchKey scratch;
    std::wstring sid = scratch.subkey;
    WideStringList progIds;

    std::wstring Classes(const std::wstring& progId) const {
        return scratch.subkey + L"\\Software\\Classes\\" + progId;
    }
    void MakeKey(const std::wstring& progId) { RawCreateKey(HKEY_USERS, Classes(progId)); }
    void Mark(const std::wstring& progId, const wchar_t* marker) {
        RawSetValue(HKEY_USERS, Classes(progId), marker, REG_SZ, nullptr, 0);
    }
    bool Has(const std::wstring& progId, const wchar_t* marker) const {
        return RawValueExists(HKEY_USERS, Classes(progId), marker);
    }
    bool Blocked() { return IsAppBlocked(sid.c_str(), progIds); }
    uint32_t Set(bool block) { return SetAppBlocked(sid.c_str(), progIds, block); }
};

TEST_F(BlockingTest, AnAppWithoutProgIdsIsNeverBlockedAndNeverChanges) {
    EXPECT_FALSE(Blocked());
    EXPECT_EQ(Set(true), 0u);
    EXPECT_EQ(Set(false), 0u);
}

TEST_F(BlockingTest, BlockingCreatesMissingKeysWithBothMarkers) {
    progIds.Append(L"AppXaaaa");
    progIds.Append(L"MSEdgeHTM");
    EXPECT_FALSE(Blocked());  // no key exists yet
    EXPECT_EQ(Set(true), 4u);
    for (const wchar_t* progId : {L"AppXaaaa", L"MSEdgeHTM"}) {
        EXPECT_TRUE(Has(progId, kNoOpenWith));
        EXPECT_TRUE(Has(progId, kNoStaticDefaultVerb));
    }
    EXPECT_TRUE(Blocked());
    EXPECT_EQ(Set(false), 4u);
    EXPECT_FALSE(Blocked());
    EXPECT_TRUE(RawKeyExists(HKEY_USERS, Classes(L"AppXaaaa")));  // keys stay after unblocking
    EXPECT_FALSE(Has(L"AppXaaaa", kNoOpenWith));
}

TEST_F(BlockingTest, AHalfWrittenBlockCountsAndIsCompletedByTheTest) {
    progIds.Append(L"P");
    Mark(L"P", kNoOpenWith);
    EXPECT_TRUE(Blocked());
    EXPECT_TRUE(Has(L"P", kNoStaticDefaultVerb));
}

TEST_F(BlockingTest, OnlyTheDefaultVerbMarkerCountsAndNothingIsWritten) {
    progIds.Append(L"P");
    Mark(L"P", kNoStaticDefaultVerb);
    EXPECT_TRUE(Blocked());
    EXPECT_FALSE(Has(L"P", kNoOpenWith));
}

TEST_F(BlockingTest, OneUnmarkedKeyMakesTheAppUnblockedAndAClickBlocksAll) {
    for (const wchar_t* progId : {L"A", L"B", L"C"}) {
        progIds.Append(progId);
    }
    Mark(L"A", kNoOpenWith);
    Mark(L"A", kNoStaticDefaultVerb);
    MakeKey(L"B");
    Mark(L"C", kNoOpenWith);
    Mark(L"C", kNoStaticDefaultVerb);
    EXPECT_FALSE(Blocked());
    EXPECT_EQ(Set(!Blocked()), 6u);
    EXPECT_TRUE(Has(L"B", kNoOpenWith));
    EXPECT_TRUE(Blocked());
}

TEST_F(BlockingTest, MissingKeysDoNotCountAgainstABlock) {
    progIds.Append(L"Gone");
    progIds.Append(L"Here");
    Mark(L"Here", kNoOpenWith);
    Mark(L"Here", kNoStaticDefaultVerb);
    EXPECT_TRUE(Blocked());
    EXPECT_FALSE(RawKeyExists(HKEY_USERS, Classes(L"Gone")));  // the test does not create keys
}

TEST_F(BlockingTest, UnblockingCountsOnlyTheMarkersThatWereThere) {
    progIds.Append(L"One");
    progIds.Append(L"Two");
    progIds.Append(L"Bare");
    progIds.Append(L"Absent");
    Mark(L"One", kNoOpenWith);
    Mark(L"Two", kNoStaticDefaultVerb);
    MakeKey(L"Bare");
    EXPECT_EQ(Set(false), 2u);
    EXPECT_FALSE(Has(L"One", kNoOpenWith));
    EXPECT_FALSE(Has(L"Two", kNoStaticDefaultVerb));
    EXPECT_FALSE(RawKeyExists(HKEY_USERS, Classes(L"Absent")));

    WideStringList bare;
    bare.Append(L"Bare");
    EXPECT_EQ(SetAppBlocked(sid.c_str(), bare, false), 0u);
}

TEST_F(BlockingTest, ARepeatedProgIdIsTreatedTwiceHarmlessly) {
    progIds.Append(L"MSEdgeHTM");
    progIds.Append(L"MSEdgeHTM");
    EXPECT_EQ(Set(true), 4u);
    EXPECT_TRUE(Blocked());
    EXPECT_EQ(Set(false), 2u);  // the second pass finds nothing left to delete
    EXPECT_FALSE(Blocked());
}

TEST_F(BlockingTest, AProgIdKeyThatIsARegistryLinkIsLeftAlone) {
    MakeKey(L"Target");
    RawCreateLink(Classes(L"Linked"), Classes(L"Target"));
    progIds.Append(L"Linked");
    progIds.Append(L"Real");
    EXPECT_EQ(Set(true), 2u);
    EXPECT_FALSE(Has(L"Target", kNoOpenWith) || Has(L"Target", kNoStaticDefaultVerb));
    EXPECT_TRUE(Blocked());
    Mark(L"Target", kNoOpenWith);
    EXPECT_EQ(Set(false), 2u);
    EXPECT_TRUE(Has(L"Target", kNoOpenWith));
    RawDeleteLink(Classes(L"Linked"));
}

TEST_F(BlockingTest, AKeyThatCannotBeOpenedStillCountsAsExisting) {
    progIds.Append(L"Locked");
    progIds.Append(L"Marked");
    for (const wchar_t* progId : {L"Locked", L"Marked"}) {
        Mark(progId, kNoOpenWith);
        Mark(progId, kNoStaticDefaultVerb);
    }
    DenyToCurrentUser(Classes(L"Locked"), KEY_QUERY_VALUE);
    // It exists, but its markers cannot be seen: the app counts as not blocked. Were it taken
    // for missing, the marked key alone would make the app blocked.
    EXPECT_FALSE(Blocked());
    AllowEverything(Classes(L"Locked"));
}

}  // namespace
