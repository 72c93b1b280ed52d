#include "app/match_plan.h"

#include <cwchar>

namespace {

constexpr wchar_t kFoldLetter = 0x20;
constexpr wchar_t kFoldAny = 0xFFFF;

bool IsAsciiLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

bool IsAsciiAlphanumeric(wchar_t c) {
    return IsAsciiLetter(c) || (c >= L'0' && c <= L'9');
}

bool IsQuantifier(wchar_t c) {
    return c == L'?' || c == L'*' || c == L'+';
}

// Only literals, escaped ASCII punctuation, ".", plain groups, "|" and quantifiers ?, * and +
// (perhaps lazy or possessive), each after something it can repeat. Everything else, from
// classes and anchors to "(?" and "(*" and escapes such as \G or \1, is left to PCRE2.
bool UsesPlainSyntax(const wchar_t* pattern) {
    int depth = 0;
    bool canRepeat = false;
    for (const wchar_t* c = pattern; *c; ++c) {
        switch (*c) {
            case L'\\':
                if (c[1] <= L' ' || c[1] > 0x7E || IsAsciiAlphanumeric(c[1])) {
                    return false;
                }
                ++c;
                canRepeat = true;
                break;
            case L'(':
                if (c[1] == L'?' || c[1] == L'*') {
                    return false;
                }
                ++depth;
                canRepeat = false;
                break;
            case L')':
                if (depth-- == 0) {
                    return false;
                }
                canRepeat = true;
                break;
            case L'|':
                canRepeat = false;
                break;
            case L'?':
            case L'*':
            case L'+':
                if (!canRepeat) {
                    return false;
                }
                if (c[1] == L'?' || c[1] == L'+') {
                    ++c;
                }
                canRepeat = false;
                break;
            case L'[':
            case L']':
            case L'{':
            case L'}':
            case L'^':
            case L'$':
                return false;
            default:
                canRepeat = true;
        }
    }
    return depth == 0;
}

// Position of the ")" that closes the "(" at `open`, in plain syntax.
int ClosingParenthesis(const wchar_t* pattern, int open, int end) {
    int depth = 0;
    for (int i = open; i < end; ++i) {
        if (pattern[i] == L'\\') {
            ++i;
        } else if (pattern[i] == L'(') {
            ++depth;
        } else if (pattern[i] == L')' && --depth == 0) {
            return i;
        }
    }
    return end;
}

// Past a quantifier and its lazy or possessive mark at `at`, if there is one.
int SkipQuantifier(const wchar_t* pattern, int at, int end, wchar_t& quantifier) {
    quantifier = at < end && IsQuantifier(pattern[at]) ? pattern[at] : 0;
    if (quantifier) {
        ++at;
        if (at < end && (pattern[at] == L'?' || pattern[at] == L'+')) {
            ++at;
        }
    }
    return at;
}

// Keeps `run` in `best` when it is longer once its "." at either end are dropped.
void KeepLonger(const LiteralCore& run, LiteralCore& best) {
    int first = 0;
    int last = run.length;
    while (first < last && run.fold[first] == kFoldAny) {
        ++first;
    }
    while (last > first && run.fold[last - 1] == kFoldAny) {
        --last;
    }
    if (last - first <= best.length) {
        return;
    }
    best.length = last - first;
    wmemcpy(best.units, run.units + first, best.length);
    wmemcpy(best.fold, run.fold + first, best.length);
}

// The longest run of single characters that every match of pattern[begin, end), a sequence
// without "|" outside groups, contains. Groups and optional characters end a run; a
// character with + ends it after itself. A run longer than kMaxCoreUnits keeps its start.
LiteralCore LongestRun(const wchar_t* pattern, int begin, int end) {
    LiteralCore best;
    LiteralCore run;
    wchar_t quantifier = 0;
    for (int at = begin; at < end;) {
        if (pattern[at] == L'(') {
            KeepLonger(run, best);
            run.length = 0;
            at = SkipQuantifier(pattern, ClosingParenthesis(pattern, at, end) + 1, end, quantifier);
            continue;
        }
        wchar_t unit = pattern[at];
        wchar_t fold = 0;
        if (unit == L'\\') {
            unit = pattern[++at];
        } else if (unit == L'.') {
            unit = kFoldAny;
            fold = kFoldAny;
        }
        if (IsAsciiLetter(unit)) {
            unit |= kFoldLetter;
            fold = kFoldLetter;
        }
        at = SkipQuantifier(pattern, at + 1, end, quantifier);
        if (quantifier == L'?' || quantifier == L'*') {
            KeepLonger(run, best);
            run.length = 0;
            continue;
        }
        if (run.length < kMaxCoreUnits) {
            run.units[run.length] = unit;
            run.fold[run.length] = fold;
            ++run.length;
        }
        if (quantifier == L'+') {
            KeepLonger(run, best);
            run.length = 0;
        }
    }
    KeepLonger(run, best);
    return best;
}

// Adds one core per alternative of pattern[begin, end); false when an alternative has none
// or there are more than kMaxCores. An alternative that is one whole group is looked into.
bool AddCores(const wchar_t* pattern, int begin, int end, MatchPlan& plan) {
    int depth = 0;
    int start = begin;
    for (int at = begin; at <= end; ++at) {
        if (at < end && pattern[at] == L'\\') {
            ++at;
            continue;
        }
        if (at < end && pattern[at] != L'|') {
            depth += pattern[at] == L'(' ? 1 : pattern[at] == L')' ? -1 : 0;
            continue;
        }
        if (at < end && depth > 0) {
            continue;
        }
        // pattern[start, at) is one alternative.
        if (at - start >= 2 && pattern[start] == L'(' && ClosingParenthesis(pattern, start, at) == at - 1) {
            if (!AddCores(pattern, start + 1, at - 1, plan)) {
                return false;
            }
        } else {
            const LiteralCore core = LongestRun(pattern, start, at);
            if (core.length == 0 || plan.coreCount == kMaxCores) {
                return false;
            }
            plan.cores[plan.coreCount++] = core;
        }
        start = at + 1;
    }
    return true;
}

bool HasAlternativeOutsideGroups(const wchar_t* pattern) {
    int depth = 0;
    for (const wchar_t* c = pattern; *c; ++c) {
        if (*c == L'\\') {
            ++c;
        } else if (*c == L'(') {
            ++depth;
        } else if (*c == L')') {
            --depth;
        } else if (*c == L'|' && depth == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool LiteralCore::FoundIn(const wchar_t* text, size_t textLength) const {
    if (textLength < static_cast<size_t>(length)) {
        return false;
    }
    const size_t last = textLength - length;
    const wchar_t firstUnit = units[0];
    const wchar_t firstFold = fold[0];
    for (size_t at = 0; at <= last; ++at) {
        if ((text[at] | firstFold) != firstUnit) {
            continue;
        }
        int32_t i = 1;
        while (i < length && (text[at + i] | fold[i]) == units[i]) {
            ++i;
        }
        if (i == length) {
            return true;
        }
    }
    return false;
}

bool MatchPlan::MayMatch(const wchar_t* text, size_t textLength) const {
    if (coreCount == 0) {
        return true;
    }
    for (int i = 0; i < coreCount; ++i) {
        if (cores[i].FoundIn(text, textLength)) {
            return true;
        }
    }
    return false;
}

MatchPlan PlanMatching(const wchar_t* pattern) {
    MatchPlan plan;
    if (!UsesPlainSyntax(pattern)) {
        return plan;
    }
    const int end = static_cast<int>(wcslen(pattern));
    if (!AddCores(pattern, 0, end, plan)) {
        plan.coreCount = 0;
    }
    // ".+" that is neither lazy nor possessive, and no "|" that could start a match elsewhere.
    plan.lineStarts = end > 2 && pattern[0] == L'.' && pattern[1] == L'+' && pattern[2] != L'?' && pattern[2] != L'+' &&
                      !HasAlternativeOutsideGroups(pattern);
    return plan;
}
