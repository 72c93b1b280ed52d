#include "app/texts.h"

#include <gtest/gtest.h>

#include "app/main_window.h"

namespace {

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
constexpr LANGID kBrazilian = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN);
constexpr LANGID kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
constexpr LANGID kOffered[] = {kEnglish, kGerman, kBrazilian, kChinese};

TEST(Texts, TheDisplayLanguageChoosesItsOwnTableElseOneOfItsPrimaryLanguageElseEnglish) {
    struct {
        LANGID wanted;
        LANGID chosen;
    } const kCases[] = {
        {kGerman, kGerman},
        {kBrazilian, kBrazilian},
        {MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE), kBrazilian},
        {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_AUSTRIAN), kGerman},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SINGAPORE), kChinese},
        {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), kEnglish},
        {MAKELANGID(LANG_FINNISH, SUBLANG_FINNISH_FINLAND), kEnglish},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(ChooseLanguage(c.wanted, kOffered, 4), c.chosen) << std::hex << c.wanted;
    }
    EXPECT_EQ(ChooseLanguage(kGerman, nullptr, 0), kEnglish);
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
