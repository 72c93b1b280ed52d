#include "registry/registry_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ParseCase {
    const wchar_t* path;
    HKEY expectedRoot;  // null: refused
    REGSAM expectedViewBits;
    const wchar_t* expectedRest;  // the rewritten path; the input itself when refused
};

const ParseCase kParseCases[] = {
    {L"HKLM64\\Software\\Classes", HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, L"Software\\Classes"},
    {L"hkey_users\\S-1-5-21-1\\Software", HKEY_USERS, 0, L"S-1-5-21-1\\Software"},
    {L"HKCU", HKEY_CURRENT_USER, 0, L""},
    {L"HKU\\", HKEY_USERS, 0, L""},
    {L"HKU", HKEY_USERS, 0, L""},
    {L"HKCR\\.txt", HKEY_CLASSES_ROOT, 0, L".txt"},
    {L"HKCC\\System", HKEY_CURRENT_CONFIG, 0, L"System"},
    {L"HKEY_CURRENT_CONFIG64\\System", HKEY_CURRENT_CONFIG, KEY_WOW64_64KEY, L"System"},
    {L"HKEY_LOCAL_MACHINE32\\Software", HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"Software"},
    {L"HKU64\\x", HKEY_USERS, KEY_WOW64_64KEY, L"x"},
    {L"HkLm\\Software\\MiXeD", HKEY_LOCAL_MACHINE, 0, L"Software\\MiXeD"},
    {L"HKLM\\\\Software", HKEY_LOCAL_MACHINE, 0, L"\\Software"},
    {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT, 0, L""},
    // Refused.
    {L"Software\\Classes", nullptr, 0, L"Software\\Classes"},
    {L"HKLM6432\\X", nullptr, KEY_WOW64_32KEY, L"HKLM6432\\X"},
    {L"HK\\Software", nullptr, 0, L"HK\\Software"},
    // The backslash at position 3 lies before the separator window: the whole text is
    // the root name, and no suffix is taken from it.
    {L"64\\Software", nullptr, 0, L"64\\Software"},
    {L"64", nullptr, KEY_WOW64_64KEY, L"64"},
    {L"", nullptr, 0, L""},
    {L"\\HKLM\\Software", nullptr, 0, L"\\HKLM\\Software"},
    {L"HKLMX\\Software", nullptr, 0, L"HKLMX\\Software"},
    {L"HKEY_LOCAL_MACHINE_AND_MORE\\X", nullptr, 0, L"HKEY_LOCAL_MACHINE_AND_MORE\\X"},
};

TEST(ParseRegistryPath, SplitsRootViewAndSubkey) {
    for (const ParseCase& c : kParseCases) {
        WideString path(c.path);
        REGSAM access = KEY_READ;
        HKEY root = ParseRegistryPath(path, access);
        EXPECT_EQ(root, c.expectedRoot) << "path " << testing::PrintToString(std::wstring(c.path));
        EXPECT_EQ(access, KEY_READ | c.expectedViewBits) << testing::PrintToString(std::wstring(c.path));
        EXPECT_STREQ(path.Text(), c.expectedRest) << testing::PrintToString(std::wstring(c.path));
    }
}

TEST(ParseRegistryPath, PassesLongSubkeysOnUnchanged) {
    std::wstring name(255, L'n');
    std::wstring deep = L"HKCU";
    std::wstring expected;
    for (int i = 0; i < 140; ++i) {  // well over 32,767 characters
        deep += L"\\" + name;
        expected += (i ? L"\\" : L"") + name;
    }
    WideString path(deep.c_str());
    REGSAM access = 0;
    EXPECT_EQ(ParseRegistryPath(path, access), HKEY_CURRENT_USER);
    EXPECT_EQ(std::wstring(path.Text()), expected);
}

TEST(ParseRegistryPath, ASeparatorBeyondTheRootWindowIsNotOne) {
    // The first backslash stands at position 25, outside positions 4 to 23: the whole
    // text is taken as the root name, which is no root.
    WideString path(L"HKEY_LOCAL_MACHINE_XXXXX\\Software");
    REGSAM access = 0;
    EXPECT_EQ(ParseRegistryPath(path, access), nullptr);
    EXPECT_STREQ(path.Text(), L"HKEY_LOCAL_MACHINE_XXXXX\\Software");
}

}  // namespace
