#include "app/texts.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "app/display_languages.h"

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
        {{L"de-DE"}, kGerman},
        {{L"pt-PT"}, kBrazilian},
        {{L"de-AT"}, kGerman},
        {{L"zh-SG"}, kChinese},
        {{L"zh-Hans"}, kChinese},
        {{L"zh-TW"}, kTraditional},
        {{L"zh-HK"}, kTraditional},
        {{L"zh-MO"}, kTraditional},
        {{L"zh-Hant"}, kTraditional},
        {{L"en-GB"}, kEnglish},
        {{L"fi-FI"}, kEnglish},
        {{L"ca-ES"}, kSpanish},
        {{L"fi-FI", L"de-DE"}, kGerman},
        {{L"de-AT", L"fr-FR"}, kGerman},
        {{L"af-ZA", L"de-DE"}, kEnglish},  // Afrikaans' parent is English
        {{}, kEnglish},
    };
    for (const auto& c : kCases) {
        const WideStringList wanted = List(c.wanted);
        EXPECT_EQ(ChooseLanguage(wanted, kOffered, 7), c.chosen) << (c.wanted.size() ? *c.wanted.begin() : L"");
    }
}

// Another user at the console: their languages, as the registry holds them.
const wchar_t* consoleUserLanguages = nullptr;
const wchar_t* machineLanguages = nullptr;

BOOL WINAPI RunningAccountLanguages(DWORD, ULONG* count, PZZWSTR buffer, ULONG* units) {
    static const wchar_t kGermanList[] = L"de-DE\0";
    if (buffer && *units >= 7) {
        memcpy(buffer, kGermanList, sizeof kGermanList);
    }
    *count = 1;
    *units = 7;
    return TRUE;
}

LSTATUS WINAPI RegistryLanguages(HKEY root, LPCWSTR, LPCWSTR, DWORD, DWORD*, PVOID data, DWORD* bytes) {
    const wchar_t* list = root == HKEY_USERS ? consoleUserLanguages : machineLanguages;
    if (!list) {
        return ERROR_FILE_NOT_FOUND;
    }
    const DWORD size = static_cast<DWORD>((wcslen(list) + 2) * sizeof(wchar_t));
    if (data && *bytes >= size) {
        memset(data, 0, size);
        memcpy(data, list, size - 2 * sizeof(wchar_t));
    }
    *bytes = size;
    return ERROR_SUCCESS;
}

TEST(Texts, TheConsoleUsersLanguagesWinOverTheRunningAccounts) {
    SessionCalls calls = SystemSessionCalls();
    calls.preferredUILanguages = RunningAccountLanguages;
    calls.getValue = RegistryLanguages;
    struct {
        bool runsProgram;
        const wchar_t* user;
        const wchar_t* machine;
        LANGID chosen;
    } const kCases[] = {
        {true, L"fr-FR", nullptr, kGerman},
        {false, L"fr-FR", L"es-ES", kFrench},
        {false, nullptr, L"es-ES", kSpanish},
    };
    for (const auto& c : kCases) {
        consoleUserLanguages = c.user;
        machineLanguages = c.machine;
        TargetUser alice;
        alice.sid.Assign(L"S-1-5-21-111-222-333-1001");
        alice.runsProgram = c.runsProgram;
        EXPECT_EQ(ChooseLanguage(DisplayLanguages(alice, calls), kOffered, 7), c.chosen) << c.runsProgram;
    }
}

}  // namespace
