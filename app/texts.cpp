// The program's texts: one string table per language in the program file.
#include "app/texts.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

namespace {

// Languages whose Windows texts come as a language interface pack, and the language Windows
// falls back to where the pack has no text: Windows' own list of packs and their parents,
// https://learn.microsoft.com/previous-versions/windows/it-pro/windows-8.1-and-8/hh825678(v=win.10)
struct LanguageParent {
    const wchar_t* language;
    const wchar_t* parent;
};
constexpr LanguageParent kPackParents[] = {
    {L"ca", L"es-ES"}, {L"eu", L"es-ES"},  {L"gl", L"es-ES"}, {L"quz", L"es-ES"}, {L"be", L"ru-RU"}, {L"ky", L"ru-RU"},
    {L"tt", L"ru-RU"}, {L"tg", L"ru-RU"},  {L"tk", L"ru-RU"}, {L"uz", L"ru-RU"},  {L"wo", L"fr-FR"}, {L"lb", L"fr-FR"},
    {L"br", L"fr-FR"}, {L"af", L"en-US"},  {L"sq", L"en-US"}, {L"hy", L"en-US"},  {L"az", L"en-US"}, {L"bn", L"en-US"},
    {L"bs", L"en-US"}, {L"fil", L"en-US"}, {L"ka", L"en-US"}, {L"is", L"en-US"},  {L"ga", L"en-US"}, {L"mk", L"en-US"},
    {L"ms", L"en-US"}, {L"mt", L"en-US"},  {L"fa", L"en-US"}, {L"cy", L"en-US"},  {L"sw", L"en-US"}, {L"ur", L"en-US"},
};

// A locale name's primary language and script, lower case: "zh-TW" is ("zh", "hant"). A name
// without a script subtag has its language's usual one; only Chinese has two among ours.
struct LanguageAndScript {
    std::wstring language;
    std::wstring script;
};

LanguageAndScript languageAndScript(const wchar_t* name) {
    std::wstring lower(name);
    for (wchar_t& c : lower) {
        c = c == L'_' ? L'-' : static_cast<wchar_t>(towlower(c));
    }
    LanguageAndScript parts{lower.substr(0, lower.find(L'-')), L""};
    bool traditionalRegion = false;
    for (size_t start = parts.language.size(); start < lower.size();) {
        const size_t end = std::min(lower.find(L'-', start + 1), lower.size());
        const std::wstring subtag = lower.substr(start + 1, end - start - 1);
        parts.script = subtag.size() == 4 ? subtag : parts.script;
        traditionalRegion = traditionalRegion || subtag == L"tw" || subtag == L"hk" || subtag == L"mo";
        start = end;
    }
    if (parts.language == L"zh" && parts.script.empty()) {
        parts.script = traditionalRegion ? L"hant" : L"hans";
    }
    return parts;
}

const wchar_t* packParent(const wchar_t* name) {
    const std::wstring language = languageAndScript(name).language;
    for (const LanguageParent& row : kPackParents) {
        if (language == row.language) {
            return row.parent;
        }
    }
    return nullptr;
}

// The offered language that is `wanted`, else one of its primary language and script; 0 if none.
LANGID offeredMatch(const wchar_t* wanted, const LANGID* offered, int count) {
    const LanguageAndScript want = languageAndScript(wanted);
    LANGID similar = 0;
    for (int i = 0; i < count; ++i) {
        wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
        LCIDToLocaleName(MAKELCID(offered[i], SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0);
        if (_wcsicmp(name, wanted) == 0) {
            return offered[i];
        }
        const LanguageAndScript have = languageAndScript(name);
        if (!similar && have.language == want.language && have.script == want.script) {
            similar = offered[i];
        }
    }
    return similar;
}

}  // namespace

LANGID ChooseLanguage(const WideStringList& wanted, const LANGID* offered, int count) {
    for (uint32_t i = 0; i < wanted.count; ++i) {
        const wchar_t* parent = packParent(wanted.items[i].CStr());
        LANGID chosen = offeredMatch(wanted.items[i].CStr(), offered, count);
        if (!chosen && parent) {
            chosen = offeredMatch(parent, offered, count);
        }
        if (chosen) {
            return chosen;
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

Texts TextsForLanguages(HMODULE module, const WideStringList& languages) {
    // Every language has the first block, which holds the headline.
    std::vector<LANGID> offered;
    EnumResourceLanguagesW(module, RT_STRING, MAKEINTRESOURCEW(IDS_HEADLINE / kTextsPerBlock + 1), AddLanguage,
                           reinterpret_cast<LONG_PTR>(&offered));
    Texts texts;
    texts.module = module;
    texts.language = ChooseLanguage(languages, offered.data(), static_cast<int>(offered.size()));
    return texts;
}
