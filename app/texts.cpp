// The program's texts: one string table per language in the program file.
#include "app/texts.h"

#include <cwchar>
#include <vector>

LANGID ChooseLanguage(LANGID wanted, const LANGID* offered, int count) {
    for (int i = 0; i < count; ++i) {
        if (offered[i] == wanted) {
            return wanted;
        }
    }
    for (int i = 0; i < count; ++i) {
        if (PRIMARYLANGID(offered[i]) == PRIMARYLANGID(wanted)) {
            return offered[i];
        }
    }
    return MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

namespace {

// A string table block holds the texts of sixteen ids, each as its length and its units.
constexpr int kTextsPerBlock = 16;

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
    reinterpret_cast<std::vector<LANGID>*>(found)->push_back(language);
    return TRUE;
}

}  // namespace

WideString Texts::Get(int id) const {
    HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / kTextsPerBlock + 1), language);
    HGLOBAL loaded = block ? LoadResource(module, block) : nullptr;
    const wchar_t* entry = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
    WideString text;
    if (!entry) {
        return text;
    }
    for (int i = 0; i < id % kTextsPerBlock; ++i) {
        entry += 1 + *entry;
    }
    wmemcpy(text.PrepareBuffer(*entry + 1), entry + 1, *entry);
    return text;
}

WideString Texts::Format(int id, const wchar_t* text, uint32_t number) const {
    WideString format = Get(id);
    WideString result;
    const int32_t units = format.Length() + static_cast<int32_t>(wcslen(text)) + 16;
    swprintf(result.PrepareBuffer(units), static_cast<size_t>(units), format.CStr(), text, number);
    return result;
}

WideString Texts::Insert(int id, std::initializer_list<const wchar_t*> inserts) const {
    const WideString format = Get(id);
    std::vector<DWORD_PTR> arguments;
    for (const wchar_t* insert : inserts) {
        arguments.push_back(reinterpret_cast<DWORD_PTR>(insert));
    }
    wchar_t* formatted = nullptr;
    WideString result;
    if (FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                       format.CStr(), 0, 0, reinterpret_cast<wchar_t*>(&formatted), 0,
                       reinterpret_cast<va_list*>(arguments.data())) != 0) {
        result.Assign(formatted);
    }
    LocalFree(formatted);
    return result;
}

Texts TextsForUser(HMODULE module) {
    // Every language has the first block, which holds the headline.
    std::vector<LANGID> offered;
    EnumResourceLanguagesW(module, RT_STRING, MAKEINTRESOURCEW(IDS_HEADLINE / kTextsPerBlock + 1), AddLanguage,
                           reinterpret_cast<LONG_PTR>(&offered));
    Texts texts;
    texts.module = module;
    texts.language = ChooseLanguage(GetUserDefaultUILanguage(), offered.data(), static_cast<int>(offered.size()));
    return texts;
}
