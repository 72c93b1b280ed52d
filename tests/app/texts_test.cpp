#include "app/texts.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "app/display_languages.h"
#include "app/main_window.h"

namespace {

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
constexpr LANGID kFrench = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);
constexpr LANGID kSpanish = MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN);
constexpr LANGID kBrazilian = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN);
constexpr LANGID kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
constexpr LANGID kTraditional = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL);
constexpr LANGID kOffered[] = {kEnglish, kGerman, kFrench, kSpanish, kBrazilian, kChinese, kTraditional};

WideStringList List(std::initializer_list<const wchar_t*> names) {
    WideStringList list;
    for (const wchar_t* name : names) {
        list.Append(name);
    }
    return list;
}

TEST(Texts, TheDisplayLanguagesChooseTheFirstTableWindowsWouldTakeElseEnglish) {
    struct {
        std::initializer_list<const wchar_t*> wanted;
        LANGID chosen;
    } const kCases[] = {
        {{L"pt-PT"}, kBrazilian},
        {{L"zh-SG"}, kChinese},
        {{L"zh-TW"}, kTraditional},
        {{L"zh-HK"}, kTraditional},
        {{L"zh-MO"}, kTraditional},
        {{L"zh-Hant"}, kTraditional},
        {{L"en-GB"}, kEnglish},
        {{L"fi-FI"}, kEnglish},
        {{L"ca-ES"}, kSpanish},
        {{L"fi-FI", L"de-DE"}, kGerman},
        {{L"de-AT", L"fr-FR"}, kGerman},
        {{L"af-ZA", L"de-DE"}, kEnglish},
        {{}, kEnglish},
    };
    for (const auto& c : kCases) {
        const WideStringList wanted = List(c.wanted);
        EXPECT_EQ(ChooseLanguage(wanted, kOffered, 7), c.chosen) << (c.wanted.size() ? *c.wanted.begin() : L"");
    }
}

// The running account speaks German; Alice, at the console, French.
BOOL WINAPI RunningAccountLanguages(DWORD, ULONG* count, PZZWSTR buffer, ULONG* units) {
    if (buffer && *units >= 7) {
        memcpy(buffer, L"de-DE\0", 7 * sizeof(wchar_t));
    }
    *count = 1;
    *units = 7;
    return TRUE;
}

LSTATUS WINAPI AlicesLanguages(HKEY root, LPCWSTR, LPCWSTR, DWORD, DWORD*, PVOID data, DWORD* bytes) {
    if (data && *bytes >= 7 * sizeof(wchar_t)) {
        memcpy(data, L"fr-FR\0", 7 * sizeof(wchar_t));
    }
    *bytes = 7 * sizeof(wchar_t);
    return root == HKEY_USERS ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

TEST(Texts, TheConsoleUsersLanguagesWinOverTheRunningAccounts) {
    SessionCalls calls = SystemSessionCalls();
    calls.preferredUILanguages = RunningAccountLanguages;
    calls.getValue = AlicesLanguages;
    for (bool runsProgram : {true, false}) {
        TargetUser alice;
        alice.sid.Assign(L"S-1-5-21-111-222-333-1001");
        alice.runsProgram = runsProgram;
        EXPECT_EQ(ChooseLanguage(DisplayLanguages(alice, calls), kOffered, 7), runsProgram ? kGerman : kFrench);
    }
}

TEST(Method1Report, WhenNoFileTypeCouldBeResetItFailsAndNamesThemWithoutPromisingSettings) {
    ResetOutcome outcome;
    outcome.permissionsFixed = true;
    outcome.keptExtensions.Append(L".pdf");
    outcome.keptExtensions.Append(L".txt");
    EXPECT_STREQ(Method1Report(Texts{}, outcome).CStr(),
                 L"Sorry, method 1 failed. please try method 2.\r\n\r\n"
                 L"Windows did not allow these file types to be reset: .pdf, .txt.");
}

}  // namespace
