#include "registry/security_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Native() {
    return false;
}
bool Wow64() {
    return true;
}
bool NeverAsked() {
    ADD_FAILURE() << "the WOW64 state was asked for a root without a view suffix";
    return false;
}

struct NameCase {
    const wchar_t* path;
    bool (*wow64)();
    bool converted;
    const wchar_t* expected;  // the text afterwards
};

const NameCase kNameCases[] = {
    {L"HKU\\S-1-5-21-1-2-3-1001\\Software\\Classes", NeverAsked, true, L"USERS\\S-1-5-21-1-2-3-1001\\Software\\Classes"},
    {L"HKEY_USERS\\S-1-5-18", NeverAsked, true, L"USERS\\S-1-5-18"},
    {L"HKLM", NeverAsked, true, L"MACHINE"},
    {L"HKCU\\", NeverAsked, true, L"CURRENT_USER\\"},
    {L"HKEY_CURRENT_USER\\Software", NeverAsked, true, L"CURRENT_USER\\Software"},
    {L"HKCR\\.txt", NeverAsked, true, L"CLASSES_ROOT\\.txt"},
    {L"hklm\\x", NeverAsked, true, L"MACHINE\\x"},
    {L"\\\\PC-01\\HKLM\\Software", NeverAsked, true, L"MACHINE\\Software"},
    {L"\\\\PC-01", NeverAsked, false, L"\\\\PC-01"},
    {L"", NeverAsked, false, L""},
    {L"\\Software", NeverAsked, false, L"\\Software"},
    {L"\\\\PC\\\\Software", NeverAsked, false, L"\\\\PC\\\\Software"},
    // Views, native process.
    {L"HKLM64\\X", Native, true, L"MACHINE\\X"},
    {L"HKEY_LOCAL_MACHINE64\\X", Native, true, L"MACHINE\\X"},
    {L"HKCR64\\X", Native, true, L"CLASSES_ROOT\\X"},
    {L"HKLM32\\SOFTWARE\\X", Native, true, L"MACHINE\\SOFTWARE\\WOW6432Node\\X"},
    {L"HKLM32\\software\\x", Native, true, L"MACHINE\\SOFTWARE\\WOW6432Node\\x"},
    {L"HKLM32\\SOFTWAREX\\Y", Native, true, L"MACHINE\\SOFTWARE\\WOW6432NodeX\\Y"},  // a prefix test
    {L"HKLM32\\System\\X", Native, true, L"MACHINE\\System\\X"},
    // Views under WOW64.
    {L"HKLM64\\X", Wow64, false, L""},
    {L"HKCR64\\X", Wow64, false, L""},
    {L"HKLM32\\SOFTWARE\\X", Wow64, true, L"MACHINE\\SOFTWARE\\X"},
    {L"HKEY_LOCAL_MACHINE32\\SOFTWARE\\WOW6432Node\\X", Wow64, true, L"MACHINE\\SOFTWARE\\X"},
    // Roots that have no object name.
    {L"HKCC\\X", Native, false, L""},
    {L"HKEY_CURRENT_CONFIG\\X", Native, false, L""},
    {L"HKU64\\X", Native, false, L""},
    {L"HKCU32\\X", Wow64, false, L""},
    {L"Nowhere\\X", Native, false, L""},
};

TEST(RegistryPathToSecurityName, ConvertsOrRefusesEachRoot) {
    for (const NameCase& c : kNameCases) {
        WideString path(c.path);
        EXPECT_EQ(RegistryPathToSecurityName(path, c.wow64), c.converted) << testing::PrintToString(std::wstring(c.path));
        EXPECT_STREQ(path.Text(), c.expected) << testing::PrintToString(std::wstring(c.path));
    }
}

TEST(IsRunningUnderWow64, IsTrueForA32BitProcessOnA64BitPrefix) {
    // The tests are built for 64-bit Windows where the machine runs no 32-bit programs.
    const bool thirtyTwoBit = sizeof(void*) == 4;
    EXPECT_EQ(IsRunningUnderWow64(), thirtyTwoBit);
    WideString path(L"HKLM64\\Software");
    EXPECT_EQ(RegistryPathToSecurityName(path), !thirtyTwoBit);
}

}  // namespace
