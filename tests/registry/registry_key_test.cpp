#include "registry/registry_key.h"

#include <gtest/gtest.h>

#include <string>

#include "support/scratch_key.h"

namespace {

DWORD CountValues(HKEY root, const std::wstring& subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return 0xFFFFFFFF;
    }
    DWORD values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return values;
}

TEST(RegistryEntryExists, TellsKeysFromValues) {
    ScratchKey scratch;
    RawSetValue(HKEY_USERS, scratch.subkey + L"\\Prog", L"present", REG_SZ, L"", 2);
    EXPECT_TRUE(RegistryEntryExists(scratch.Path(L"Prog").c_str(), nullptr));
    EXPECT_TRUE(RegistryEntryExists(scratch.Path(L"Prog").c_str(), L"present"));
    EXPECT_FALSE(RegistryEntryExists(scratch.Path(L"Prog").c_str(), L"missing"));
    EXPECT_FALSE(RegistryEntryExists(scratch.Path(L"Nothing").c_str(), nullptr));
    EXPECT_FALSE(RegistryEntryExists(scratch.Path(L"Nothing").c_str(), L"present"));
    EXPECT_FALSE(RegistryEntryExists(L"HKXX\\Software", nullptr));
    EXPECT_FALSE(RegistryEntryExists(L"", nullptr));
}

TEST(RegistryEntryExists, AKeyThatDeniesQueryingStillExistsButShowsNoValues) {
    ScratchKey scratch;
    const std::wstring locked = scratch.subkey + L"\\Locked";
    RawSetValue(HKEY_USERS, locked, L"NoOpenWith", REG_SZ, L"", 2);
    DenyToCurrentUser(locked, KEY_QUERY_VALUE);
    EXPECT_TRUE(RegistryEntryExists(scratch.Path(L"Locked").c_str(), nullptr));
    EXPECT_FALSE(RegistryEntryExists(scratch.Path(L"Locked").c_str(), L"NoOpenWith"));
    AllowEverything(locked);
}

TEST(RegistryKeyWrite, CreatesMissingKeysAndOneEmptyMarker) {
    ScratchKey scratch;
    const std::wstring deep = L"A\\B\\C\\ProgId";
    RegistryKey key;
    ASSERT_TRUE(key.Write(scratch.Path(deep).c_str(), L"NoOpenWith"));
    EXPECT_TRUE(key.IsOpen());  // left open for the next operation
    ASSERT_TRUE(key.Write(scratch.Path(deep).c_str(), L"NoOpenWith"));

    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_USERS, (scratch.subkey + L"\\" + deep).c_str(), 0, KEY_READ, &raw), ERROR_SUCCESS);
    DWORD type = 0, bytes = 99;
    EXPECT_EQ(RegQueryValueExW(raw, L"NoOpenWith", nullptr, &type, nullptr, &bytes), ERROR_SUCCESS);
    RegCloseKey(raw);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, 0u);
    EXPECT_EQ(CountValues(HKEY_USERS, scratch.subkey + L"\\" + deep), 1u);
}

TEST(RegistryKeyWrite, AnUnknownRootLeavesTheHolderAsItWas) {
    ScratchKey scratch;
    RegistryKey key;
    ASSERT_TRUE(key.Write(scratch.Path(L"P").c_str(), L"v"));
    HKEY held = key.handle;
    EXPECT_FALSE(key.Write(L"HKNOPE\\P", L"v"));
    EXPECT_EQ(key.handle, held);
}

