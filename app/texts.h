// The program's texts: one string table per language in the program file, and the choice among them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>

#include "resources/strings/text_ids.h"
#include "text/wide_string.h"
#include "text/wide_string_list.h"

// The language in which to speak to a person whose display languages are `wanted` (locale names
// such as "de-DE" or "zh-Hant", most preferred first), among the `count` languages `offered`, as
// Windows chooses for its own texts: each wanted language in turn, followed by the parent of its
// language interface pack (Catalan's is Spanish), is taken when one offered is that language, or
// failing that has its primary language and script (Portuguese (Portugal) takes Portuguese
// (Brazil), Chinese (Hong Kong) Traditional Chinese); else US English.
LANGID ChooseLanguage(const WideStringList& wanted, const LANGID* offered, int count);

// The texts of one language in the string tables of `module` (null: the program file).
struct Texts {
    HMODULE module = nullptr;  // not owned
    LANGID language = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

    // Text `id`; empty when the table has none.
    WideString Get(int id) const;
    // Text `id` as a format, with %ls taking `text` and %u `number`.
    WideString Format(int id, const wchar_t* text, uint32_t number = 0) const;
    // Text `id` with %1 taking the first of `inserts`, %2 the second and so on, wherever each
    // language places them; empty when the table has no such text.
    WideString Insert(int id, std::initializer_list<const wchar_t*> inserts) const;
};

// The texts in `module` for a person whose display languages are `languages`: the process's
// thread language cannot choose them, since SetThreadUILanguage is a stub on Wine.
Texts TextsForLanguages(HMODULE module, const WideStringList& languages);
