#include "registry/registry_value.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/registry_key.h"
#include "support/scratch_key.h"

namespace {

struct ValueCase {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;
    bool readable;
    std::wstring expected;
};

std::vector<BYTE> Bytes(const std::wstring& text, size_t extraZeroUnits = 0) {
    std::vector<BYTE> bytes(reinterpret_cast<const BYTE*>(text.data()),
                            reinterpret_cast<const BYTE*>(text.data() + text.size()));
    bytes.resize(bytes.size() + extraZeroUnits * 2, 0);
    return bytes;
}

std::vector<ValueCase> Cases() {
    std::wstring multi = std::wstring(L"C:\\a.exe") + L'\0' + L"\"%1\"" + L'\0' + L'\0';
    std::vector<BYTE> odd = Bytes(L"abc", 1);
    odd.push_back('z');  // a stray last byte
    return {
        {"terminated REG_SZ", REG_SZ, Bytes(L"C:\\Windows\\notepad.exe %1", 1), true, L"C:\\Windows\\notepad.exe %1"},
        {"REG_SZ without terminator", REG_SZ, Bytes(L"unterminated"), true, L"unterminated"},
        {"REG_EXPAND_SZ stays unexpanded", REG_EXPAND_SZ, Bytes(L"%SystemRoot%\\notepad.exe", 1), true,
         L"%SystemRoot%\\notepad.exe"},
        {"REG_MULTI_SZ joined by line feeds", REG_MULTI_SZ, Bytes(multi), true, L"C:\\a.exe\n\"%1\""},
        {"REG_MULTI_SZ without final terminators", REG_MULTI_SZ, Bytes(std::wstring(L"one") + L'\0' + L"two"), true,
         L"one\ntwo"},
        {"zero-length REG_SZ", REG_SZ, {}, true, L""},
        {"odd-length REG_SZ", REG_SZ, odd, true, L"abc"},
        {"one byte", REG_SZ, {'q'}, true, L"q"},
        {"REG_SZ with an embedded zero", REG_SZ, Bytes(std::wstring(L"first") + L'\0' + L"second", 1), true,
         L"first"},
        {"REG_DWORD", REG_DWORD, {1, 0, 0, 0}, false, L""},
        {"REG_BINARY", REG_BINARY, Bytes(L"looks like text", 1), false, L""},
        {"REG_NONE", REG_NONE, {}, false, L""},
        {"REG_QWORD", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}, false, L""},
    };
}

TEST(ReadValueText, ReadsTextTypesAndNothingElse) {
    ScratchKey scratch;
    for (const ValueCase& c : Cases()) {
        RawSetValue(HKEY_USERS, scratch.subkey, L"v", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        RegistryKey key = OpenRegistryKey(scratch.path.c_str(), KEY_READ);
        ASSERT_TRUE(key.IsOpen());
        WideString text(L"untouched");
        EXPECT_EQ(ReadValueText(key.handle, L"v", text), c.readable) << c.what;
        if (c.readable) {
            EXPECT_EQ(std::wstring(text.Text()), c.expected) << c.what;
        } else {
            EXPECT_STREQ(text.Text(), L"untouched") << c.what;
        }
    }
}

TEST(ReadValueText, MissingValuesLeaveTheOutputAlone) {
    ScratchKey scratch;
    RegistryKey key = OpenRegistryKey(scratch.path.c_str(), KEY_READ);
    WideString text(L"untouched");
    EXPECT_FALSE(ReadValueText(key.handle, L"absent", text));
    EXPECT_FALSE(ReadValueText(key.handle, L"", text));  // no default value either
    EXPECT_FALSE(ReadValueText(nullptr, L"absent", text));
    EXPECT_STREQ(text.Text(), L"untouched");
}

TEST(ReadValueText, ReadsTheDefaultValueAndLargeStrings) {
    ScratchKey scratch;
    std::wstring big(64 * 1024, L'b');
    big[100] = L'M';
    RawSetValue(HKEY_USERS, scratch.subkey, L"", REG_SZ, big.c_str(), static_cast<DWORD>(big.size() * 2));
    RegistryKey key = OpenRegistryKey(scratch.path.c_str(), KEY_READ);
    WideString text;
    ASSERT_TRUE(ReadValueText(key.handle, L"", text));
    EXPECT_EQ(text.Length(), 64 * 1024);
    EXPECT_EQ(text.Text()[100], L'M');
    EXPECT_EQ(text.Text()[64 * 1024], L'\0');
}

}  // namespace
