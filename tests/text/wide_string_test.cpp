#include "text/wide_string.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct FindCase {
    const wchar_t* text;
    const wchar_t* needle;
    bool caseSensitive;
    int32_t occurrence;
    int32_t start;
    int32_t window;
    int32_t expected;
};

const FindCase kFindCases[] = {
    // "Begins with" tests: start 1, window = the needle's length.
    {L"appxABCDEF", L"AppX", false, 1, 1, 4, 1},
    {L"xAppXABCDE", L"AppX", false, 1, 1, 4, 0},
    {L"appxABCDEF", L"AppX", true, 1, 1, 4, 0},
    {L"S-1-5-21", L"S-1-", true, 1, 1, 4, 1},
    {L"s-1-5-21", L"S-1-", true, 1, 1, 4, 0},
    // Overlapping matches count, upwards and downwards.
    {L"aaa", L"aa", true, 1, 1, 0, 1},
    {L"aaa", L"aa", true, 2, 1, 0, 2},
    {L"aaa", L"aa", true, 3, 1, 0, 0},
    {L"a\\b\\c", L"\\", true, -1, 1, 0, 4},
    {L"a\\b\\c", L"\\", true, -2, 1, 0, 2},
    {L"a\\b\\c", L"\\", true, -3, 1, 0, 0},
    // Occurrence 0 counts as 1; start below 1 counts as 1.
    {L"a\\b\\c", L"\\", true, 0, 1, 0, 2},
    {L"a\\b\\c", L"\\", true, 1, -5, 0, 2},
    // Start beyond n - m + 1.
    {L"abc", L"bc", true, 1, 3, 0, 0},
    {L"abc", L"bc", true, 1, 2, 0, 2},
    // The window confines the match; one larger than the rest behaves like 0.
    {L"HKLM\\Software", L"\\", true, 1, 4, 20, 5},
    {L"abcdef", L"ef", true, 1, 2, 3, 0},
    {L"abcdef", L"ef", true, 1, 2, 5, 5},
    {L"abcdef", L"ef", true, 1, 2, 50, 5},
    {L"abcdef", L"cd", true, 1, 1, 1, 0},  // window shorter than the needle
    // Nothing to find.
    {L"", L"a", true, 1, 1, 0, 0},
    {L"abc", L"", true, 1, 1, 0, 0},
    {L"abc", nullptr, true, 1, 1, 0, 0},
    {L"ab", L"abc", true, 1, 1, 0, 0},
};

TEST(WideStringFind, FollowsItsRulesOnEveryCase) {
    for (const FindCase& c : kFindCases) {
        WideString text(c.text);
        EXPECT_EQ(text.Find(c.needle, c.caseSensitive, c.occurrence, c.start, c.window), c.expected)
            << "text '" << std::wstring(c.text).size() << " chars' needle " << (c.needle ? "set" : "null")
            << " occurrence " << c.occurrence << " start " << c.start << " window " << c.window;
    }
}

TEST(WideStringFind, WorksOnAStringWithoutBuffer) {
    WideString none;
    EXPECT_EQ(none.Find(L"a", true, 1, 1, 0), 0);
}

TEST(WideStringFind, FindsInTextLongerThanAnyWindowsPath) {
    std::wstring longText(40000, L'x');
    longText += L"needle";
    WideString text(longText.c_str());
    EXPECT_EQ(text.Find(L"NEEDLE", false, 1, 1, 0), 40001);
    EXPECT_EQ(text.Find(L"NEEDLE", false, 1, 1, 40000), 0);
    EXPECT_EQ(text.Find(L"x", true, -1, 1, 0), 40000);
}

TEST(WideStringEraseLeft, ClampsAndKeepsTheRest) {
    struct Case {
        const wchar_t* text;
        int32_t n;
        const wchar_t* expected;
    } const cases[] = {
        {L"HKLM\\Software", 5, L"Software"}, {L"abc", 0, L"abc"}, {L"abc", -4, L"abc"},
        {L"abc", 3, L""},                    {L"abc", 99, L""},   {L"", 2, L""},
    };
    for (const Case& c : cases) {
        WideString text(c.text);
        text.EraseLeft(c.n);
        EXPECT_STREQ(text.Text(), c.expected) << "erase " << c.n;
        EXPECT_EQ(text.Length(), static_cast<int32_t>(wcslen(c.expected)));
    }
}

TEST(WideStringEraseLeft, EmptiedStringKeepsATerminatorAtPositionZero) {
    WideString text(L"abcd");
    wchar_t* buffer = text.Text();
    text.EraseLeft(4);
    EXPECT_EQ(text.Text(), buffer);  // in place, no reallocation
    EXPECT_EQ(buffer[0], L'\0');
}

TEST(WideStringAssign, SelfAssignmentAndOverlapKeepTheText) {
    WideString text(L"keep me");
    text.Assign(text);
    EXPECT_STREQ(text.Text(), L"keep me");
    text.Assign(text.Text() + 5);  // a tail of its own buffer
    EXPECT_STREQ(text.Text(), L"me");
    EXPECT_EQ(text.Length(), 2);
}

TEST(WideStringAssign, NullAndMissingBuffersReadAsEmpty) {
    WideString none;
    WideString target(L"old");
    target.Assign(none);
    EXPECT_STREQ(target.Text(), L"");
    target.Assign(static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ(target.Length(), 0);
    EXPECT_NE(none.Text(), nullptr);  // text access never yields none
}

TEST(WideStringAssign, CopiesAreIndependent) {
    WideString a(L"first");
    WideString b(a);
    b.Text()[0] = L'F';
    EXPECT_STREQ(a.Text(), L"first");
    WideString c;
    c = static_cast<WideString&&>(b);
    EXPECT_STREQ(c.Text(), L"First");
    EXPECT_TRUE(b.IsEmpty());
}

TEST(WideStringAppend, ConcatenatesAtExactSizeAndSkipsMissingPieces) {
    WideString sid(L"S-1-5-21-1");
    WideString path = WideString::Append({L"HKU\\", sid.CStr(), nullptr, L"\\Software\\Classes"});
    EXPECT_STREQ(path.Text(), L"HKU\\S-1-5-21-1\\Software\\Classes");
    EXPECT_EQ(path.length, 31);  // cached, not left for recounting
    EXPECT_TRUE(WideString::Append({}).IsEmpty());
}

TEST(WideStringAppend, HandlesTextsBeyond32767Characters) {
    std::wstring big(70000, L'k');
    WideString joined = WideString::Append({big.c_str(), L"\\", big.c_str()});
    EXPECT_EQ(joined.Length(), 140001);
    EXPECT_EQ(joined.Text()[70000], L'\\');
    EXPECT_EQ(joined.Text()[140001], L'\0');
}

TEST(WideStringBuffer, SystemCallBuffersAreTerminatedAndRecounted) {
    WideString name;
    wchar_t* buffer = name.PrepareBuffer(129);
    EXPECT_EQ(buffer[0], L'\0');
    EXPECT_EQ(buffer[128], L'\0');
    EXPECT_EQ(name.Length(), 0);
    wcscpy(buffer, L"written by a call");
    name.MarkForRecount();
    EXPECT_EQ(name.Length(), 17);
}

TEST(WideStringBuffer, CachedLengthOfZeroIsCountedAgain) {
    WideString text(L"abc");
    text.length = 0;
    EXPECT_EQ(text.Length(), 3);
}

}  // namespace