TEST(RegistryKeyRemove, DeletesOnlyWhatIsThere) {
    ScratchKey scratch;
    RawSetValue(HKEY_USERS, scratch.subkey + L"\\P", L"NoOpenWith", REG_SZ, L"", 2);
    RegistryKey key;
    EXPECT_FALSE(key.Remove(scratch.Path(L"P").c_str(), L"Missing"));
    EXPECT_TRUE(RawValueExists(HKEY_USERS, scratch.subkey + L"\\P", L"NoOpenWith"));
    EXPECT_TRUE(key.Remove(scratch.Path(L"P").c_str(), L"NoOpenWith"));
    EXPECT_FALSE(RawValueExists(HKEY_USERS, scratch.subkey + L"\\P", L"NoOpenWith"));
    EXPECT_FALSE(key.Remove(scratch.Path(L"P").c_str(), L"NoOpenWith"));
    EXPECT_FALSE(key.Remove(scratch.Path(L"Absent").c_str(), L"NoOpenWith"));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_TRUE(RawKeyExists(HKEY_USERS, scratch.subkey + L"\\P"));
}

TEST(RegistryKeyDeleteTree, RemovesNestedKeysAndKeepsTheParent) {
    ScratchKey scratch;
    for (const wchar_t* below : {L"T\\a\\b\\c", L"T\\a\\d", L"T\\e", L"T\\a\\b\\f\\g\\h"}) {
        RawSetValue(HKEY_USERS, scratch.subkey + L"\\" + below, L"v", REG_SZ, L"x", 4);
    }
    RawCreateKey(HKEY_USERS, scratch.subkey + L"\\Sibling");
    RegistryKey key;
    EXPECT_TRUE(key.DeleteTree(scratch.Path(L"T").c_str()));
    EXPECT_FALSE(RawKeyExists(HKEY_USERS, scratch.subkey + L"\\T"));
    EXPECT_TRUE(RawKeyExists(HKEY_USERS, scratch.subkey + L"\\Sibling"));
    EXPECT_FALSE(key.DeleteTree(scratch.Path(L"T").c_str()));  // gone already
}

TEST(RegistryKeyDeleteTree, RefusesRootsAndEmptyNamesBeforeTouchingAnything) {
    ScratchKey scratch;
    RawCreateKey(HKEY_USERS, scratch.subkey + L"\\Keep\\Child");
    RegistryKey key;
    for (const std::wstring& path : {std::wstring(L"HKCU"), std::wstring(L"HKU\\"), std::wstring(L"HKLM64"),
                                     std::wstring(L"HKEY_CURRENT_USER32"), scratch.Path(L"Keep\\"),
                                     std::wstring(L""), std::wstring(L"NotARoot\\Keep")}) {
        EXPECT_FALSE(key.DeleteTree(path.c_str())) << testing::PrintToString(path);
    }
    EXPECT_TRUE(RawKeyExists(HKEY_USERS, scratch.subkey + L"\\Keep\\Child"));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, L"Software"));
}

TEST(RegistryKeyDeleteTree, AKeyThatCannotBeEmptiedStaysAndSoDoesItsParent) {
    ScratchKey scratch;
    RawCreateKey(HKEY_USERS, scratch.subkey + L"\\T\\Locked\\Inner");
    RawCreateKey(HKEY_USERS, scratch.subkey + L"\\T\\Free\\Inner");
    DenyToCurrentUser(scratch.subkey + L"\\T\\Locked", KEY_READ);
    RegistryKey key;
    EXPECT_FALSE(key.DeleteTree(scratch.Path(L"T").c_str()));
    EXPECT_FALSE(RawKeyExists(HKEY_USERS, scratch.subkey + L"\\T\\Free"));
    EXPECT_TRUE(RawKeyExists(HKEY_USERS, scratch.subkey + L"\\T\\Locked"));
    AllowEverything(scratch.subkey + L"\\T\\Locked");
}

TEST(RegistryKeyDeleteTree, HandlesNamesOf255Characters) {
    ScratchKey scratch;
    const std::wstring longName(255, L'Z');
    RegistryKey key;
    ASSERT_TRUE(key.Write(scratch.Path(longName + L"\\" + longName).c_str(), L"NoOpenWith"));
    EXPECT_TRUE(RegistryEntryExists(scratch.Path(longName + L"\\" + longName).c_str(), L"NoOpenWith"));
    EXPECT_TRUE(key.DeleteTree(scratch.Path(longName).c_str()));
    EXPECT_FALSE(RawKeyExists(HKEY_USERS, scratch.subkey + L"\\" + longName));
}

