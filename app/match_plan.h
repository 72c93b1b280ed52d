// What a caseless pattern tells before any text is matched: the characters a matching text
// must contain, and whether a match can be looked for from line starts only.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kMaxCoreUnits = 64;
constexpr int kMaxCores = 4;

// A run of characters that every match of one alternative contains. Unit c of a text fits
// position i when (c | fold[i]) == units[i]: fold is 0x20 for ASCII letters (without UTF or
// UCP, caseless matching pairs only those), 0xFFFF for "." (any character; wider than the
// pattern's dot, which is safe) and 0 for every other character.
struct LiteralCore {
    wchar_t units[kMaxCoreUnits] = {};
    wchar_t fold[kMaxCoreUnits] = {};
    int32_t length = 0;

    bool FoundIn(const wchar_t* text, size_t textLength) const;
};

struct MatchPlan {
    LiteralCore cores[kMaxCores];  // one per alternative: a match contains at least one of them
    int32_t coreCount = 0;         // 0: nothing is known, any text may match
    // The pattern is ".+" and a rest with no alternative outside parentheses, no assertion and
    // no verb: a match that starts inside a line also starts at the line's beginning.
    bool lineStarts = false;

    // False only when no match is possible: the text lacks every core.
    bool MayMatch(const wchar_t* text, size_t textLength) const;
};

// The plan of `pattern` as PCRE2 compiles it with PCRE2_CASELESS alone. Syntax beyond
// literals, escaped punctuation, ".", plain groups, "|" and the quantifiers ?, * and + leaves
// the plan empty, so PCRE2 then decides alone.
MatchPlan PlanMatching(const wchar_t* pattern);