TEST(OpenRegistryKey, ABareRootGivesAUsableHandleThatClosesHarmlessly) {
    // Windows opens a new handle to the root; Wine hands back the predefined key itself,
    // which the holder must then not close.
    RegistryKey root = OpenRegistryKey(L"HKLM64", KEY_READ);
    ASSERT_TRUE(root.IsOpen());
    DWORD subkeys = 0;
    EXPECT_EQ(RegQueryInfoKeyW(root.handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_GT(subkeys, 0u);
    root.Close();
    HKEY software = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &software), ERROR_SUCCESS);
    RegCloseKey(software);
    EXPECT_FALSE(OpenRegistryKey(L"HKLM\\No\\Such\\Key", KEY_READ).IsOpen());
    EXPECT_FALSE(OpenRegistryKey(L"Nowhere", KEY_READ).IsOpen());
}

TEST(RegistryViews, TheSuffixSelectsTheViewThroughTheWholeWalk) {
    const std::wstring subkey = L"Software\\VelloranViewTest";
    RawDeleteTree(HKEY_LOCAL_MACHINE, subkey, KEY_WOW64_64KEY);
    RawDeleteTree(HKEY_LOCAL_MACHINE, subkey, KEY_WOW64_32KEY);

    RegistryKey key;
    ASSERT_TRUE(key.Write((L"HKLM64\\" + subkey + L"\\Inner").c_str(), L"marker"));
    key.Close();
    EXPECT_TRUE(RawKeyExists(HKEY_LOCAL_MACHINE, subkey + L"\\Inner", KEY_WOW64_64KEY));
    EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, subkey, KEY_WOW64_32KEY));
    EXPECT_TRUE(RegistryEntryExists((L"HKLM64\\" + subkey + L"\\Inner").c_str(), L"marker"));
    EXPECT_FALSE(RegistryEntryExists((L"HKLM32\\" + subkey).c_str(), nullptr));
    // Our own view is 32-bit, but for a 64-bit test build.
    EXPECT_EQ(RegistryEntryExists((L"HKLM\\" + subkey).c_str(), nullptr), sizeof(void*) == 8);

    // With a key of the same name in each view, each delete takes only its own, down to the
    // last step, which Windows would otherwise take in the caller's own view.
    ASSERT_TRUE(key.Write((L"HKLM32\\" + subkey + L"\\Inner").c_str(), L"marker"));
    EXPECT_TRUE(key.DeleteTree((L"HKLM64\\" + subkey).c_str()));
    EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, subkey, KEY_WOW64_64KEY));
    EXPECT_TRUE(RawKeyExists(HKEY_LOCAL_MACHINE, subkey + L"\\Inner", KEY_WOW64_32KEY));
    EXPECT_TRUE(key.DeleteTree((L"HKLM32\\" + subkey).c_str()));
    EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, subkey, KEY_WOW64_32KEY));
}

TEST(RegistryKey, HolderClosesOnReplacementAndTreatsAllOnesAsEmpty) {
    RegistryKey invalid(reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(invalid.IsOpen());
    invalid.Close();
    EXPECT_EQ(invalid.handle, nullptr);

    RegistryKey key = OpenRegistryKey(L"HKCU\\Software", KEY_READ);
    ASSERT_TRUE(key.IsOpen());
    HKEY first = key.handle;
    key = OpenRegistryKey(L"HKCU", KEY_READ);
    ASSERT_TRUE(key.IsOpen());
    // The first handle was closed when it was replaced.
    DWORD subkeys = 0;
    EXPECT_NE(RegQueryInfoKeyW(first, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
}

}  // namespace
